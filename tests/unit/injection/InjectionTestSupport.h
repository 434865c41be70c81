#pragma once

#include "injection/InjectionError.h"
#include "injection/TextInjecting.h"

#include <QCoro/QCoroTask>

#include <optional>
#include <ostream>

namespace parlowind {

inline void PrintTo(const InjectionError &error, std::ostream *out)
{
    *out << error.logDescription().toStdString();
}

} // namespace parlowind

namespace parlowind::test {

// What one inject() call ended with, recorded by a coroutine that outlives
// no caller: it takes everything by value or by pointer.
struct InjectOutcome
{
    bool finished = false;
    std::optional<InjectionError> error;
};

inline QCoro::Task<> recordInject(TextInjecting *injector, QString text, FocusContext context, InjectOutcome *outcome)
{
    try {
        auto task = injector->inject(text, context);
        co_await task;
    } catch (const InjectionError &error) {
        outcome->error = error;
    }
    outcome->finished = true;
}

} // namespace parlowind::test
