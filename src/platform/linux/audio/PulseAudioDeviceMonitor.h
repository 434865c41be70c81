#pragma once

#include <QObject>
#include <QStringList>
#include <QTimer>

#include <memory>

namespace parlowind {

class PulseConnection;

// Watches the audio server for changes to what the microphone is: an input
// added or removed, another default input, or one of our own recordings
// moved to another source (PipeWire moves a stream whose source vanished,
// even onto a speaker monitor). Each change is reported once, on the thread
// the monitor lives on, so the shell can cancel a dictation with
// `deviceChanged`. Losing the server counts as a change; the monitor then
// reconnects on its own.
class PulseAudioDeviceMonitor final : public QObject
{
    Q_OBJECT

public:
    explicit PulseAudioDeviceMonitor(QObject *parent = nullptr);
    ~PulseAudioDeviceMonitor() override;

    // Connects and subscribes. False (logged) when the server cannot be
    // reached; it is then retried in the background.
    bool start();
    bool isWatching() const { return m_connection != nullptr; }

    // Events closer together than this are one change.
    static constexpr int coalesceMilliseconds = 250;

Q_SIGNALS:
    void inputConfigurationChanged();

private:
    struct Tracker;
    friend struct Tracker;

    void noteChange(const QString &what);
    void connectionLost();
    void report();

    std::unique_ptr<Tracker> m_tracker; // outlives the connection that calls into it
    std::unique_ptr<PulseConnection> m_connection;
    QTimer m_coalesce;
    QTimer m_retry;
    QStringList m_pendingReasons;
};

} // namespace parlowind
