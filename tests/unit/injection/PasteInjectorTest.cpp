#include "injection/PasteInjector.h"
#include "FakeClock.h"
#include "InjectionTestSupport.h"

#include <gtest/gtest.h>

#include <ostream>

using namespace parlowind;
using Kind = InjectionError::Kind;
using parlowind::test::FakeClock;

namespace {

// Table rows print as their name, which also keeps test names short.
template<typename Row>
requires requires(const Row &row)
{
    row.name;
}
void PrintTo(const Row &row, std::ostream *out)
{
    *out << row.name;
}

// A clipboard that records what was done to it, in order, and lets a test
// play another program changing it.
class FakePasteboard final : public PasteboardWriting
{
public:
    QList<PasteboardItem> content { { { QStringLiteral("text/plain"), "earlier" },
                                      { QStringLiteral("image/png"), QByteArray("\x89PNG", 4) } } };
    qint64 count = 7;
    QStringList calls;

    qint64 changeCount() const override { return count; }
    QList<PasteboardItem> snapshot() override
    {
        calls << QStringLiteral("snapshot");
        return content;
    }
    qint64 write(const QString &text) override
    {
        calls << QStringLiteral("write ") + text;
        content = { { { QStringLiteral("text/plain"), text.toUtf8() } } };
        return ++count;
    }
    void restore(const QList<PasteboardItem> &items) override
    {
        calls << QStringLiteral("restore");
        content = items;
        ++count;
    }
    void changedByAnotherProgram(const QByteArray &text)
    {
        content = { { { QStringLiteral("text/plain"), text } } };
        ++count;
    }
};

class FakeKeystrokes final : public KeystrokeSending
{
public:
    FakePasteboard *pasteboard = nullptr;
    std::optional<InjectionError> failure;
    std::function<void()> whileSending; // another program acting at the key press
    void sendPaste(PasteShortcut shortcut) override
    {
        pasteboard->calls << (shortcut == PasteShortcut::ctrlV ? QStringLiteral("Ctrl+V")
                                                               : QStringLiteral("Ctrl+Shift+V"));
        if (whileSending)
            whileSending();
        if (failure)
            throw *failure;
    }
};

const FocusContext inEditor { QStringLiteral("Editor"), QStringLiteral("Editor"), true };

class PasteInjectorTest : public ::testing::Test
{
protected:
    FakePasteboard pasteboard;
    FakeKeystrokes keystrokes;
    FakeClock clock;
    bool secureInput = false;
    std::optional<QString> frontmost = QStringLiteral("Editor");
    const QList<PasteboardItem> original = pasteboard.content;

    PasteInjector injector { { &pasteboard, &keystrokes, &clock, 0.5, [this] { return secureInput; },
                               [this] { return frontmost; } } };
    test::InjectOutcome outcome;

    PasteInjectorTest() { keystrokes.pasteboard = &pasteboard; }

