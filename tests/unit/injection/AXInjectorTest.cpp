#include "injection/AXInjector.h"
#include "InjectionTestSupport.h"

#include <gtest/gtest.h>

#include <ostream>

#include <memory>

using namespace parlowind;
using Kind = InjectionError::Kind;
using Range = AccessibleTextElement::Range;

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

// A text field as a toolkit exposes it, with the faults real ones show
// scripted by flags. Holds code points, as accessibility offsets count them.
class FakeElement final : public AccessibleTextElement
{
public:
    QList<uint> content;
    Range selected;
    int caret = 0;
    bool password = false;
    bool editable = true;
    bool selectionKnown = true;
    bool readable = true;
    bool ignoresWrites = false; // reports success and changes nothing
    enum class Caret { followsText, staysAtStart, jumpsToEnd };
    Caret caretAfterWrite = Caret::followsText;
    bool countsCharacters = true;
    int failureCode = 0;
    int writes = 0;

    void setText(const QString &text, Range selection)
    {
        content = text.toUcs4();
        selected = selection;
        caret = selection.end;
    }
    QString value() const
    {
        return QString::fromUcs4(reinterpret_cast<const char32_t *>(content.data()), content.size());
    }

    bool isPasswordField() override { return password; }
    bool isEditable() override { return editable; }
    std::optional<QString> text() override { return readable ? std::optional(value()) : std::nullopt; }
    std::optional<int> characterCount() override
    {
        return countsCharacters ? std::optional(static_cast<int>(content.size())) : std::nullopt;
    }
    std::optional<Range> selection() override { return selectionKnown ? std::optional(selected) : std::nullopt; }
    int replace(Range range, const QString &text) override
    {
        ++writes;
        if (failureCode != 0 || ignoresWrites)
            return failureCode;
        const QList<uint> inserted = text.toUcs4();
        content.remove(range.start, range.end - range.start);
        for (qsizetype i = 0; i < inserted.size(); ++i)
            content.insert(range.start + i, inserted[i]);
        switch (caretAfterWrite) {
        case Caret::followsText:
            caret = range.start + static_cast<int>(inserted.size());
            break;
        case Caret::staysAtStart:
            caret = range.start;
            break;
        case Caret::jumpsToEnd:
            caret = static_cast<int>(content.size());
            break;
        }
        return 0;
    }
    std::optional<int> caretOffset() override { return caret; }
    bool setCaretOffset(int offset) override
    {
        caret = offset;
        return true;
    }
};

const FocusContext withElement { QStringLiteral("Editor"), QStringLiteral("Editor"), true };

class AXInjectorTest : public ::testing::Test
{
protected:
    std::shared_ptr<FakeElement> element = std::make_shared<FakeElement>();
    AXInjector injector { [this] { return element; } };

    std::optional<InjectionError> insert(const QString &text, const FocusContext &context = withElement)
    {
        try {
            injector.insert(text, context);
        } catch (const InjectionError &error) {
            return error;
        }
        return std::nullopt;
    }
};

struct InsertCase
{
    const char *name;
    QString initial;
    Range selection;
    QString text;
    FakeElement::Caret caretAfterWrite;
    bool countsCharacters;
    QString expected;
    int expectedCaret;
};

class AXInsertTest : public AXInjectorTest, public ::testing::WithParamInterface<InsertCase>
{
};

TEST_P(AXInsertTest, WritesAtTheCaretOrOverTheSelectionAndLeavesTheCaretAfterIt)
{
    const InsertCase &row = GetParam();
    element->setText(row.initial, row.selection);
    element->caretAfterWrite = row.caretAfterWrite;
    element->countsCharacters = row.countsCharacters;

    EXPECT_EQ(insert(row.text), std::nullopt);
    EXPECT_EQ(element->value(), row.expected);
    EXPECT_EQ(element->caret, row.expectedCaret);
}

