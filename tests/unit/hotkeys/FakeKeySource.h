#pragma once

#include "hotkeys/HotkeyError.h"
#include "hotkeys/LoneKeySource.h"

#include <vector>

namespace parlowind {

// A keyboard the test types on; can refuse to start like a session without
// input access.
class FakeKeySource final : public LoneKeySource
{
public:
    explicit FakeKeySource(bool available = true)
        : available(available)
    { }
    void start(Handler h) override
    {
        ++starts;
        if (!available)
            throw HotkeyError::eventTapUnavailable();
        handler = std::move(h);
    }
    void stop() override
    {
        ++stops;
        handler = nullptr;
    }
    const char *name() const override { return "fake"; }
    void send(std::uint32_t code, KeyEvent::Action action) { handler({ code, action }); }

    bool available;
    Handler handler;
    int starts = 0;
    int stops = 0;
};

using Events = std::vector<std::pair<HotkeyID, HotkeyPhase>>;

} // namespace parlowind
