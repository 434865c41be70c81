#pragma once

#include <QString>

#include <array>
#include <optional>

namespace parlowind {

// How hard the filler stage works. Stored as the case name.
enum class FillerAggressiveness { off, conservative, aggressive };

inline constexpr std::array<FillerAggressiveness, 3> allFillerAggressiveness { FillerAggressiveness::off,
                                                                               FillerAggressiveness::conservative,
                                                                               FillerAggressiveness::aggressive };

QString rawValue(FillerAggressiveness level);
std::optional<FillerAggressiveness> fillerAggressivenessFromRawValue(const QString &raw);
QString displayName(FillerAggressiveness level);
QString shortName(FillerAggressiveness level);
QString explanation(FillerAggressiveness level);

} // namespace parlowind
