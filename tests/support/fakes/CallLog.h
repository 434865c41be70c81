#pragma once

#include <QString>
#include <QStringList>

namespace parlowind::test {

// One ordered record shared by several fakes, so a test can check the order
// of effects across collaborators ("capture.start", "sound.listen-start", …).
class CallLog final
{
public:
    void record(const QString &call) { m_calls.append(call); }
    const QStringList &calls() const { return m_calls; }
    void clear() { m_calls.clear(); }

    // The calls so far, forgetting them.
    QStringList take()
    {
        QStringList taken = m_calls;
        m_calls.clear();
        return taken;
    }

private:
    QStringList m_calls;
};

} // namespace parlowind::test
