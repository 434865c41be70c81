#include "AboutWindow.h"

#include "Icons.h"
#include "support/Log.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

namespace parlowind {

AboutWindow::AboutWindow(Gather gather)
    : m_gather(std::move(gather))
{ }

AboutWindow::~AboutWindow()
{
    delete m_window;
}

void AboutWindow::show()
{
    const AboutPresentation presentation = m_gather ? m_gather() : AboutPresentation {};
    if (!m_window) {
        m_window = new QWidget(nullptr, Qt::Window);
        m_window->setWindowTitle(QStringLiteral("About Parlowind"));
        m_window->setWindowIcon(Icons::application());
        m_window->resize(420, 380);
        new QVBoxLayout(m_window);
        m_window->layout()->setContentsMargins(0, 0, 0, 0);
    }
    fill(presentation);
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

void AboutWindow::fill(const AboutPresentation &presentation)
{
    if (m_content) {
        m_content->hide();
        m_content->deleteLater();
    }
    m_content = new QWidget(m_window);
    auto *column = new QVBoxLayout(m_content);
    column->setSpacing(0);
    column->setContentsMargins(0, 0, 0, 0);

    auto *header = new QHBoxLayout;
    header->setContentsMargins(20, 20, 20, 20);
    header->setSpacing(12);
    auto *icon = new QLabel;
    icon->setPixmap(Icons::application().pixmap(40, 40));
    header->addWidget(icon);
    auto *titles = new QVBoxLayout;
    auto *name = new QLabel(QStringLiteral("Parlowind"));
    QFont titleFont = name->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.4);
    titleFont.setWeight(QFont::DemiBold);
    name->setFont(titleFont);
    titles->addWidget(name);
    auto *tagline = new QLabel(QStringLiteral("Dictation that stays on this computer"));
    tagline->setEnabled(false);
    titles->addWidget(tagline);
    header->addLayout(titles);
    header->addStretch();
    column->addLayout(header);

    auto *facts = new QWidget;
    auto *grid = new QGridLayout(facts);
    grid->setContentsMargins(20, 12, 20, 12);
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(8);
    grid->setColumnMinimumWidth(0, 108);
    int row = 0;
    for (const auto &fact : presentation.facts) {
        auto *label = new QLabel(fact.label);
        label->setEnabled(false);
        auto *value = new QLabel(fact.value);
        value->setObjectName(fact.label);
        value->setWordWrap(true);
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        if (fact.needsAttention)
            value->setStyleSheet(QStringLiteral("color: #d9822b;"));
        grid->addWidget(label, row, 0, Qt::AlignTop | Qt::AlignLeft);
        grid->addWidget(value, row, 1, Qt::AlignTop);
        ++row;
    }
    grid->setRowStretch(row, 1);
    auto *scroll = new QScrollArea;
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidget(facts);
    column->addWidget(scroll, 1);

    auto *buttons = new QHBoxLayout;
    buttons->setContentsMargins(16, 16, 16, 16);
    auto *copy = new QPushButton(QStringLiteral("Copy details"));
    copy->setObjectName(QStringLiteral("copyDetails"));
    const QString diagnostics = presentation.diagnostics();
    QObject::connect(copy, &QPushButton::clicked, copy, [copy, diagnostics] {
        QApplication::clipboard()->setText(diagnostics);
        copy->setText(QStringLiteral("Copied"));
        QTimer::singleShot(1600, copy, [copy] { copy->setText(QStringLiteral("Copy details")); });
    });
    buttons->addWidget(copy);
    auto *showLog = new QPushButton(QStringLiteral("Show log"));
    QObject::connect(showLog, &QPushButton::clicked, showLog, [] {
        // File managers have no common "select this file" request: open its folder.
        QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(Log::fileUrl()).absolutePath()));
    });
    buttons->addWidget(showLog);
    buttons->addStretch();
    column->addLayout(buttons);

    m_window->layout()->addWidget(m_content);
    m_content->show();
}

} // namespace parlowind
