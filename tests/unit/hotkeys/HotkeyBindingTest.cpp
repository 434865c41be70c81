#include "hotkeys/HotkeyBinding.h"
#include "hotkeys/HotkeyError.h"

#include <QJsonDocument>

#include <gtest/gtest.h>

namespace parlowind {
namespace {

using Mod = HotkeyBinding::Modifier;

struct DisplayCase
{
    const char *name;
    HotkeyBinding binding;
    const char *expected;
};

class DisplayStringTest : public ::testing::TestWithParam<DisplayCase>
{
};

TEST_P(DisplayStringTest, ShowsModifiersInFixedOrderThenKeyName)
{
    EXPECT_EQ(GetParam().binding.displayString(), QString::fromUtf8(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(
    Bindings, DisplayStringTest,
    ::testing::Values(DisplayCase { "fn", HotkeyBinding::fn(), "Right Ctrl" },
                      DisplayCase { "cancel", HotkeyBinding::cancel(), "Escape" },
                      DisplayCase { "altSpace", HotkeyBinding::chord(57, Mod::option), "Alt+Space" },
                      // Flags given out of order still print Ctrl, Alt, Shift, Super.
                      DisplayCase { "allFourR",
                                    HotkeyBinding::chord(19, Mod::command | Mod::shift | Mod::option | Mod::control),
                                    "Ctrl+Alt+Shift+Super+R" },
                      DisplayCase { "ctrlAltSuperR",
                                    HotkeyBinding::chord(19, Mod::control | Mod::option | Mod::command),
                                    "Ctrl+Alt+Super+R" },
                      DisplayCase { "superUnknown", HotkeyBinding::chord(99, Mod::command), "Super+Key99" },
                      DisplayCase { "shiftReturn", HotkeyBinding::chord(28, Mod::shift), "Shift+Return" },
                      DisplayCase { "tab", HotkeyBinding::chord(15, {}), "Tab" },
                      DisplayCase { "letterA", HotkeyBinding::chord(30, Mod::control), "Ctrl+A" },
                      DisplayCase { "letterW", HotkeyBinding::chord(17, {}), "W" },
                      DisplayCase { "commandMode", HotkeyBinding::defaultCommandMode(), "Alt+Shift+Space" }),
    [](const auto &info) { return std::string(info.param.name); });

TEST(HotkeyBindingTest, KeyNamesCoverTheSixteenKeys)
{
    const std::vector<std::pair<std::uint32_t, const char *>> table = {
        { 57, "Space" }, { 28, "Return" }, { 15, "Tab" }, { 1, "Escape" }, { 30, "A" }, { 31, "S" },
        { 32, "D" },     { 18, "E" },      { 33, "F" },   { 34, "G" },     { 35, "H" }, { 46, "C" },
        { 47, "V" },     { 48, "B" },      { 17, "W" },   { 19, "R" },
    };
    for (const auto &[code, name] : table)
        EXPECT_EQ(HotkeyBinding::keyName(code), QString::fromLatin1(name)) << code;
    EXPECT_EQ(HotkeyBinding::keyName(0), QStringLiteral("Key0"));
    EXPECT_EQ(HotkeyBinding::keyName(97), QStringLiteral("Key97"));
}

TEST(HotkeyBindingTest, DerivedPropertiesDependOnTheCase)
{
    EXPECT_TRUE(HotkeyBinding::fn().needsEventTap());
    EXPECT_FALSE(HotkeyBinding::fn().keyCode().has_value());
    EXPECT_FALSE(HotkeyBinding::fn().modifiers().has_value());
    const auto chord = HotkeyBinding::chord(57, Mod::option);
    EXPECT_FALSE(chord.needsEventTap());
    EXPECT_EQ(chord.keyCode(), 57u);
    EXPECT_EQ(chord.modifiers(), HotkeyBinding::Modifiers(Mod::option));
    EXPECT_EQ(HotkeyBinding::defaultDictation(), HotkeyBinding::fn());
    EXPECT_NE(HotkeyBinding::chord(57, Mod::option), HotkeyBinding::chord(57, Mod::control));
    EXPECT_NE(HotkeyBinding::chord(57, Mod::option), HotkeyBinding::chord(30, Mod::option));
    EXPECT_NE(HotkeyBinding::chord(0, {}), HotkeyBinding::fn());
}

QJsonObject parse(const char *json)
{
    return QJsonDocument::fromJson(QByteArray(json)).object();
}

struct DecodeCase
{
    const char *name;
    const char *json;
    std::optional<HotkeyBinding> expected;
};

class DecodeTest : public ::testing::TestWithParam<DecodeCase>
{
};

TEST_P(DecodeTest, ReadsStoredForm)
{
    EXPECT_EQ(HotkeyBinding::fromJson(parse(GetParam().json)), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    StoredForms, DecodeTest,
    ::testing::Values(
        DecodeCase { "fn", R"({"kind":"fn"})", HotkeyBinding::fn() },
        DecodeCase { "fnIgnoresOtherKeys", R"({"kind":"fn","keyCode":57,"modifiers":2})", HotkeyBinding::fn() },
        DecodeCase { "chord", R"({"kind":"chord","keyCode":57,"modifiers":2})", HotkeyBinding::chord(57, Mod::option) },
        DecodeCase { "olderFormWithoutKind", R"({"keyCode":57,"modifiers":2})", HotkeyBinding::chord(57, Mod::option) },
        DecodeCase { "chordWithoutModifiers", R"({"kind":"chord","keyCode":57})", std::nullopt },
        DecodeCase { "chordWithoutKeyCode", R"({"kind":"chord","modifiers":2})", std::nullopt },
        DecodeCase { "empty", R"({})", std::nullopt },
        DecodeCase { "unknownKind", R"({"kind":"mouse","keyCode":57,"modifiers":2})", std::nullopt },
        DecodeCase { "negativeKeyCode", R"({"keyCode":-1,"modifiers":0})", std::nullopt },
        DecodeCase { "fractionalKeyCode", R"({"keyCode":57.5,"modifiers":0})", std::nullopt },
        DecodeCase { "keyCodeAsString", R"({"keyCode":"57","modifiers":0})", std::nullopt },
        DecodeCase { "modifiersTooLarge", R"({"keyCode":57,"modifiers":256})", std::nullopt }),
    [](const auto &info) { return std::string(info.param.name); });

TEST(HotkeyBindingTest, StoredFormRoundTrips)
{
    EXPECT_EQ(HotkeyBinding::fn().toJson(), parse(R"({"kind":"fn"})"));
    EXPECT_EQ(HotkeyBinding::chord(19, Mod::control | Mod::command).toJson(),
              parse(R"({"kind":"chord","keyCode":19,"modifiers":9})"));
    for (const auto &binding : { HotkeyBinding::fn(), HotkeyBinding::cancel(), HotkeyBinding::defaultCommandMode(),
                                 HotkeyBinding::chord(4000000000u, Mod::shift) })
        EXPECT_EQ(HotkeyBinding::fromJson(binding.toJson()), binding) << binding.displayString().toStdString();
}

TEST(HotkeyIDTest, OnlyOneToThreeAreIdentifiers)
{
    EXPECT_EQ(hotkeyIdFromRawValue(1), HotkeyID::dictation);
    EXPECT_EQ(hotkeyIdFromRawValue(2), HotkeyID::commandMode);
    EXPECT_EQ(hotkeyIdFromRawValue(3), HotkeyID::cancel);
    EXPECT_FALSE(hotkeyIdFromRawValue(0));
    EXPECT_FALSE(hotkeyIdFromRawValue(4));
}

TEST(HotkeyErrorTest, LogDescriptionNamesCaseAndPayload)
{
    EXPECT_EQ(HotkeyError::registrationFailed(10).logDescription(), QStringLiteral("registrationFailed(10)"));
    EXPECT_EQ(HotkeyError::alreadyRegistered(HotkeyID::cancel).logDescription(),
              QStringLiteral("alreadyRegistered(cancel)"));
    EXPECT_TRUE(HotkeyError::registrationFailed(10).description().contains(QStringLiteral("another application")));
}

} // namespace
} // namespace parlowind
