#pragma once

#include "HistoryEntry.h"

namespace parlowind {

// Keeps a delivered dictation. May throw.
class HistoryRecording
{
public:
    virtual ~HistoryRecording() = default;
    virtual void record(const HistoryEntry &entry) = 0;
};

} // namespace parlowind
