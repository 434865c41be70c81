#include "ModelStore.h"

#include "ModelStoreError.h"
#include "support/AppPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QRegularExpression>
#include <QTimer>

#include <array>
#include <coroutine>
#include <memory>

namespace parlowind {

namespace {

constexpr qint64 chunkBytes = 1'048'576;
constexpr int transferTimeoutMs = 60'000;
constexpr int cancellationPollMs = 250;

QString partialPath(const QString &path)
{
    return path + QStringLiteral(".partial");
}

QString verifiedPath(const QString &path)
{
    return path + QStringLiteral(".verified");
}

std::optional<qint64> readVerifiedSize(const QString &path)
{
    QFile file(verifiedPath(path));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QString text = QString::fromUtf8(file.readAll()).trimmed();
    if (text.isEmpty())
        return std::nullopt;
    bool ok = false;
    const qint64 value = text.toLongLong(&ok, 10);
    if (!ok)
        return std::nullopt;
    return value;
}

bool passesVerification(const QString &path)
{
    if (!QFileInfo::exists(path))
        return false;
    const std::optional<qint64> verified = readVerifiedSize(path);
    return !verified || *verified == fileSizeOf(path);
}

// Records the size of a completed file; a failure leaves the model counted as
// downloaded without a record, which is harmless.
void recordVerifiedSize(const QString &path)
{
    const qint64 size = fileSizeOf(path);
    if (size <= 0)
        return;
    QFile file(verifiedPath(path));
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(QByteArray::number(size));
}

// Resumes the awaiting coroutine once the reply has bytes to read or has
// finished, whichever comes first, or when `wake` fires, so that a stalled
// transfer still notices its cancellation. Trivially copyable, so it can be
// awaited as a temporary.
struct ReplyActivity
{
    QNetworkReply *reply;
    QTimer *wake;

    bool await_ready() const { return reply->bytesAvailable() > 0 || reply->isFinished(); }
    void await_suspend(std::coroutine_handle<> awaiting) const
    {
        struct Connections
        {
            std::array<QMetaObject::Connection, 3> all;
            bool fired = false;
        };
        auto connections = std::make_shared<Connections>();
        QNetworkReply *target = reply;
        // Resume from the event loop rather than inside the reply's own signal,
        // so the coroutine may abort or delete the reply freely.
        auto resume = [connections, target, awaiting] {
            if (std::exchange(connections->fired, true))
                return;
            for (const QMetaObject::Connection &connection : connections->all)
                QObject::disconnect(connection);
            QMetaObject::invokeMethod(
                target, [awaiting] { awaiting.resume(); }, Qt::QueuedConnection);
        };
        connections->all[0] = QObject::connect(reply, &QIODevice::readyRead, reply, resume);
        connections->all[1] = QObject::connect(reply, &QNetworkReply::finished, reply, resume);
        connections->all[2] = QObject::connect(wake, &QTimer::timeout, reply, resume);
    }
    void await_resume() const { }
};

struct ReplyDeleter
{
    void operator()(QNetworkReply *reply) const
    {
        reply->abort();
        reply->deleteLater();
    }
};

// Appends the buffered bytes to the partial file and tells the caller about
// any new whole hundredth of progress.
class PartialWriter
{
public:
    PartialWriter(QFile &file, qint64 received, qint64 denominator, ModelStore::Progress &progress)
        : m_file(file)
        , m_received(received)
        , m_denominator(std::max<qint64>(denominator, 1))
        , m_progress(progress)
    { }

    qint64 received() const { return m_received; }
    int lastHundredths() const { return m_lastHundredths; }

    void append(QByteArray &buffer)
    {
        if (buffer.isEmpty())
            return;
        if (m_file.write(buffer) != buffer.size())
            throw ModelFileError(m_file.fileName(), m_file.errorString());
        m_received += buffer.size();
        buffer.clear();
    }

