#include "FnHotkeyMonitor.h"

#include "HotkeyError.h"
#include "support/Log.h"

#include <vector>

namespace parlowind {

FnHotkeyMonitor::FnHotkeyMonitor(std::unique_ptr<LoneKeySource> source)
    : m_source(std::move(source))
{ }

FnHotkeyMonitor::~FnHotkeyMonitor()
{
    if (m_running && m_source)
        m_source->stop();
}

void FnHotkeyMonitor::registerId(HotkeyID id)
{
    if (m_ids.contains(id))
        throw HotkeyError::alreadyRegistered(id);
    startIfNeeded();
    m_ids.insert(id);
}

void FnHotkeyMonitor::unregister(HotkeyID id)
{
    m_ids.erase(id);
    if (m_ids.empty())
        stop();
}

void FnHotkeyMonitor::unregisterAll()
{
    m_ids.clear();
    stop();
}

void FnHotkeyMonitor::startIfNeeded()
{
    if (m_running)
        return;
    if (!m_source)
        throw HotkeyError::eventTapUnavailable();
    m_keys.reset();
    m_tracker.reset();
    m_source->start([this](const KeyEvent &event) { handle(event); });
    m_running = true;
    log(QStringLiteral("Watching the lone dictation key through %1").arg(QString::fromLatin1(m_source->name())));
}

void FnHotkeyMonitor::stop()
{
    if (!m_running)
        return;
    m_source->stop();
    m_running = false;
    m_keys.reset();
    if (m_tracker.update(false))
        report(HotkeyPhase::released);
}

void FnHotkeyMonitor::handle(const KeyEvent &event)
{
    if (event.action == KeyEvent::Action::reset)
        log(QStringLiteral("Lone-key watch lost track of the keyboard; starting afresh"));
    const bool down = m_keys.apply(event);
    if (const auto phase = m_tracker.update(down))
        report(*phase);
}

void FnHotkeyMonitor::report(HotkeyPhase phase)
{
    if (!m_onEvent)
        return;
    // The handler may unregister identifiers while we iterate.
    const std::vector<HotkeyID> targets(m_ids.begin(), m_ids.end());
    const auto handler = m_onEvent;
    for (HotkeyID id : targets)
        handler(id, phase);
}

} // namespace parlowind
