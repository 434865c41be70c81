#include "HistoryStore.h"

#include "support/AtomicFile.h"

#include "support/AppPaths.h"
#include "support/Log.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>

#include <map>

namespace parlowind {

namespace {
constexpr int lockWaitMilliseconds = 10000;

// One mutex per history file for the whole process: QLockFile is not meant
// to be shared between threads, and two stores over one file must still
// exclude each other without waiting on the lock file's polling.
std::shared_ptr<QMutex> processLockFor(const QString &path)
{
    static QMutex registryMutex;
    static std::map<QString, std::weak_ptr<QMutex>> registry;
    const QString key = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    QMutexLocker locker(&registryMutex);
    std::shared_ptr<QMutex> lock = registry[key].lock();
    if (!lock) {
        lock = std::make_shared<QMutex>();
        registry[key] = lock;
    }
    return lock;
}

QList<HistoryEntry> decodeLines(const QByteArray &bytes)
{
    QList<HistoryEntry> entries;
    for (QByteArrayView line : bytes.split('\n')) {
        if (line.isEmpty())
            continue;
        if (std::optional<HistoryEntry> entry = HistoryEntry::fromJsonLine(line))
            entries.append(std::move(*entry));
    }
    return entries;
}

// A file that exists but cannot be read throws: rewriting from nothing would
// erase it.
QList<HistoryEntry> readExisting(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw HistoryStoreError(HistoryStoreError::Kind::readFailed, path, file.errorString());
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw HistoryStoreError(HistoryStoreError::Kind::readFailed, path, file.errorString());
    return decodeLines(bytes);
}

QByteArray encodeLines(const QList<HistoryEntry> &entries)
{
    QByteArray bytes;
    for (const HistoryEntry &entry : entries)
        bytes += entry.toJsonLine() + '\n';
    return bytes;
}

void writeAtomically(const QString &path, const QByteArray &bytes)
{
    if (const std::optional<QString> reason = writeFileAtomically(path, bytes))
        throw HistoryStoreError(HistoryStoreError::Kind::writeFailed, path, *reason);
}

void appendLine(const QString &path, const QByteArray &line)
{
    if (!QFileInfo::exists(path)) {
        writeAtomically(path, line);
        return;
    }
    // An existing file that cannot be opened is an error, never a reason to
    // replace it with this one line.
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite | QIODevice::Unbuffered))
        throw HistoryStoreError(HistoryStoreError::Kind::writeFailed, path, file.errorString());
    const qint64 size = file.size();
    QByteArray bytes = line;
    // A crash during an earlier append can leave a line without its line
    // feed; end it so that the new entry is not glued to it and lost.
    if (size > 0) {
        char last = '\n';
        if (!file.seek(size - 1) || !file.getChar(&last))
            throw HistoryStoreError(HistoryStoreError::Kind::writeFailed, path, file.errorString());
        if (last != '\n')
            bytes.prepend('\n');
    }
    if (!file.seek(size) || file.write(bytes) != bytes.size() || !file.flush()) {
        const QString reason = file.errorString();
        // Take back a partial line rather than leave half an entry behind.
        file.resize(size);
        throw HistoryStoreError(HistoryStoreError::Kind::writeFailed, path, reason);
    }
}

QDateTime wholeSecondsUtc(const QDateTime &timestamp)
{
    return QDateTime::fromSecsSinceEpoch(timestamp.toSecsSinceEpoch(), Qt::UTC);
}

QString foldedForSearch(const QString &text)
{
    // Upper-casing first applies the one-to-many mappings (ß to SS) that
    // simple case folding leaves out.
    return text.normalized(QString::NormalizationForm_C)
        .toUpper()
        .toCaseFolded()
        .normalized(QString::NormalizationForm_C);
}
} // namespace

QString HistoryStoreError::description() const
{
    switch (m_kind) {
    case Kind::lockUnavailable:
        return QStringLiteral("The history is locked by another Parlowind process (%1).").arg(m_detail);
    case Kind::readFailed:
        return QStringLiteral("Could not read the history file %1: %2").arg(m_path, m_detail);
    case Kind::writeFailed:
        return QStringLiteral("Could not write the history file %1: %2").arg(m_path, m_detail);
    }
    return {};
}

QString HistoryStoreError::logDescription() const
{
    switch (m_kind) {
    case Kind::lockUnavailable:
        return QStringLiteral("lockUnavailable(%1: %2)").arg(m_path, m_detail);
    case Kind::readFailed:
        return QStringLiteral("readFailed(%1: %2)").arg(m_path, m_detail);
    case Kind::writeFailed:
        return QStringLiteral("writeFailed(%1: %2)").arg(m_path, m_detail);
    }
    return {};
}

