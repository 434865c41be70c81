#include "AtomicFile.h"

#include <QSaveFile>

namespace parlowind {

std::optional<QString> writeFileAtomically(const QString &path, const QByteArray &data)
{
    QSaveFile file(path);
    // WORKAROUND: Qt 6.4's QSaveFile::commit() misses a short write while
    // flushing its buffer (a full disk, a size limit) and renames the
    // truncated file into place. Unbuffered, the short write shows in write().
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return file.errorString();
    if (file.write(data) != data.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        file.commit(); // removes the temporary file
        return reason.isEmpty() ? QStringLiteral("the file could not be written whole") : reason;
    }
    if (!file.commit())
        return file.errorString();
    return std::nullopt;
}

} // namespace parlowind