using Caret = FakeElement::Caret;
INSTANTIATE_TEST_SUITE_P(Rows, AXInsertTest,
                         ::testing::Values(InsertCase { "IntoEmptyField",
                                                        QString(),
                                                        { 0, 0 },
                                                        QStringLiteral("hello"),
                                                        Caret::followsText,
                                                        true,
                                                        QStringLiteral("hello"),
                                                        5 },
                                           InsertCase { "AtCaretInMiddle",
                                                        QStringLiteral("ad"),
                                                        { 1, 1 },
                                                        QStringLiteral("bc"),
                                                        Caret::followsText,
                                                        true,
                                                        QStringLiteral("abcd"),
                                                        3 },
                                           InsertCase { "ReplacesSelection",
                                                        QStringLiteral("say WORD now"),
                                                        { 4, 8 },
                                                        QStringLiteral("this"),
                                                        Caret::followsText,
                                                        true,
                                                        QStringLiteral("say this now"),
                                                        8 },
                                           InsertCase { "CaretLeftBehindIsMoved",
                                                        QStringLiteral("ab"),
                                                        { 1, 1 },
                                                        QStringLiteral("XY"),
                                                        Caret::staysAtStart,
                                                        true,
                                                        QStringLiteral("aXYb"),
                                                        3 },
                                           InsertCase { "CaretAtEndOfFieldIsBroughtBack",
                                                        QStringLiteral("say WORD now"),
                                                        { 4, 8 },
                                                        QStringLiteral("this"),
                                                        Caret::jumpsToEnd,
                                                        true,
                                                        QStringLiteral("say this now"),
                                                        8 },
                                           // Offsets count code points: an emoji is one, not two UTF-16 units.
                                           InsertCase { "CaretAfterEmojiAndCjk",
                                                        QStringLiteral("<>"),
                                                        { 1, 1 },
                                                        QStringLiteral("é漢😀"),
                                                        Caret::staysAtStart,
                                                        true,
                                                        QStringLiteral("<é漢😀>"),
                                                        4 },
                                           InsertCase { "LengthUnknownCountsCodePoints",
                                                        QStringLiteral("<>"),
                                                        { 1, 1 },
                                                        QStringLiteral("é漢😀"),
                                                        Caret::jumpsToEnd,
                                                        false,
                                                        QStringLiteral("<é漢😀>"),
                                                        4 }),
                         [](const auto &info) { return std::string(info.param.name); });

struct FailureCase
{
    const char *name;
    QString text;
    bool hasElement;
    std::function<void(FakeElement &)> setUp;
    InjectionError expected;
    bool expectWrite; // whether the element was written to at all
};

class AXFailureTest : public AXInjectorTest, public ::testing::WithParamInterface<FailureCase>
{
};

TEST_P(AXFailureTest, FailsWithTheReasonTheNextTierIsTriedFor)
{
    const FailureCase &row = GetParam();
    element->setText(QStringLiteral("before"), { 6, 6 });
    if (row.setUp)
        row.setUp(*element);
    FocusContext context = withElement;
    context.hasElement = row.hasElement;

    EXPECT_EQ(insert(row.text, context), row.expected);
    EXPECT_EQ(element->writes > 0, row.expectWrite);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, AXFailureTest,
    ::testing::Values(
        FailureCase { "EmptyText", QString(), true, {}, InjectionError(Kind::emptyText), false },
        FailureCase {
            "NothingCaptured", QStringLiteral("x"), false, {}, InjectionError(Kind::noFocusedElement), false },
        FailureCase { "PasswordFieldRefused", QStringLiteral("secret"), true, [](FakeElement &e) { e.password = true; },
                      InjectionError(Kind::secureInputActive), false },
        FailureCase { "NotEditable", QStringLiteral("x"), true, [](FakeElement &e) { e.editable = false; },
                      InjectionError(Kind::notSettable), false },
        FailureCase { "CaretUnknown", QStringLiteral("x"), true, [](FakeElement &e) { e.selectionKnown = false; },
                      InjectionError(Kind::notSettable), false },
        FailureCase { "WriteRefused", QStringLiteral("x"), true, [](FakeElement &e) { e.failureCode = 3; },
                      InjectionError(Kind::axFailed, 3), true },
        FailureCase { "WriteIgnored", QStringLiteral("x"), true, [](FakeElement &e) { e.ignoresWrites = true; },
                      InjectionError(Kind::writeDiscarded), true },
        // Written, but nobody can tell: the next tier runs and the text may
        // appear twice, which is preferred to losing it.
        FailureCase { "ValueUnreadable", QStringLiteral("x"), true, [](FakeElement &e) { e.readable = false; },
                      InjectionError(Kind::writeNotVerifiable), true }),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(AXInjectorTest, ElementGoneSinceTheCaptureFailsWithoutTouchingIt)
{
    AXInjector gone([] { return std::shared_ptr<AccessibleTextElement>(); });
    try {
        gone.insert(QStringLiteral("x"), withElement);
        FAIL() << "inserted without an element";
    } catch (const InjectionError &error) {
        EXPECT_EQ(error, InjectionError(Kind::noFocusedElement));
    }
}

TEST_F(AXInjectorTest, AwaitableInjectReportsTheSameError)
{
    element->ignoresWrites = true;
    test::InjectOutcome outcome;
    QCoro::waitFor(test::recordInject(&injector, QStringLiteral("x"), withElement, &outcome));
    EXPECT_TRUE(outcome.finished);
    EXPECT_EQ(outcome.error, InjectionError(Kind::writeDiscarded));
}

} // namespace
