#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>
#include <vector>

namespace parlowind::test {

// Runs pactl against the rig's server; the output, or a failed check.
QString pactl(const QStringList &arguments, bool *ok = nullptr);

// Pumps the event loop until `condition` holds or `seconds` pass.
bool pumpUntil(const std::function<bool()> &condition, double seconds = 10.0);
// Pumps the event loop for `seconds`, for checks that nothing more arrives.
void pumpFor(double seconds);

// A microphone of the test's own: a pipe source at 48 kHz stereo whose FIFO
// the test writes, made the default source while it exists. The previous
// default comes back at the end.
class PipeMicrophone final
{
public:
    explicit PipeMicrophone(const QString &name, int rate = 48000, int channels = 2);
    ~PipeMicrophone();
    PipeMicrophone(const PipeMicrophone &) = delete;
    PipeMicrophone &operator=(const PipeMicrophone &) = delete;

    bool isValid() const { return m_fd >= 0; }
    QString name() const { return m_name; }
    QString moduleIndex() const { return m_module; }
    int rate() const { return m_rate; }
    int channels() const { return m_channels; }

    // Interleaved frames as the source's s16le samples: what the microphone
    // hears. Returns the samples as the server will hand them back as floats.
    std::vector<float> write(const std::vector<float> &interleaved);
    // Unloads the source now (a device being unplugged).
    void unplug();

private:
    QTemporaryDir m_dir;
    QString m_name;
    QString m_module;
    QString m_previousDefault;
    int m_rate;
    int m_channels;
    int m_fd = -1;
};

} // namespace parlowind::test
