#pragma once

#include "FocusContext.h"

namespace parlowind {

// Records which application and text element have the keyboard focus now.
class FocusCapturing
{
public:
    virtual ~FocusCapturing() = default;
    virtual FocusContext capture() = 0;
};

} // namespace parlowind
