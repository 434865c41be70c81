#pragma once

#include "LoneKeySource.h"

#include <memory>
#include <vector>

namespace parlowind {

// Tries several ways of watching the keyboard in order of preference
// (XInput2, then evdev) and uses the first that starts. Asked afresh at every
// start, so a grant given meanwhile (the input group) is picked up.
class FirstAvailableKeySource final : public LoneKeySource
{
public:
    explicit FirstAvailableKeySource(std::vector<std::unique_ptr<LoneKeySource>> candidates);

    // Throws eventTapUnavailable when none starts.
    void start(Handler handler) override;
    void stop() override;
    const char *name() const override;

private:
    std::vector<std::unique_ptr<LoneKeySource>> m_candidates;
    LoneKeySource *m_active = nullptr;
};

} // namespace parlowind
