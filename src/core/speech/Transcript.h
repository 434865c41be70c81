#pragma once

#include <QList>
#include <QString>

namespace parlowind {

// What the speech engine recognised in one batch of samples.
struct Transcript
{
    struct Segment
    {
        QString text; // as the model produced it, usually with a leading space
        double start = 0; // seconds from the beginning of the samples
        double end = 0;
        bool operator==(const Segment &) const = default;
    };

    QString text; // segment texts joined, trimmed, filtered by the hallucination guard
    QList<Segment> segments;

    static Transcript empty() { return {}; }
    bool operator==(const Transcript &) const = default;
};

} // namespace parlowind
