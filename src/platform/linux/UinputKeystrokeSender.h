#pragma once

#include "injection/KeystrokeSending.h"

namespace parlowind {

// Sends the paste shortcut through a virtual keyboard made with the kernel's
// uinput device: works in any session (Wayland included) when /dev/uinput is
// writable. Uses the key positions of the US layout (KEY_V), which is where
// layouts that matter for shortcuts keep "v".
class UinputKeystrokeSender final : public KeystrokeSending
{
public:
    // Creates the virtual keyboard; isAvailable() is false when that fails.
    explicit UinputKeystrokeSender(const char *devicePath = "/dev/uinput");
    ~UinputKeystrokeSender() override;
    UinputKeystrokeSender(const UinputKeystrokeSender &) = delete;
    UinputKeystrokeSender &operator=(const UinputKeystrokeSender &) = delete;

    bool isAvailable() const { return m_fd >= 0; }

    // eventPostingDenied without the device; axFailed(-2) when the kernel
    // refuses the events.
    void sendPaste(PasteShortcut shortcut) override;

    // Writes the key presses and releases of the shortcut, each followed by
    // a report, to `fd`. False when a write failed.
    static bool writePasteEvents(int fd, PasteShortcut shortcut);

private:
    int m_fd = -1;
};

} // namespace parlowind
