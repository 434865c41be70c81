#include "PermissionsWindow.h"

#include "Icons.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

namespace parlowind {

PermissionsWindow::PermissionsWindow(QObject *parent)
    : QObject(parent)
{ }

PermissionsWindow::~PermissionsWindow()
{
    delete m_window;
}

void PermissionsWindow::show(PermissionIssue issue, std::function<void()> onRelaunch)
{
    m_presentation = PermissionGatePresentation::make(issue);
    m_onRelaunch = std::move(onRelaunch);
    m_granted = false;
    m_offerRelaunch = false;
    if (!m_window) {
        m_window = new QWidget(nullptr, Qt::Window);
        m_window->setWindowTitle(QStringLiteral("Parlowind Setup"));
        m_window->setWindowIcon(Icons::application());
        m_window->resize(460, 400);
        new QVBoxLayout(m_window);
    }
    rebuild();
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

void PermissionsWindow::close()
{
    if (m_window)
        m_window->close();
}

void PermissionsWindow::setGranted()
{
    if (m_granted)
        return;
    m_granted = true;
    rebuild();
}

void PermissionsWindow::setOfferRelaunch()
{
    if (m_offerRelaunch)
        return;
    m_offerRelaunch = true;
    rebuild();
}

void PermissionsWindow::primaryAction()
{
    // Where the desktop has a settings page, open it; otherwise hand over the
    // exact command to paste into a terminal.
    if (!m_presentation.settingsURL.isEmpty())
        QDesktopServices::openUrl(QUrl(m_presentation.settingsURL));
    if (!m_presentation.command.isEmpty())
        QApplication::clipboard()->setText(m_presentation.command);
}

void PermissionsWindow::rebuild()
{
    if (!m_window)
        return;
    if (m_content) {
        m_content->hide();
        m_content->deleteLater();
    }
    m_content = new QWidget(m_window);
    auto *column = new QVBoxLayout(m_content);
    column->setContentsMargins(24, 24, 24, 24);
    column->setSpacing(16);

    auto *title = new QLabel(m_presentation.title);
    title->setObjectName(QStringLiteral("title"));
    QFont titleFont = title->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.4);
    titleFont.setWeight(QFont::DemiBold);
    title->setFont(titleFont);
    title->setWordWrap(true);
    column->addWidget(title);
    auto *body = new QLabel(m_presentation.body);
    body->setWordWrap(true);
    body->setEnabled(false);
    column->addWidget(body);

    auto *steps = new QVBoxLayout;
    steps->setSpacing(6);
    int number = 1;
    for (const QString &step : m_presentation.steps) {
        auto *row = new QHBoxLayout;
        row->setSpacing(8);
        auto *index = new QLabel(QString::number(number++) + QLatin1Char('.'));
        index->setEnabled(false);
        row->addWidget(index, 0, Qt::AlignTop);
        auto *text = new QLabel(step);
        text->setWordWrap(true);
        text->setTextInteractionFlags(Qt::TextSelectableByMouse);
        row->addWidget(text, 1);
        steps->addLayout(row);
    }
    column->addLayout(steps);
    column->addStretch();

    auto *status = new QLabel(m_granted ? QStringLiteral("Granted — starting Parlowind")
                                        : QStringLiteral("Waiting for permission…"));
    status->setObjectName(QStringLiteral("status"));
    if (m_granted)
        status->setStyleSheet(QStringLiteral("color: #2e9e4f;"));
    else
        status->setEnabled(false);
    column->addWidget(status);

    auto *buttons = new QHBoxLayout;
    if (m_offerRelaunch && !m_granted) {
        auto *relaunch = new QPushButton(QStringLiteral("Relaunch Parlowind"));
        relaunch->setObjectName(QStringLiteral("relaunch"));
        connect(relaunch, &QPushButton::clicked, this, [this] {
            if (m_onRelaunch)
                m_onRelaunch();
        });
        buttons->addWidget(relaunch);
    }
    buttons->addStretch();
    auto *primary = new QPushButton(m_presentation.primaryButton);
    primary->setObjectName(QStringLiteral("primary"));
    primary->setDefault(true);
    primary->setEnabled(!m_granted);
    connect(primary, &QPushButton::clicked, this, &PermissionsWindow::primaryAction);
    buttons->addWidget(primary);
    column->addLayout(buttons);

    m_window->layout()->addWidget(m_content);
    m_content->show();
}

} // namespace parlowind
