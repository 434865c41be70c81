#include "history/HistoryEntry.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <ostream>

namespace parlowind {
namespace {

HistoryEntry sampleEntry()
{
    return HistoryEntry {
        QUuid::fromString(QStringLiteral("3f2504e0-4f89-41d3-9a0c-0305e82c3301")),
        QDateTime(QDate(2025, 1, 31), QTime(14, 5, 9), Qt::UTC),
        QStringLiteral("first line\nsecond \"quoted\" line, café"),
        QStringLiteral("org.example.Editor"),
        QStringLiteral("Editor"),
        QStringLiteral("paste"),
    };
}

TEST(HistoryEntryTest, LineHasTheStoredForm)
{
    const QByteArray line = sampleEntry().toJsonLine();
    EXPECT_FALSE(line.contains('\n')) << "a line feed in the text must be escaped";
    const QJsonObject object = QJsonDocument::fromJson(line).object();
    EXPECT_EQ(object.value(QStringLiteral("id")).toString(), QStringLiteral("3F2504E0-4F89-41D3-9A0C-0305E82C3301"));
    EXPECT_EQ(object.value(QStringLiteral("timestamp")).toString(), QStringLiteral("2025-01-31T14:05:09Z"));
    EXPECT_EQ(object.value(QStringLiteral("tier")).toString(), QStringLiteral("paste"));
    EXPECT_EQ(object.keys().size(), 6);
    EXPECT_EQ(HistoryEntry::fromJsonLine(line), sampleEntry());
}

TEST(HistoryEntryTest, TimestampIsUtcWithoutFraction)
{
    HistoryEntry entry = sampleEntry();
    // 15:05:09.750 at UTC+1 is 14:05:09 UTC.
    entry.timestamp = QDateTime(QDate(2025, 1, 31), QTime(15, 5, 9, 750), Qt::OffsetFromUTC, 3600);
    const QJsonObject object = QJsonDocument::fromJson(entry.toJsonLine()).object();
    EXPECT_EQ(object.value(QStringLiteral("timestamp")).toString(), QStringLiteral("2025-01-31T14:05:09Z"));
}

TEST(HistoryEntryTest, AbsentApplicationFieldsAreOmitted)
{
    HistoryEntry entry = sampleEntry();
    entry.appBundleIdentifier.reset();
    entry.appName.reset();
    const QByteArray line = entry.toJsonLine();
    EXPECT_FALSE(line.contains("appBundleIdentifier"));
    EXPECT_FALSE(line.contains("appName"));
    EXPECT_EQ(HistoryEntry::fromJsonLine(line), entry);
}

struct DecodeCase
{
    const char *name;
    const char *line;
    bool decodes;
};

void PrintTo(const DecodeCase &row, std::ostream *out)
{
    *out << row.name;
}

class HistoryLineDecodeTest : public ::testing::TestWithParam<DecodeCase>
{
};

TEST_P(HistoryLineDecodeTest, DecodesOnlyWellFormedLines)
{
    EXPECT_EQ(HistoryEntry::fromJsonLine(QByteArrayView(GetParam().line)).has_value(), GetParam().decodes);
}

#define ID R"("id":"3F2504E0-4F89-41D3-9A0C-0305E82C3301")"
#define WHEN R"("timestamp":"2025-01-31T14:05:09Z")"
const DecodeCase decodeCases[] = {
    { "Complete", "{" ID "," WHEN R"(,"text":"hi","tier":"ax","appName":"Editor"})", true },
    { "WithoutApplication", "{" ID "," WHEN R"(,"text":"hi","tier":"none"})", true },
    { "NullApplication", "{" ID "," WHEN R"(,"text":"hi","tier":"none","appName":null})", true },
    { "LowerCaseId", R"({"id":"3f2504e0-4f89-41d3-9a0c-0305e82c3301",)" WHEN R"(,"text":"hi","tier":"ax"})", true },
    { "IdInBraces", R"({"id":"{3F2504E0-4F89-41D3-9A0C-0305E82C3301}",)" WHEN R"(,"text":"hi","tier":"ax"})", false },
    { "IdNotUuid", R"({"id":"42",)" WHEN R"(,"text":"hi","tier":"ax"})", false },
    { "MissingId", "{" WHEN R"(,"text":"hi","tier":"ax"})", false },
    { "MissingText", "{" ID "," WHEN R"(,"tier":"ax"})", false },
    { "MissingTier", "{" ID "," WHEN R"(,"text":"hi"})", false },
    { "TextNotString", "{" ID "," WHEN R"(,"text":12,"tier":"ax"})", false },
    { "AppNameNotString", "{" ID "," WHEN R"(,"text":"hi","tier":"ax","appName":7})", false },
    { "FractionalSeconds", "{" ID R"(,"timestamp":"2025-01-31T14:05:09.250Z","text":"hi","tier":"ax"})", false },
    { "OffsetInsteadOfZ", "{" ID R"(,"timestamp":"2025-01-31T14:05:09+00:00","text":"hi","tier":"ax"})", false },
    { "NoSeconds", "{" ID R"(,"timestamp":"2025-01-31T14:05Z","text":"hi","tier":"ax"})", false },
    { "ImpossibleDate", "{" ID R"(,"timestamp":"2025-02-30T14:05:09Z","text":"hi","tier":"ax"})", false },
    { "TimestampNumber", "{" ID R"(,"timestamp":1738332309,"text":"hi","tier":"ax"})", false },
    { "NotAnObject", R"(["hi"])", false },
    { "Truncated", "{" ID "," WHEN R"(,"text":"hi","ti)", false },
};
#undef ID
#undef WHEN

INSTANTIATE_TEST_SUITE_P(Lines, HistoryLineDecodeTest, ::testing::ValuesIn(decodeCases),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
} // namespace parlowind
