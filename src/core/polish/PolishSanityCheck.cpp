#include "PolishSanityCheck.h"

#include <QTextBoundaryFinder>

namespace parlowind {

qsizetype characterCount(const QString &text)
{
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype count = 0;
    while (finder.toNextBoundary() > 0)
        ++count;
    return count;
}

bool PolishSanityCheck::accepts(const QString &polished, const QString &input) const
{
    const QString answer = polished.trimmed();
    const QString original = input.trimmed();
    if (answer.isEmpty() || original.isEmpty())
        return false;
    const double p = double(characterCount(answer));
    const double i = double(characterCount(original));
    constexpr double slack = 0.000000001;
    return p <= m_maxLengthFactor * i + slack && i <= m_maxLengthFactor * p + slack;
}

} // namespace parlowind
