#pragma once

#include "presentation/PermissionGatePresentation.h"

#include <QObject>
#include <QPointer>
#include <QWidget>

#include <functional>

namespace parlowind {

// Explains a missing or stale permission while start-up waits for it. The
// shell drives its two flags: `granted` when the polled check passes and
// `offerRelaunch` some time after it was shown.
class PermissionsWindow final : public QObject
{
public:
    explicit PermissionsWindow(QObject *parent = nullptr);
    ~PermissionsWindow() override;

    // Reuses the window for a second issue; both flags start cleared.
    void show(PermissionIssue issue, std::function<void()> onRelaunch);
    void close();

    void setGranted();
    void setOfferRelaunch();
    bool isGranted() const { return m_granted; }
    bool isOfferingRelaunch() const { return m_offerRelaunch; }

    QWidget *window() const { return m_window; }

private:
    void primaryAction();
    void rebuild();

    PermissionGatePresentation m_presentation;
    std::function<void()> m_onRelaunch;
    bool m_granted = false;
    bool m_offerRelaunch = false;
    QPointer<QWidget> m_window;
    QPointer<QWidget> m_content;
};

} // namespace parlowind
