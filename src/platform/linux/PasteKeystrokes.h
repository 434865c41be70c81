#pragma once

#include "PlatformInfo.h"
#include "injection/KeystrokeSending.h"

#include <memory>

namespace parlowind {

// The paste keys for this session: XTest on X11, the uinput virtual keyboard
// elsewhere or when XTest is missing. With neither, the sender fails every
// paste with eventPostingDenied, so the clipboard tier takes over. Logs the
// choice.
std::unique_ptr<KeystrokeSending> createPasteKeystrokeSender(const PlatformInfo &platform,
                                                             const char *uinputPath = "/dev/uinput");

} // namespace parlowind
