#pragma once

#include <QString>
#include <QStringList>

namespace parlowind {

// Drops the phantom texts speech models produce for silence or very short
// clips ("[BLANK_AUDIO]", "Thank you."). Not a cleanup stage: the speech engine
// applies it to each whole transcript with the clip's duration. Stateless and
// safe to call from any thread; `filter` fits a
// std::function<QString(const QString &, double)>.
class HallucinationGuard final
{
public:
    HallucinationGuard() = delete;

    // Always dropped.
    static const QStringList &markers();
    // Dropped only from clips of `shortClipSeconds` or less.
    static const QStringList &shortClipPhantoms();
    static constexpr double shortClipSeconds = 2.0;

    // The transcript trimmed of surrounding whitespace, or the empty string
    // when the whole of it is a phantom.
    static QString filter(const QString &text, double durationSeconds);
};

} // namespace parlowind
