#pragma once

namespace parlowind {

// Which paste shortcut the target understands: terminals paste with Ctrl+Shift+V.
enum class PasteShortcut { ctrlV, ctrlShiftV };

// Synthesises the paste key press and release. Throws InjectionError.
class KeystrokeSending
{
public:
    virtual ~KeystrokeSending() = default;
    virtual void sendPaste(PasteShortcut shortcut) = 0;
};

} // namespace parlowind
