#include "PulseRig.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QThread>

#include <gtest/gtest.h>

#include <cmath>
#include <fcntl.h>
#include <unistd.h>

namespace parlowind::test {

QString pactl(const QStringList &arguments, bool *ok)
{
    QProcess process;
    process.start(QStringLiteral("pactl"), arguments);
    const bool finished = process.waitForFinished(10000);
    const bool success = finished && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    if (ok)
        *ok = success;
    else
        EXPECT_TRUE(success) << "pactl " << arguments.join(QLatin1Char(' ')).toStdString() << ": "
                             << process.readAllStandardError().toStdString();
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

bool pumpUntil(const std::function<bool()> &condition, double seconds)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > qint64(seconds * 1000))
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(5);
    }
    return true;
}

void pumpFor(double seconds)
{
    pumpUntil([] { return false; }, seconds);
}

PipeMicrophone::PipeMicrophone(const QString &name, int rate, int channels)
    : m_name(name)
    , m_rate(rate)
    , m_channels(channels)
{
    const QString fifo = m_dir.filePath(QStringLiteral("mic.fifo"));
    m_previousDefault = pactl({ QStringLiteral("get-default-source") });
    m_module
        = pactl({ QStringLiteral("load-module"), QStringLiteral("module-pipe-source"),
                  QStringLiteral("source_name=") + name, QStringLiteral("file=") + fifo, QStringLiteral("format=s16le"),
                  QStringLiteral("rate=%1").arg(rate), QStringLiteral("channels=%1").arg(channels) });
    if (m_module.isEmpty())
        return;
    pactl({ QStringLiteral("set-default-source"), name });
    // Read-write, so opening never blocks and the source never sees the end.
    m_fd = ::open(QFile::encodeName(fifo).constData(), O_RDWR);
    EXPECT_GE(m_fd, 0) << "cannot open " << fifo.toStdString();
}

PipeMicrophone::~PipeMicrophone()
{
    if (!m_previousDefault.isEmpty())
        pactl({ QStringLiteral("set-default-source"), m_previousDefault });
    unplug();
}

void PipeMicrophone::unplug()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    if (!m_module.isEmpty())
        pactl({ QStringLiteral("unload-module"), m_module });
    m_module.clear();
}

std::vector<float> PipeMicrophone::write(const std::vector<float> &interleaved)
{
    std::vector<qint16> pcm(interleaved.size());
    std::vector<float> heard(interleaved.size());
    for (std::size_t i = 0; i < interleaved.size(); ++i) {
        const float clamped = std::max(-1.0f, std::min(1.0f, interleaved[i]));
        pcm[i] = qint16(std::lround(std::min(clamped * 32768.0f, 32767.0f)));
        heard[i] = float(pcm[i]) / 32768.0f;
    }
    const char *bytes = reinterpret_cast<const char *>(pcm.data());
    std::size_t left = pcm.size() * sizeof(qint16);
    while (left > 0) {
        const ssize_t n = ::write(m_fd, bytes, left);
        if (n < 0) {
            ADD_FAILURE() << "writing the microphone FIFO failed";
            break;
        }
        bytes += n;
        left -= std::size_t(n);
    }
    return heard;
}

} // namespace parlowind::test
