#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

#include <functional>

namespace parlowind {

// The cleanup rules count and classify user-perceived characters (grapheme
// clusters), never UTF-16 units: "é" written as "e" plus a combining accent is
// one letter, and "\r\n" is one line break. A character's class is that of its
// first code point.
namespace TextCharacters {

using Predicate = std::function<bool(QStringView character)>;

// The user-perceived characters of the text, in order.
QStringList split(const QString &text);
qsizetype length(const QString &text);
// The first `count` characters.
QString left(const QString &text, qsizetype count);

// Unicode White_Space: spaces, tabs, line breaks and the other Unicode spaces.
bool isWhitespace(QStringView character);
// Horizontal whitespace only: the Unicode space separators and the tab.
bool isSpaceOrTab(QStringView character);
bool isLetter(QStringView character);
bool isNumber(QStringView character);

// Pieces between runs of whitespace; never an empty piece.
QStringList splitAtWhitespace(const QString &text);

// Removes the characters matching `drop` from the start, the end or both.
QString trimmedStart(const QString &text, const Predicate &drop);
QString trimmedEnd(const QString &text, const Predicate &drop);
QString trimmed(const QString &text, const Predicate &drop);

// Trimmed of whitespace and line breaks.
QString trimmedWhitespace(const QString &text);
// Trimmed of spaces and tabs (line breaks kept).
QString trimmedSpacesAndTabs(const QString &text);

// A regular-expression fragment for a word boundary with Unicode word
// characters (letters, marks, digits, connector punctuation), so that "\b"
// never falls inside "naïve" or between a letter and its combining accent.
// Use it in place of "\b" with QRegularExpression::UseUnicodePropertiesOption.
const QString &wordBoundary();

} // namespace TextCharacters
} // namespace parlowind
