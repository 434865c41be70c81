#pragma once

#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

#include <chrono>
#include <functional>
#include <ostream>

// Readable QStrings in test failures.
inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace parlowind::test {

// Runs the event loop (so our clipboard keeps being served) until `done` is
// true or the time is up; returns `done()`.
bool waitUntil(const std::function<bool()> &done, std::chrono::milliseconds limit = std::chrono::seconds(10));

// Runs a program to its end while the event loop keeps running; its stdout.
QByteArray runServing(const QString &program, const QStringList &arguments, const QByteArray &input = {});

// The X11 clipboard as another client sees it.
QByteArray clipboardAsSeenByOthers(const QString &target = QStringLiteral("UTF8_STRING"));

// One of the test windows, in its own process, reporting its text through a
// file. Killed when destroyed.
class TargetProcess final
{
public:
    enum class Kind { qtLine, qtText, qtPassword, gtk, gtkPassword, clipboardOwner };

    struct Options
    {
        QString text = {};
        int caret = 0;
        int selectStart = -1;
        int selectEnd = -1;
        int ignoreInserts = 0; // GTK only
        QString html = {}; // clipboardOwner only
    };

    TargetProcess(Kind kind, const Options &options);
    ~TargetProcess();
    TargetProcess(const TargetProcess &) = delete;
    TargetProcess &operator=(const TargetProcess &) = delete;

    // Started, reported its first text and (for windows) is the active window.
    bool isReady() const { return m_ready; }
    QString failure() const { return m_failure; }
    qint64 processId() const { return m_process.processId(); }

    QString text() const;

    // Waits until the text differs from `previous`; returns the latest text.
    QString waitForChange(const QString &previous);

    void kill();

private:
    QTemporaryDir m_folder;
    QString m_output;
    QProcess m_process;
    bool m_ready = false;
    QString m_failure;
};

} // namespace parlowind::test
