#include "TargetProcess.h"

#include "X11ActiveWindow.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QThread>

namespace parlowind::test {

bool waitUntil(const std::function<bool()> &done, std::chrono::milliseconds limit)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.hasExpired(limit.count()))
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(10);
    }
    return true;
}

QByteArray runServing(const QString &program, const QStringList &arguments, const QByteArray &input)
{
    QProcess process;
    process.start(program, arguments);
    if (!input.isEmpty())
        process.write(input);
    process.closeWriteChannel();
    waitUntil([&process] { return process.state() == QProcess::NotRunning; });
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished();
    }
    return process.readAllStandardOutput();
}

QByteArray clipboardAsSeenByOthers(const QString &target)
{
    return runServing(QStringLiteral("xclip"),
                      { QStringLiteral("-selection"), QStringLiteral("clipboard"), QStringLiteral("-o"),
                        QStringLiteral("-t"), target });
}

TargetProcess::TargetProcess(Kind kind, const Options &options)
    : m_output(m_folder.filePath(QStringLiteral("text")))
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    environment.insert(QStringLiteral("QT_LINUX_ACCESSIBILITY_ALWAYS_ON"), QStringLiteral("1"));
    environment.insert(QStringLiteral("GTK_USE_PORTAL"), QStringLiteral("0"));
    environment.insert(QStringLiteral("PYTHONDONTWRITEBYTECODE"), QStringLiteral("1"));
    environment.remove(QStringLiteral("NO_AT_BRIDGE"));
    // The sanitizers of our own build do not apply to the targets.
    environment.remove(QStringLiteral("LD_PRELOAD"));
    m_process.setProcessEnvironment(environment);
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);

    QStringList arguments { QStringLiteral("--output"), m_output };
    if (!options.text.isEmpty() && kind != Kind::clipboardOwner)
        arguments << QStringLiteral("--text") << options.text;
    QString program;
    const bool selects = options.selectStart >= 0;
    switch (kind) {
    case Kind::qtLine:
    case Kind::qtText:
    case Kind::qtPassword:
        program = QStringLiteral(PARLOWIND_QT_TARGET);
        arguments << QStringLiteral("--widget")
                  << (kind == Kind::qtLine       ? QStringLiteral("line")
                          : kind == Kind::qtText ? QStringLiteral("text")
                                                 : QStringLiteral("password"));
        if (selects)
            arguments << QStringLiteral("--select") << QString::number(options.selectStart)
                      << QString::number(options.selectEnd);
        else
            arguments << QStringLiteral("--caret") << QString::number(options.caret);
        break;
    case Kind::gtk:
    case Kind::gtkPassword:
        program = QStringLiteral("/usr/bin/python3");
        arguments.prepend(QStringLiteral(PARLOWIND_GTK_TARGET));
        if (kind == Kind::gtkPassword)
            arguments << QStringLiteral("--password");
        if (options.ignoreInserts > 0)
            arguments << QStringLiteral("--ignore-inserts") << QString::number(options.ignoreInserts);
        if (selects)
            arguments << QStringLiteral("--select") << QString::number(options.selectStart)
                      << QString::number(options.selectEnd);
        else
            arguments << QStringLiteral("--caret") << QString::number(options.caret);
        break;
    case Kind::clipboardOwner:
        program = QStringLiteral(PARLOWIND_QT_TARGET);
        arguments << QStringLiteral("--own-clipboard") << options.text << options.html;
        break;
    }
    m_process.start(program, arguments);
    if (!m_process.waitForStarted(10000)) {
        m_failure = QStringLiteral("could not start ") + program;
        return;
    }
    if (!waitUntil([this] { return QFile::exists(m_output); })) {
        m_failure = QStringLiteral("the target did not report ready");
        return;
    }
    if (kind != Kind::clipboardOwner) {
        X11ActiveWindow activeWindow;
        const qint64 pid = m_process.processId();
        if (!waitUntil([&activeWindow, pid] {
                const auto window = activeWindow.query();
                return window && window->processId == pid;
            })) {
            m_failure = QStringLiteral("the target window did not become active");
            return;
        }
    }
    m_ready = true;
}

TargetProcess::~TargetProcess()
{
    kill();
}

void TargetProcess::kill()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.kill();
    m_process.waitForFinished(5000);
}

QString TargetProcess::text() const
{
    QFile file(m_output);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

QString TargetProcess::waitForChange(const QString &previous)
{
    waitUntil([this, &previous] { return text() != previous; }, std::chrono::seconds(5));
    return text();
}

} // namespace parlowind::test
