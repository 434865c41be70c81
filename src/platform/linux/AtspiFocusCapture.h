#pragma once

#include "injection/FocusCapturing.h"

#include <QString>

#include <memory>
#include <mutex>
#include <optional>

namespace parlowind {

class AtspiTextElement;
class X11ActiveWindow;

// Remembers, at the press, which application is in front and which AT-SPI
// element has the keyboard focus in it. On X11 the application is the active
// window's WM_CLASS class and its element is looked up in the AT-SPI
// application with the same process; elsewhere the application is the
// AT-SPI application owning the active window.
class AtspiFocusCapture final : public FocusCapturing
{
public:
    AtspiFocusCapture();
    ~AtspiFocusCapture() override;
    AtspiFocusCapture(const AtspiFocusCapture &) = delete;
    AtspiFocusCapture &operator=(const AtspiFocusCapture &) = delete;

    FocusContext capture() override;

    // The element of the last capture, or nothing once its application has
    // gone (or dropped the element).
    std::shared_ptr<AtspiTextElement> element();

    // The application id of the window in front now, as capture() names it.
    std::optional<QString> frontmostApplicationId();

    // The captured element is a password field.
    bool focusedElementIsPassword();

private:
    std::unique_ptr<X11ActiveWindow> m_activeWindow; // X11 sessions only
    std::mutex m_mutex;
    std::shared_ptr<AtspiTextElement> m_element;
};

} // namespace parlowind