    QCoro::Task<> start(const QString &text, const FocusContext &context = inEditor)
    {
        return test::recordInject(&injector, text, context, &outcome);
    }
};

TEST_F(PasteInjectorTest, PastesThenRestoresEveryFormatOnlyAfterTheDelay)
{
    auto task = start(QStringLiteral("dictated"));
    EXPECT_EQ(pasteboard.calls,
              QStringList({ QStringLiteral("snapshot"), QStringLiteral("write dictated"), QStringLiteral("Ctrl+V") }));
    clock.advance(0.49);
    EXPECT_FALSE(outcome.finished) << "restored before the target could read the paste";
    EXPECT_EQ(pasteboard.content.first().value(QStringLiteral("text/plain")), "dictated");

    clock.advance(0.01);
    EXPECT_TRUE(outcome.finished);
    EXPECT_EQ(outcome.error, std::nullopt);
    EXPECT_EQ(pasteboard.calls.last(), QStringLiteral("restore"));
    EXPECT_EQ(pasteboard.content, original);
}

TEST_F(PasteInjectorTest, LeavesANewerClipboardAlone)
{
    auto task = start(QStringLiteral("dictated"));
    clock.advance(0.2);
    pasteboard.changedByAnotherProgram("copied meanwhile");
    clock.advance(0.3);

    EXPECT_TRUE(outcome.finished);
    EXPECT_EQ(outcome.error, std::nullopt);
    EXPECT_FALSE(pasteboard.calls.contains(QStringLiteral("restore")));
    EXPECT_EQ(pasteboard.content.first().value(QStringLiteral("text/plain")), "copied meanwhile");
}

TEST_F(PasteInjectorTest, FailedKeystrokeRestoresAtOnceAndReportsTheSendersError)
{
    keystrokes.failure = InjectionError(Kind::eventPostingDenied);
    auto task = start(QStringLiteral("dictated"));

    EXPECT_TRUE(outcome.finished) << "waited although nothing was pasted";
    EXPECT_EQ(outcome.error, InjectionError(Kind::eventPostingDenied));
    EXPECT_EQ(pasteboard.content, original);
}

TEST_F(PasteInjectorTest, FailedKeystrokeDoesNotRestoreOverANewerClipboard)
{
    keystrokes.failure = InjectionError(Kind::axFailed, -2);
    keystrokes.whileSending = [this] { pasteboard.changedByAnotherProgram("newer"); };
    auto task = start(QStringLiteral("dictated"));

    EXPECT_EQ(outcome.error, InjectionError(Kind::axFailed, -2));
    EXPECT_FALSE(pasteboard.calls.contains(QStringLiteral("restore")));
}

struct RefusalCase
{
    const char *name;
    QString text;
    bool secureInput;
    std::optional<QString> frontmost;
    InjectionError expected;
};

class PasteRefusalTest : public PasteInjectorTest, public ::testing::WithParamInterface<RefusalCase>
{
};

TEST_P(PasteRefusalTest, RefusesWithoutTouchingTheClipboard)
{
    secureInput = GetParam().secureInput;
    frontmost = GetParam().frontmost;
    auto task = start(GetParam().text);

    EXPECT_TRUE(outcome.finished);
    EXPECT_EQ(outcome.error, GetParam().expected);
    EXPECT_TRUE(pasteboard.calls.isEmpty()) << pasteboard.calls.join(u',').toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Rows, PasteRefusalTest,
    ::testing::Values(
        RefusalCase { "EmptyText", QString(), false, QStringLiteral("Editor"), InjectionError(Kind::emptyText) },
        RefusalCase { "PasswordFieldFocused", QStringLiteral("x"), true, QStringLiteral("Editor"),
                      InjectionError(Kind::secureInputActive) },
        RefusalCase { "AnotherApplicationInFront", QStringLiteral("x"), false, QStringLiteral("Browser"),
                      InjectionError(Kind::focusChanged) },
        RefusalCase { "IdentifierComparedExactly", QStringLiteral("x"), false, QStringLiteral("editor"),
                      InjectionError(Kind::focusChanged) },
        RefusalCase { "NothingInFront", QStringLiteral("x"), false, std::nullopt, InjectionError(Kind::focusChanged) }),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(PasteInjectorTest, ContextWithoutApplicationSkipsTheFocusCheck)
{
    frontmost = std::nullopt;
    auto task = start(QStringLiteral("x"), FocusContext::unknown());
    clock.advance(0.5);
    EXPECT_TRUE(outcome.finished);
    EXPECT_EQ(outcome.error, std::nullopt);
    EXPECT_TRUE(pasteboard.calls.contains(QStringLiteral("Ctrl+V")));
}

struct ShortcutCase
{
    const char *name;
    std::optional<QString> application;
    PasteShortcut expected;
};

class PasteShortcutTest : public ::testing::TestWithParam<ShortcutCase>
{
};

TEST_P(PasteShortcutTest, TerminalsGetCtrlShiftV)
{
    const FocusContext context { GetParam().application, GetParam().application, true };
    EXPECT_EQ(PasteInjector::shortcutFor(context), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, PasteShortcutTest,
    ::testing::Values(ShortcutCase { "TextEditor", QStringLiteral("Gedit"), PasteShortcut::ctrlV },
                      ShortcutCase { "Unknown", std::nullopt, PasteShortcut::ctrlV },
                      ShortcutCase { "XTermClass", QStringLiteral("XTerm"), PasteShortcut::ctrlShiftV },
                      ShortcutCase { "GnomeTerminal", QStringLiteral("Gnome-terminal"), PasteShortcut::ctrlShiftV },
                      ShortcutCase { "Konsole", QStringLiteral("konsole"), PasteShortcut::ctrlShiftV },
                      ShortcutCase { "NotATerminalDespiteTheName", QStringLiteral("terminal-notes"),
                                     PasteShortcut::ctrlV }),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
