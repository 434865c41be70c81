#include "PasteKeystrokes.h"

#include "UinputKeystrokeSender.h"
#include "injection/InjectionError.h"
#include "support/Log.h"

#ifdef PARLOWIND_HAVE_ATSPI_X11
#include "XTestKeystrokeSender.h"
#endif

namespace parlowind {

namespace {

class NoKeystrokeSender final : public KeystrokeSending
{
public:
    void sendPaste(PasteShortcut) override { throw InjectionError(InjectionError::Kind::eventPostingDenied); }
};

} // namespace

std::unique_ptr<KeystrokeSending> createPasteKeystrokeSender(const PlatformInfo &platform, const char *uinputPath)
{
#ifdef PARLOWIND_HAVE_ATSPI_X11
    if (platform.session == SessionType::x11) {
        auto xtest = std::make_unique<XTestKeystrokeSender>();
        if (xtest->isAvailable()) {
            log(QStringLiteral("Paste keys: XTest"));
            return xtest;
        }
    }
#else
    Q_UNUSED(platform);
#endif
    auto uinput = std::make_unique<UinputKeystrokeSender>(uinputPath);
    if (uinput->isAvailable()) {
        log(QStringLiteral("Paste keys: uinput virtual keyboard"));
        return uinput;
    }
    log(QStringLiteral("Paste keys: none (no XTest, and %1 is not writable); text goes to the clipboard")
            .arg(QString::fromLocal8Bit(uinputPath)));
    return std::make_unique<NoKeystrokeSender>();
}

} // namespace parlowind