    void reportProgress()
    {
        const int hundredths = int(std::min<qint64>(m_received * 100 / m_denominator, 100));
        if (hundredths > m_lastHundredths) {
            m_lastHundredths = hundredths;
            if (m_progress)
                m_progress(hundredths / 100.0);
        }
    }

private:
    QFile &m_file;
    qint64 m_received;
    qint64 m_denominator;
    ModelStore::Progress &m_progress;
    int m_lastHundredths = -1;
};

void report(const ModelStore::Progress &progress, double value)
{
    if (progress)
        progress(value);
}

void replaceWith(const QString &from, const QString &to)
{
    QFile::remove(to);
    QFile source(from);
    if (!source.rename(to))
        throw ModelFileError(to, source.errorString());
}

// A 206 answer must continue exactly where the partial file ends; appending
// any other range would corrupt the model without anyone noticing.
bool rangeStartsAt(const QNetworkReply &reply, qint64 offset)
{
    const QByteArray range = reply.rawHeader("Content-Range").trimmed();
    if (range.isEmpty())
        return true;
    const QRegularExpressionMatch match
        = QRegularExpression(QStringLiteral("^bytes\\s+(\\d+)-")).match(QString::fromLatin1(range));
    return match.hasMatch() && match.captured(1).toLongLong() == offset;
}

QCoro::Task<> transfer(QPointer<QNetworkAccessManager> network, QString path, WhisperModel model,
                       ModelStore::Progress progress, CancellationToken token)
{
    const QString partial = partialPath(path);
    const qint64 existing = std::max<qint64>(fileSizeOf(partial), 0);

    QNetworkRequest request(model.downloadURL);
    request.setTransferTimeout(transferTimeoutMs);
    if (existing > 0)
        request.setRawHeader("Range", "bytes=" + QByteArray::number(existing) + '-');
    if (!network)
        throw ModelNetworkError(model.downloadURL.toString(), QStringLiteral("no HTTP client"));
    std::unique_ptr<QNetworkReply, ReplyDeleter> reply(network->get(request));

    QTimer wake;
    wake.start(cancellationPollMs);
    do {
        co_await ReplyActivity { reply.get(), &wake };
        if (token.isCancelled())
            co_return;
    } while (reply->bytesAvailable() == 0 && !reply->isFinished());

    const QVariant statusAttribute = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (!statusAttribute.isValid()) {
        // No HTTP answer at all: the network's own failure.
        if (reply->error() != QNetworkReply::NoError)
            throw ModelNetworkError(model.downloadURL.toString(), reply->errorString());
        throw ModelStoreError::downloadFailed(model.id);
    }
    const int status = statusAttribute.toInt();
    qint64 start = 0;
    if (status == 200)
        QFile::remove(partial);
    else if (status == 206 && rangeStartsAt(*reply, existing))
        start = existing;
    else
        throw ModelStoreError::downloadFailed(model.id);

    const QVariant lengthHeader = reply->header(QNetworkRequest::ContentLengthHeader);
    const qint64 length = lengthHeader.isValid() ? lengthHeader.toLongLong() : 0;
    std::optional<qint64> expected;
    qint64 denominator = model.approximateBytes;
    if (length > 0) {
        expected = start + length;
        denominator = *expected;
    }

    QFile file(partial);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        throw ModelFileError(partial, file.errorString());

    PartialWriter writer(file, start, denominator, progress);
    QByteArray buffer;
    buffer.reserve(chunkBytes);
    while (true) {
        if (reply->bytesAvailable() > 0) {
            // Never past a chunk boundary, so writes and progress fall on whole MiBs.
            buffer += reply->read(chunkBytes - buffer.size());
            if (buffer.size() >= chunkBytes) {
                writer.append(buffer);
                writer.reportProgress();
            }
            continue;
        }
        if (reply->isFinished())
            break;
        co_await ReplyActivity { reply.get(), &wake };
        if (token.isCancelled()) {
            // What arrived is still a prefix of the file: keep it for the next run.
            writer.append(buffer);
            co_return;
        }
    }
    writer.append(buffer);
    file.close();

    if (expected && writer.received() != *expected)
        throw ModelStoreError::incompleteDownload(model.id, writer.received(), *expected);
    if (reply->error() != QNetworkReply::NoError)
        throw ModelNetworkError(model.downloadURL.toString(), reply->errorString());

    replaceWith(partial, path);
    recordVerifiedSize(path);
    if (writer.lastHundredths() < 100)
        report(progress, 1.0);
}

} // namespace

qint64 fileSizeOf(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return -1;
    return info.size();
}

ModelStore::ModelStore(QString directory, QString bundledDirectory, QNetworkAccessManager *network)
    : m_directory(std::move(directory))
    , m_bundledDirectory(std::move(bundledDirectory))
    , m_network(network)
{
    QDir().mkpath(m_directory);
    if (!m_network) {
        m_ownNetwork = std::make_unique<QNetworkAccessManager>();
        m_network = m_ownNetwork.get();
    }
}

ModelStore::~ModelStore() = default;

QString ModelStore::defaultDirectory()
{
    return AppPaths::supportPath(QStringLiteral("models"));
}

QString ModelStore::defaultBundledDirectory()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/../share/parlowind/models");
}

QString ModelStore::localURL(const WhisperModel &model) const
{
    return m_directory + QLatin1Char('/') + model.filename;
}

bool ModelStore::isDownloaded(const WhisperModel &model) const
{
    return passesVerification(localURL(model));
}

std::optional<qint64> ModelStore::verifiedSize(const WhisperModel &model) const
{
    return readVerifiedSize(localURL(model));
}

QList<WhisperModel> ModelStore::installedModels() const
{
    QList<WhisperModel> installed;
    for (const WhisperModel &model : WhisperModel::allKnown())
        if (isDownloaded(model))
            installed.append(model);
    return installed;
}

bool ModelStore::invalidateIfUnverified(const WhisperModel &model) const
{
    const QString path = localURL(model);
    if (verifiedSize(model) || !QFileInfo::exists(path))
        return false;
    QFile::remove(path);
    QFile::remove(partialPath(path));
    return true;
}

std::optional<QString> ModelStore::bundledURL(const WhisperModel &model) const
{
    if (m_bundledDirectory.isEmpty())
        return std::nullopt;
    const QString path = m_bundledDirectory + QLatin1Char('/') + model.filename;
    if (!QFileInfo(path).isFile())
        return std::nullopt;
    return path;
}

QCoro::Task<> ModelStore::download(WhisperModel model, Progress progress, CancellationToken token)
{
    if (isDownloaded(model))
        co_return;

    const QString path = localURL(model);
    if (const std::optional<QString> bundled = bundledURL(model)) {
        QFile::remove(path);
        QFile source(*bundled);
        if (!source.copy(path))
            throw ModelFileError(path, source.errorString());
        recordVerifiedSize(path);
        report(progress, 1.0);
        co_return;
    }

    // Nothing of `this` is touched after the first suspension: the store may
    // be gone by the time the network answers.
    auto task = transfer(QPointer<QNetworkAccessManager>(m_network), path, std::move(model), std::move(progress),
                         std::move(token));
    co_await task;
}

} // namespace parlowind
