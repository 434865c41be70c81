#include "EvdevKeySource.h"

#include "hotkeys/HotkeyBinding.h"
#include "hotkeys/HotkeyError.h"
#include "support/Log.h"

#include <QDir>
#include <QSocketNotifier>

#include <linux/input.h>

#include <cerrno>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace parlowind {

namespace {
bool hasKey(const unsigned char *bits, std::size_t size, unsigned int code)
{
    return code / 8 < size && (bits[code / 8] & (1u << (code % 8)));
}

int openKeyboard(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return -1;
    unsigned char keys[KEY_MAX / 8 + 1] = {};
    if (ioctl(fd, EVIOCGBIT(EV_KEY, sizeof keys), keys) < 0
        || !(hasKey(keys, sizeof keys, KeyCode::rightCtrl) || hasKey(keys, sizeof keys, KeyCode::fn))) {
        ::close(fd);
        return -1;
    }
    return fd;
}
} // namespace

struct EvdevKeySource::Device
{
    int fd = -1;
    QString path;
    std::unique_ptr<QSocketNotifier> notifier;
    InputEventDecoder decoder;
};

EvdevKeySource::EvdevKeySource(QString directory, QObject *parent)
    : QObject(parent)
    , m_directory(std::move(directory))
{ }

std::unique_ptr<EvdevKeySource> EvdevKeySource::forStreams(std::vector<int> descriptors)
{
    auto source = std::make_unique<EvdevKeySource>(QString());
    // Reads drain the stream until it would block.
    for (int fd : descriptors)
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
    source->m_streams = std::move(descriptors);
    return source;
}

EvdevKeySource::~EvdevKeySource()
{
    stop();
    for (int fd : m_streams)
        ::close(fd);
}

QStringList EvdevKeySource::keyboards(const QString &directory)
{
    QStringList found;
    const QDir dir(directory);
    for (const QString &name : dir.entryList({ QStringLiteral("event*") }, QDir::System | QDir::Files, QDir::Name)) {
        const QString path = dir.filePath(name);
        const int fd = openKeyboard(path);
        if (fd >= 0) {
            ::close(fd);
            found << path;
        }
    }
    return found;
}

void EvdevKeySource::start(Handler handler)
{
    stop();
    std::vector<std::pair<int, QString>> opened;
    if (!m_streams.empty()) {
        for (int fd : m_streams)
            opened.emplace_back(fd, QStringLiteral("stream %1").arg(fd));
    } else {
        for (const QString &path : keyboards(m_directory)) {
            const int fd = openKeyboard(path);
            if (fd >= 0)
                opened.emplace_back(fd, path);
        }
    }
    if (opened.empty())
        throw HotkeyError::eventTapUnavailable();

    m_handler = std::move(handler);
    for (const auto &[fd, path] : opened) {
        auto device = std::make_unique<Device>();
        device->fd = fd;
        device->path = path;
        device->notifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
        Device *raw = device.get();
        connect(device->notifier.get(), &QSocketNotifier::activated, this, [this, raw] { read(*raw); });
        m_devices.push_back(std::move(device));
    }
}

void EvdevKeySource::stop()
{
    ++m_generation;
    m_handler = nullptr;
    for (auto &device : m_devices)
        close(*device);
    m_devices.clear();
}

void EvdevKeySource::close(Device &device)
{
    device.notifier.reset();
    // Given streams stay open for the next start.
    if (m_streams.empty() && device.fd >= 0)
        ::close(device.fd);
    device.fd = -1;
}

void EvdevKeySource::read(Device &device)
{
    char buffer[64 * InputEventDecoder::eventSize];
    for (;;) {
        const ssize_t got = ::read(device.fd, buffer, sizeof buffer);
        if (got > 0) {
            for (const KeyEvent &event : device.decoder.feed(buffer, std::size_t(got))) {
                if (!m_handler)
                    return;
                const auto handler = m_handler;
                const auto generation = m_generation;
                handler(event);
                if (generation != m_generation)
                    return; // stopped: `device` is gone
            }
            continue;
        }
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0 && errno == EAGAIN)
            return;
        // End of stream or the device went away (unplugged): forget what it
        // was holding down.
        log(QStringLiteral("EvdevKeySource: %1 closed").arg(device.path));
        close(device);
        if (m_handler) {
            const auto handler = m_handler;
            handler(KeyEvent { 0, KeyEvent::Action::reset });
        }
        return;
    }
}

} // namespace parlowind
