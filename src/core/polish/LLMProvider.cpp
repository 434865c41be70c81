#include "LLMProvider.h"

#include "LLMError.h"

namespace parlowind::llm {

QString trimSpacesAndTabs(const QString &text)
{
    auto isBlank = [](QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t'); };
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    return text.mid(begin, end - begin);
}

void checkStatus(int status)
{
    if (status >= 200 && status <= 299)
        return;
    if (status == 401 || status == 403)
        throw LLMError(LLMError::Case::unauthorized);
    throw LLMError::http(status);
}

} // namespace parlowind::llm
