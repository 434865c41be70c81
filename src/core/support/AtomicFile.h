#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace parlowind {

// Replaces a file's whole content at once: readers and a crash see the old
// file or the new one, never a mix, and a failed write leaves the old file.
// Returns the reason on failure (callers raise their own error), nothing on
// success.
std::optional<QString> writeFileAtomically(const QString &path, const QByteArray &data);

} // namespace parlowind
