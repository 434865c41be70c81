#pragma once

#include "PermissionIssue.h"

#include <QString>
#include <QStringList>

namespace parlowind {

// The texts of the permission window for one issue.
struct PermissionGatePresentation
{
    QString title;
    QString body;
    QStringList steps; // shown numbered
    QString primaryButton;
    // Where the desktop has a settings page for this, its URL; empty otherwise.
    QString settingsURL;
    // The exact command the primary button copies; empty when there is none.
    QString command;
    bool needsManualToggle = false;

    static PermissionGatePresentation make(PermissionIssue issue);

    bool operator==(const PermissionGatePresentation &) const = default;
};

} // namespace parlowind
