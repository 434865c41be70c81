#pragma once

#include "hotkeys/InputEventDecoder.h"
#include "hotkeys/LoneKeySource.h"

#include <QObject>
#include <QString>

#include <memory>
#include <vector>

class QSocketNotifier;

namespace parlowind {

// The lone-key watch in any session: reads the keyboards under /dev/input
// (needs the input group). Only reads; never EVIOCGRAB, so every key still
// reaches the desktop as usual.
class EvdevKeySource final : public QObject, public LoneKeySource
{
    Q_OBJECT
public:
    // Watches the keyboards in `directory` that have Right Ctrl or Fn.
    explicit EvdevKeySource(QString directory = QStringLiteral("/dev/input"), QObject *parent = nullptr);
    // Reads these already open streams (a pipe in tests) instead of devices;
    // the source takes ownership of the descriptors.
    static std::unique_ptr<EvdevKeySource> forStreams(std::vector<int> descriptors);
    ~EvdevKeySource() override;

    void start(Handler handler) override;
    void stop() override;
    const char *name() const override { return "evdev"; }

    // Paths of the readable keyboards in `directory` that have either key.
    static QStringList keyboards(const QString &directory);

private:
    struct Device;
    void read(Device &device);
    void close(Device &device);

    QString m_directory;
    std::vector<int> m_streams; // given descriptors, used instead of the directory
    std::vector<std::unique_ptr<Device>> m_devices;
    Handler m_handler;
    std::uint64_t m_generation = 0; // bumped by stop(), which frees the devices
};

} // namespace parlowind
