#pragma once

#include "HistoryRecording.h"
#include "support/Error.h"

#include <QDateTime>
#include <QList>
#include <QMutex>
#include <QString>

#include <functional>
#include <memory>

namespace parlowind {

// Why the history file could not be changed.
class HistoryStoreError final : public Error
{
public:
    enum class Kind {
        lockUnavailable, // another process held the history lock too long, or it cannot be created
        readFailed, // the file exists but cannot be read, so a rewrite could lose it
        writeFailed,
    };

    HistoryStoreError(Kind kind, QString path, QString detail = {})
        : m_kind(kind)
        , m_path(std::move(path))
        , m_detail(std::move(detail))
    { }

    Kind kind() const { return m_kind; }
    QString description() const override;
    QString logDescription() const override;

private:
    Kind m_kind;
    QString m_path;
    QString m_detail;
};

// The dictation history: one JSON Lines file, oldest entry first, mirrored in
// memory. Recording appends one line; delete, clear and prune rewrite the
// whole file atomically.
//
// Other processes may write the same file (a terminal `parlowind history
// delete` while the application records), so every change holds a lock file
// beside the history ("history.jsonl.lock") as well as a lock shared by all
// stores of this process over the same path. A rewrite re-reads the file under
// that lock and applies its change to what is on disk, never to the possibly
// stale list in memory, so an entry appended by another writer is never
// dropped. The list in memory is refreshed by each rewrite and otherwise only
// grows with this store's own appends.
class HistoryStore final : public HistoryRecording
{
public:
    // "$XDG_DATA_HOME/Parlowind/history.jsonl".
    static QString defaultFilePath();

    // Loads the file whether or not history is enabled; creates its folder
    // only when it is. A missing or unreadable file is an empty history, and
    // lines that do not decode are skipped.
    HistoryStore(QString filePath, bool isEnabled, int retentionDays);
    HistoryStore(const HistoryStore &) = delete;
    HistoryStore &operator=(const HistoryStore &) = delete;

    QString filePath() const { return m_filePath; }
    bool isEnabled() const { return m_isEnabled; }
    int retentionDays() const { return m_retentionDays; }

    // Appends one line; does nothing when history is disabled. Throws
    // HistoryStoreError and then leaves the list unchanged.
    void record(const HistoryEntry &entry) override;

    QList<HistoryEntry> all() const;
    // Entries whose text contains `query`, ignoring case (Unicode case
    // folding, after canonical composition); the empty query gives all().
    QList<HistoryEntry> search(const QString &query) const;

    // True when an entry was removed and the file rewritten.
    bool deleteEntry(const QUuid &id);
    // The number of entries there were; the file is left empty (not removed).
    int deleteAll();
    // Removes entries older than `now` minus the retention; returns how many.
    // Runs whether or not history is enabled.
    int prune(const QDateTime &now);

    // Start-up's pruning: logs "Pruned N history entries past retention"
    // when some were removed, and logs rather than throws a failure.
    int pruneAtStartup(const QDateTime &now);

    // The text test behind search(), for other lists that filter the same way.
    static bool textMatches(const QString &text, const QString &query);

private:
    class FileLock;
    using Transform = std::function<QList<HistoryEntry>(const QList<HistoryEntry> &)>;

    // Under both locks: reads the file, applies `transform`, rewrites the file
    // when the result has fewer entries, and makes the result the list in
    // memory. Returns the number of entries before and after.
    std::pair<int, int> rewrite(const Transform &transform);

    const QString m_filePath;
    const bool m_isEnabled;
    const int m_retentionDays;
    std::shared_ptr<QMutex> m_lock; // shared by every store of this process over the same file
    QList<HistoryEntry> m_entries;
};

} // namespace parlowind
