#pragma once

#include <QCoro/QCoroTask>
#include <QString>

namespace parlowind {

// The optional language-model pass over cleaned text, as the dictation
// coordinator sees it.
class TranscriptPolishing
{
public:
    virtual ~TranscriptPolishing() = default;

    // True when offline-only is off and a configured provider is present.
    virtual bool isEnabled() const = 0;

    // Never fails: returns the polished text, or `text` unchanged on any problem.
    virtual QCoro::Task<QString> polish(QString text) = 0;
};

} // namespace parlowind
