#pragma once

#include "FillerAggressiveness.h"

#include <QString>

namespace parlowind {

// Per-dictation facts every cleanup stage receives.
struct CleanupContext
{
    FillerAggressiveness fillerAggressiveness = FillerAggressiveness::conservative;
    double durationSeconds = 0; // recorded samples / 16,000
};

// One rule-based text transformation. Pure: no failure, no state between calls.
class CleanupStage
{
public:
    virtual ~CleanupStage() = default;
    virtual QString name() const = 0;
    virtual QString apply(const QString &text, const CleanupContext &context) const = 0;
};

} // namespace parlowind
