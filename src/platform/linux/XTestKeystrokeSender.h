#pragma once

#include "injection/KeystrokeSending.h"

#include <memory>

namespace parlowind {

// Sends the paste shortcut as synthetic X11 key events (XTest) to whichever
// window has the focus. The key for "v" is looked up in the current keymap,
// so the shortcut matches the user's layout.
class XTestKeystrokeSender final : public KeystrokeSending
{
public:
    XTestKeystrokeSender();
    ~XTestKeystrokeSender() override;
    XTestKeystrokeSender(const XTestKeystrokeSender &) = delete;
    XTestKeystrokeSender &operator=(const XTestKeystrokeSender &) = delete;

    // An X display with the XTest extension is there.
    bool isAvailable() const;

    // eventPostingDenied without XTest; axFailed(-2) when no key produces "v".
    void sendPaste(PasteShortcut shortcut) override;

private:
    struct Connection;
    std::unique_ptr<Connection> m_connection;
};

} // namespace parlowind
