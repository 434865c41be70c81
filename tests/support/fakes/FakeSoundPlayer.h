#pragma once

#include "CallLog.h"
#include "dictation/SoundPlaying.h"

#include <memory>
#include <vector>

namespace parlowind::test {

// Records every cue ("sound.listen-start", "sound.listen-stop").
class FakeSoundPlayer final : public SoundPlaying
{
public:
    explicit FakeSoundPlayer(std::shared_ptr<CallLog> log = {})
        : m_log(std::move(log))
    { }

    void play(DictationCue cue) override
    {
        if (m_log)
            m_log->record(QStringLiteral("sound.") + rawValue(cue));
        m_played.push_back(cue);
    }

    const std::vector<DictationCue> &played() const { return m_played; }
    void clear() { m_played.clear(); }

private:
    std::shared_ptr<CallLog> m_log;
    std::vector<DictationCue> m_played;
};

} // namespace parlowind::test
