#pragma once

#include <cstdint>
#include <functional>

namespace parlowind {

// The model download's progress, shared between the shell (which writes it)
// and the onboarding window (which shows it). UI thread only.
class ModelSetupProgress final
{
public:
    class State
    {
    public:
        enum class Kind { running, finished, failed };

        static State running(double fraction) { return State(Kind::running, fraction); }
        static State finished() { return State(Kind::finished, 1); }
        static State failed() { return State(Kind::failed, 0); }

        Kind kind() const { return m_kind; }
        bool is(Kind kind) const { return m_kind == kind; }
        // Meaningful for `running` only.
        double fraction() const { return m_fraction; }

        bool operator==(const State &) const = default;

    private:
        State(Kind kind, double fraction)
            : m_kind(kind)
            , m_fraction(fraction)
        { }

        Kind m_kind;
        double m_fraction;
    };

    using ChangeHandler = std::function<void(const State &)>;

    explicit ModelSetupProgress(std::int64_t expectedBytes = 0)
        : m_expectedBytes(expectedBytes)
    { }
    ModelSetupProgress(const ModelSetupProgress &) = delete;
    ModelSetupProgress &operator=(const ModelSetupProgress &) = delete;

    const State &state() const { return m_state; }
    // Every assignment reaches the observer, even one that repeats the state.
    void setState(const State &state)
    {
        m_state = state;
        if (m_onChange)
            m_onChange(m_state);
    }

    std::int64_t expectedBytes() const { return m_expectedBytes; }
    void setExpectedBytes(std::int64_t bytes) { m_expectedBytes = bytes; }

    void setOnChange(ChangeHandler handler) { m_onChange = std::move(handler); }

private:
    State m_state = State::running(0);
    std::int64_t m_expectedBytes;
    ChangeHandler m_onChange;
};

} // namespace parlowind
