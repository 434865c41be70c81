#pragma once

#include <QString>

namespace parlowind {

// Plausibility test of a polished answer: it must be neither much longer (the
// model chatted) nor much shorter (truncated or refused) than the input.
// Content is not compared.
class PolishSanityCheck final
{
public:
    explicit PolishSanityCheck(double maxLengthFactor = 2.0)
        : m_maxLengthFactor(maxLengthFactor)
    { }

    double maxLengthFactor() const { return m_maxLengthFactor; }

    // Lengths in user-perceived characters, after trimming both texts.
    bool accepts(const QString &polished, const QString &input) const;

private:
    double m_maxLengthFactor;
};

// The number of user-perceived characters (grapheme clusters) in `text`.
qsizetype characterCount(const QString &text);

} // namespace parlowind
