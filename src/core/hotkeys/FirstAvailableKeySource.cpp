#include "FirstAvailableKeySource.h"

#include "HotkeyError.h"
#include "support/Log.h"

namespace parlowind {

FirstAvailableKeySource::FirstAvailableKeySource(std::vector<std::unique_ptr<LoneKeySource>> candidates)
    : m_candidates(std::move(candidates))
{ }

void FirstAvailableKeySource::start(Handler handler)
{
    stop();
    for (const auto &candidate : m_candidates) {
        try {
            candidate->start(handler);
            m_active = candidate.get();
            return;
        } catch (const HotkeyError &error) {
            log(QStringLiteral("Lone-key watch: %1 unavailable (%2)")
                    .arg(QString::fromLatin1(candidate->name()), error.logDescription()));
        }
    }
    throw HotkeyError::eventTapUnavailable();
}

void FirstAvailableKeySource::stop()
{
    if (m_active)
        m_active->stop();
    m_active = nullptr;
}

const char *FirstAvailableKeySource::name() const
{
    return m_active ? m_active->name() : "none";
}

} // namespace parlowind
