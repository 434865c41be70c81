#pragma once

#include <QString>

#include <optional>

namespace parlowind {

// Text helpers of continuous listening: how consecutive phrases are joined,
// and the speech engine's prompt built from the dictionary's terms and the end
// of the previous phrase.
namespace PhraseJoiner {

// What to insert between the last delivered phrase and the next one: nothing
// before the first phrase, a sentence break when the previous phrase ended
// without punctuation and the next starts with anything but a lowercase
// letter, one space otherwise.
QString separator(const std::optional<QString> &previous, const QString &next);

// The end of `text`, at most `limit` characters long, starting on a word
// boundary when it had to be cut. Characters are user-perceived characters.
QString promptTail(const QString &text, int limit);

// `terms` and `previousTail`, trimmed, empty ones dropped, joined with one
// space; nothing when neither has content.
std::optional<QString> prompt(const std::optional<QString> &terms, const std::optional<QString> &previousTail);

} // namespace PhraseJoiner
} // namespace parlowind
