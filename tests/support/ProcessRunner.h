#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

namespace parlowind::test {

struct ProcessResult
{
    int exitCode = -1;
    QString out;
    QString err;
};

// Runs a program to completion with this process's environment (so an
// IsolatedHome applies to it) and collects its output.
inline ProcessResult runProcess(const QString &program, const QStringList &arguments, int timeoutMs = 30000)
{
    QProcess process;
    process.start(program, arguments);
    process.closeWriteChannel();
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        return { -1, {}, QStringLiteral("timed out") };
    }
    return { process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
             QString::fromUtf8(process.readAllStandardOutput()), QString::fromUtf8(process.readAllStandardError()) };
}

} // namespace parlowind::test
