#pragma once

#include <QCoro/QCoroTask>

#include <exception>
#include <optional>
#include <type_traits>

namespace parlowind {

// Runs a nested event loop until `task` completes and returns its result,
// rethrowing what it threw. For command-line entry points and tests only;
// QCoro::waitFor alone never returns when the task throws.
template<typename T> T waitForTask(QCoro::Task<T> task)
{
    std::exception_ptr error;
    if constexpr (std::is_void_v<T>) {
        auto run = [](QCoro::Task<> inner, std::exception_ptr *error) -> QCoro::Task<> {
            try {
                co_await inner;
            } catch (...) {
                *error = std::current_exception();
            }
        };
        QCoro::waitFor(run(std::move(task), &error));
        if (error)
            std::rethrow_exception(error);
    } else {
        auto run = [](QCoro::Task<T> inner, std::exception_ptr *error) -> QCoro::Task<std::optional<T>> {
            try {
                co_return co_await inner;
            } catch (...) {
                *error = std::current_exception();
            }
            co_return std::nullopt;
        };
        std::optional<T> result = QCoro::waitFor(run(std::move(task), &error));
        if (error)
            std::rethrow_exception(error);
        return std::move(*result);
    }
}

} // namespace parlowind
