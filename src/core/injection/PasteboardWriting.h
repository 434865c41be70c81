#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>

namespace parlowind {

// One clipboard item: every format it offers (MIME type) and its bytes.
using PasteboardItem = QMap<QString, QByteArray>;

// The system clipboard, with a counter of changes made by any program.
class PasteboardWriting
{
public:
    virtual ~PasteboardWriting() = default;

    // Increases every time any program changes the clipboard.
    virtual qint64 changeCount() const = 0;

    // The whole current content, every readable format of every item.
    virtual QList<PasteboardItem> snapshot() = 0;

    // Replaces the content with plain text; returns the counter after the write.
    virtual qint64 write(const QString &text) = 0;

    // Replaces the content with saved items (an empty list clears it).
    virtual void restore(const QList<PasteboardItem> &items) = 0;
};

} // namespace parlowind
