#include "UinputKeystrokeSender.h"

#include "injection/InjectionError.h"

#include <QThread>

#include <fcntl.h>
#include <linux/uinput.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace parlowind {

namespace {

bool sendEvent(int fd, unsigned short type, unsigned short code, int value)
{
    input_event event;
    std::memset(&event, 0, sizeof event);
    event.type = type;
    event.code = code;
    event.value = value;
    ssize_t written;
    do {
        written = ::write(fd, &event, sizeof event);
    } while (written < 0 && errno == EINTR);
    return written == static_cast<ssize_t>(sizeof event);
}

bool key(int fd, unsigned short code, bool pressed)
{
    return sendEvent(fd, EV_KEY, code, pressed ? 1 : 0) && sendEvent(fd, EV_SYN, SYN_REPORT, 0);
}

} // namespace

UinputKeystrokeSender::UinputKeystrokeSender(const char *devicePath)
{
    const int fd = ::open(devicePath, O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return;
    uinput_setup setup;
    std::memset(&setup, 0, sizeof setup);
    setup.id.bustype = BUS_VIRTUAL;
    std::strncpy(setup.name, "Parlowind virtual keyboard", UINPUT_MAX_NAME_SIZE - 1);
    const bool ok = ioctl(fd, UI_SET_EVBIT, EV_KEY) == 0 && ioctl(fd, UI_SET_EVBIT, EV_SYN) == 0
        && ioctl(fd, UI_SET_KEYBIT, KEY_LEFTCTRL) == 0 && ioctl(fd, UI_SET_KEYBIT, KEY_LEFTSHIFT) == 0
        && ioctl(fd, UI_SET_KEYBIT, KEY_V) == 0 && ioctl(fd, UI_DEV_SETUP, &setup) == 0
        && ioctl(fd, UI_DEV_CREATE) == 0;
    if (!ok) {
        ::close(fd);
        return;
    }
    m_fd = fd;
    // The compositor needs a moment to open a new keyboard before its first
    // keys count; this happens once, at start-up.
    QThread::msleep(200);
}

UinputKeystrokeSender::~UinputKeystrokeSender()
{
    if (m_fd >= 0) {
        ioctl(m_fd, UI_DEV_DESTROY);
        ::close(m_fd);
    }
}

void UinputKeystrokeSender::sendPaste(PasteShortcut shortcut)
{
    if (m_fd < 0)
        throw InjectionError(InjectionError::Kind::eventPostingDenied);
    if (!writePasteEvents(m_fd, shortcut))
        throw InjectionError(InjectionError::Kind::axFailed, -2);
}

bool UinputKeystrokeSender::writePasteEvents(int fd, PasteShortcut shortcut)
{
    const bool withShift = shortcut == PasteShortcut::ctrlShiftV;
    bool ok = key(fd, KEY_LEFTCTRL, true);
    if (ok && withShift)
        ok = key(fd, KEY_LEFTSHIFT, true);
    ok = ok && key(fd, KEY_V, true) && key(fd, KEY_V, false);
    // Release what was pressed even after a failed write, so no modifier is
    // left held down.
    if (withShift)
        ok = key(fd, KEY_LEFTSHIFT, false) && ok;
    ok = key(fd, KEY_LEFTCTRL, false) && ok;
    return ok;
}

} // namespace parlowind
