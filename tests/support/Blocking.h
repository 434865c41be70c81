#pragma once

#include <QCoro/QCoroTask>

#include <exception>
#include <optional>
#include <type_traits>

namespace parlowind::test {

namespace detail {
template<typename T> struct Settled
{
    std::optional<T> value;
    std::exception_ptr error;
};
template<> struct Settled<void>
{
    std::exception_ptr error;
};

template<typename T> QCoro::Task<Settled<T>> settle(QCoro::Task<T> task)
{
    Settled<T> settled;
    try {
        if constexpr (std::is_void_v<T>) {
            co_await task;
        } else {
            T value = co_await task;
            settled.value.emplace(std::move(value));
        }
    } catch (...) {
        settled.error = std::current_exception();
    }
    co_return settled;
}
} // namespace detail

// QCoro::waitFor, except that an exception of the task is rethrown here:
// QCoro 0.8's waitFor never returns when the task throws.
template<typename T> T waitOrThrow(QCoro::Task<T> task)
{
    auto settled = QCoro::waitFor(detail::settle(std::move(task)));
    if (settled.error)
        std::rethrow_exception(settled.error);
    if constexpr (!std::is_void_v<T>)
        return std::move(*settled.value);
}

} // namespace parlowind::test
