#include "PasteInjector.h"

#include "InjectionError.h"
#include "support/MonotonicClock.h"

#include <QStringList>

namespace parlowind {

PasteInjector::PasteInjector(Services services)
    : m_services(std::move(services))
{
    Q_ASSERT(m_services.pasteboard && m_services.keystrokes && m_services.clock);
}

PasteShortcut PasteInjector::shortcutFor(const FocusContext &context)
{
    // Application ids (X11 WM_CLASS classes, Wayland app ids) of terminal
    // emulators, where Ctrl+V is a control character rather than paste.
    static const QStringList terminals = {
        QStringLiteral("alacritty"),
        QStringLiteral("com.mitchellh.ghostty"),
        QStringLiteral("foot"),
        QStringLiteral("footclient"),
        QStringLiteral("gnome-terminal"),
        QStringLiteral("gnome-terminal-server"),
        QStringLiteral("guake"),
        QStringLiteral("kitty"),
        QStringLiteral("konsole"),
        QStringLiteral("lxterminal"),
        QStringLiteral("mate-terminal"),
        QStringLiteral("org.gnome.console"),
        QStringLiteral("org.gnome.ptyxis"),
        QStringLiteral("org.gnome.terminal"),
        QStringLiteral("org.kde.konsole"),
        QStringLiteral("qterminal"),
        QStringLiteral("st"),
        QStringLiteral("st-256color"),
        QStringLiteral("terminator"),
        QStringLiteral("terminology"),
        QStringLiteral("tilix"),
        QStringLiteral("urxvt"),
        QStringLiteral("wezterm"),
        QStringLiteral("org.wezfurlong.wezterm"),
        QStringLiteral("x-terminal-emulator"),
        QStringLiteral("xfce4-terminal"),
        QStringLiteral("xterm"),
        QStringLiteral("yakuake"),
    };
    if (!context.bundleIdentifier)
        return PasteShortcut::ctrlV;
    return terminals.contains(context.bundleIdentifier->toLower()) ? PasteShortcut::ctrlShiftV : PasteShortcut::ctrlV;
}

QCoro::Task<> PasteInjector::inject(QString text, FocusContext context)
{
    using Kind = InjectionError::Kind;
    if (text.isEmpty())
        throw InjectionError(Kind::emptyText);
    if (m_services.secureInputCheck && m_services.secureInputCheck())
        throw InjectionError(Kind::secureInputActive);
    if (context.bundleIdentifier) {
        const std::optional<QString> frontmost
            = m_services.frontmostBundleIdentifier ? m_services.frontmostBundleIdentifier() : std::nullopt;
        if (!frontmost || *frontmost != *context.bundleIdentifier)
            throw InjectionError(Kind::focusChanged);
    }

    PasteboardWriting &pasteboard = *m_services.pasteboard;
    const QList<PasteboardItem> saved = pasteboard.snapshot();
    const qint64 written = pasteboard.write(text);

    try {
        m_services.keystrokes->sendPaste(shortcutFor(context));
    } catch (const InjectionError &) {
        if (pasteboard.changeCount() == written)
            pasteboard.restore(saved);
        throw;
    }

    // The target reads the clipboard some time after the key press; the
    // clock's sleep keeps the event loop (and so the clipboard) serving.
    if (m_services.restoreDelay > 0) {
        auto wait = m_services.clock->sleep(m_services.restoreDelay);
        co_await wait;
    }
    if (pasteboard.changeCount() == written)
        pasteboard.restore(saved);
}

} // namespace parlowind
