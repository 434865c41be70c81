#pragma once

#include "presentation/AboutPresentation.h"

#include <QPointer>
#include <QWidget>

#include <functional>

class QPushButton;

namespace parlowind {

// A short diagnostic summary that can be copied into a bug report. Built on
// the first show, kept afterwards and refilled with fresh facts every time.
class AboutWindow final
{
public:
    using Gather = std::function<AboutPresentation()>;

    explicit AboutWindow(Gather gather);
    ~AboutWindow();
    AboutWindow(const AboutWindow &) = delete;
    AboutWindow &operator=(const AboutWindow &) = delete;

    void show();
    QWidget *window() const { return m_window; }

private:
    void fill(const AboutPresentation &presentation);

    Gather m_gather;
    QPointer<QWidget> m_window;
    QPointer<QWidget> m_content;
};

} // namespace parlowind