// The cross-process half of the history lock, held for one change.
class HistoryStore::FileLock final
{
public:
    explicit FileLock(const QString &historyPath)
        : m_lock(historyPath + QStringLiteral(".lock"))
    {
        if (m_lock.tryLock(lockWaitMilliseconds))
            return;
        QString reason;
        switch (m_lock.error()) {
        case QLockFile::LockFailedError:
            reason = QStringLiteral("still locked after %1 s").arg(lockWaitMilliseconds / 1000);
            break;
        case QLockFile::PermissionError:
            reason = QStringLiteral("cannot create the lock file");
            break;
        default:
            reason = QStringLiteral("cannot create the lock file beside it");
            break;
        }
        throw HistoryStoreError(HistoryStoreError::Kind::lockUnavailable, historyPath, reason);
    }

private:
    QLockFile m_lock; // unlocks when destroyed
};

QString HistoryStore::defaultFilePath()
{
    return AppPaths::supportPath(QStringLiteral("history.jsonl"));
}

HistoryStore::HistoryStore(QString filePath, bool isEnabled, int retentionDays)
    : m_filePath(std::move(filePath))
    , m_isEnabled(isEnabled)
    , m_retentionDays(retentionDays)
    , m_lock(processLockFor(m_filePath))
{
    if (m_isEnabled)
        QDir().mkpath(QFileInfo(m_filePath).absolutePath()); // a failure shows at the first record

    QList<HistoryEntry> loaded;
    QFile file(m_filePath);
    if (file.open(QIODevice::ReadOnly))
        loaded = decodeLines(file.readAll());
    QMutexLocker locker(m_lock.get());
    m_entries = std::move(loaded);
}

void HistoryStore::record(const HistoryEntry &entry)
{
    if (!m_isEnabled)
        return;
    HistoryEntry stored = entry;
    stored.timestamp = wholeSecondsUtc(entry.timestamp); // what the file keeps
    const QByteArray line = stored.toJsonLine() + '\n';

    QMutexLocker locker(m_lock.get());
    FileLock fileLock(m_filePath);
    appendLine(m_filePath, line);
    m_entries.append(std::move(stored));
}

QList<HistoryEntry> HistoryStore::all() const
{
    QMutexLocker locker(m_lock.get());
    return m_entries;
}

bool HistoryStore::textMatches(const QString &text, const QString &query)
{
    return query.isEmpty() || foldedForSearch(text).contains(foldedForSearch(query));
}

QList<HistoryEntry> HistoryStore::search(const QString &query) const
{
    const QList<HistoryEntry> entries = all();
    if (query.isEmpty())
        return entries;
    const QString folded = foldedForSearch(query);
    QList<HistoryEntry> found;
    for (const HistoryEntry &entry : entries)
        if (foldedForSearch(entry.text).contains(folded))
            found.append(entry);
    return found;
}

std::pair<int, int> HistoryStore::rewrite(const Transform &transform)
{
    QMutexLocker locker(m_lock.get());
    if (!QFileInfo::exists(m_filePath)) {
        m_entries.clear();
        return { 0, 0 };
    }
    FileLock fileLock(m_filePath);
    const QList<HistoryEntry> before = readExisting(m_filePath);
    QList<HistoryEntry> after = transform(before);
    if (after.size() < before.size())
        writeAtomically(m_filePath, encodeLines(after));
    m_entries = std::move(after);
    return { int(before.size()), int(m_entries.size()) };
}

bool HistoryStore::deleteEntry(const QUuid &id)
{
    const auto [before, after] = rewrite([&id](const QList<HistoryEntry> &entries) {
        QList<HistoryEntry> kept;
        for (const HistoryEntry &entry : entries)
            if (entry.id != id)
                kept.append(entry);
        return kept;
    });
    return after < before;
}

int HistoryStore::deleteAll()
{
    const auto [before, after] = rewrite([](const QList<HistoryEntry> &) { return QList<HistoryEntry>(); });
    return before;
}

int HistoryStore::prune(const QDateTime &now)
{
    const QDateTime cutoff = now.addSecs(-qint64(m_retentionDays) * 86400);
    const auto [before, after] = rewrite([&cutoff](const QList<HistoryEntry> &entries) {
        QList<HistoryEntry> kept;
        for (const HistoryEntry &entry : entries)
            if (entry.timestamp >= cutoff)
                kept.append(entry);
        return kept;
    });
    return before - after;
}

int HistoryStore::pruneAtStartup(const QDateTime &now)
{
    try {
        const int removed = prune(now);
        if (removed > 0)
            log(QStringLiteral("Pruned %1 history entries past retention").arg(removed));
        return removed;
    } catch (const std::exception &error) {
        logError(QStringLiteral("history prune"), error);
        return 0;
    }
}

} // namespace parlowind
