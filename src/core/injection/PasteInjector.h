#pragma once

#include "KeystrokeSending.h"
#include "PasteboardWriting.h"
#include "TextInjecting.h"

#include <functional>
#include <optional>

namespace parlowind {

class MonotonicClock;

// The paste tier: puts the text on the clipboard, sends the paste shortcut to
// the focused application and puts the user's clipboard back afterwards,
// unless another program changed it meanwhile.
class PasteInjector final : public TextInjecting
{
public:
    // Long enough for a busy X11 application to take the key press and read
    // the selection; the clipboard is served during the whole wait.
    static constexpr double defaultRestoreDelay = 0.5;

    struct Services
    {
        PasteboardWriting *pasteboard = nullptr;
        KeystrokeSending *keystrokes = nullptr;
        MonotonicClock *clock = nullptr; // the wait before restoring runs on it
        double restoreDelay = defaultRestoreDelay;
        std::function<bool()> secureInputCheck; // true while a password field has the focus
        std::function<std::optional<QString>()> frontmostBundleIdentifier;
    };

    // The services must outlive this object, and this object every inject()
    // it started (the application keeps its injectors for its lifetime).
    explicit PasteInjector(Services services);

    InjectionTier tier() const override { return InjectionTier::paste; }
    QCoro::Task<> inject(QString text, FocusContext context) override;

    // Terminals take Ctrl+Shift+V; everything else Ctrl+V.
    static PasteShortcut shortcutFor(const FocusContext &context);

private:
    Services m_services;
};

} // namespace parlowind
