#include "Error.h"

namespace parlowind {

const char *Error::what() const noexcept
{
    try {
        if (m_what.isEmpty())
            m_what = logDescription().toUtf8();
        return m_what.constData();
    } catch (...) {
        return "parlowind::Error";
    }
}

QString describeForLog(const std::exception &error)
{
    if (auto *own = dynamic_cast<const Error *>(&error))
        return own->logDescription();
    return QString::fromUtf8(error.what());
}

} // namespace parlowind
