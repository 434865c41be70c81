#include "injection/ClipboardOnlyInjector.h"
#include "InjectionTestSupport.h"

#include <QtGlobal>

#include <gtest/gtest.h>

using namespace parlowind;

namespace {

class RecordingPasteboard final : public PasteboardWriting
{
public:
    QStringList written;
    int restores = 0;
    qint64 changeCount() const override { return written.size(); }
    QList<PasteboardItem> snapshot() override { return {}; }
    qint64 write(const QString &text) override
    {
        written << text;
        return written.size();
    }
    void restore(const QList<PasteboardItem> &) override { ++restores; }
};

QStringList s_messages;
void collect(QtMsgType, const QMessageLogContext &, const QString &message)
{
    s_messages << message;
}

TEST(ClipboardOnlyInjectorTest, LeavesTheTextOnTheClipboardAndTellsTheUser)
{
    RecordingPasteboard pasteboard;
    QStringList told;
    ClipboardOnlyInjector injector(&pasteboard, [&told](const QString &text) { told << text; });
    test::InjectOutcome outcome;
    QCoro::waitFor(test::recordInject(&injector, QStringLiteral("Grüße 你好 👋"), FocusContext::unknown(), &outcome));

    EXPECT_EQ(outcome.error, std::nullopt);
    EXPECT_EQ(pasteboard.written, QStringList { QStringLiteral("Grüße 你好 👋") });
    EXPECT_EQ(pasteboard.restores, 0);
    EXPECT_EQ(told, QStringList { QStringLiteral("Grüße 你好 👋") });
}

TEST(ClipboardOnlyInjectorTest, EmptyTextChangesNothing)
{
    RecordingPasteboard pasteboard;
    int told = 0;
    ClipboardOnlyInjector injector(&pasteboard, [&told](const QString &) { ++told; });
    test::InjectOutcome outcome;
    QCoro::waitFor(test::recordInject(&injector, QString(), FocusContext::unknown(), &outcome));

    EXPECT_EQ(outcome.error, InjectionError(InjectionError::Kind::emptyText));
    EXPECT_TRUE(pasteboard.written.isEmpty());
    EXPECT_EQ(told, 0);
}

TEST(ClipboardOnlyInjectorTest, ByDefaultLogsWhereTheTextIs)
{
    RecordingPasteboard pasteboard;
    ClipboardOnlyInjector injector(&pasteboard);
    s_messages.clear();
    const QtMessageHandler previous = qInstallMessageHandler(collect);
    test::InjectOutcome outcome;
    QCoro::waitFor(test::recordInject(&injector, QStringLiteral("hello"), FocusContext::unknown(), &outcome));
    qInstallMessageHandler(previous);

    EXPECT_TRUE(s_messages.contains(QStringLiteral("Injection failed — text is on the clipboard, press Ctrl+V: hello")))
        << s_messages.join(u'\n').toStdString();
}

} // namespace
