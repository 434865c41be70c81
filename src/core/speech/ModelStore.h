#pragma once

#include "WhisperModel.h"
#include "support/CancellableTask.h"

#include <QCoro/QCoroTask>
#include <QList>
#include <QString>

#include <functional>
#include <optional>

class QNetworkAccessManager;

namespace parlowind {

// The folder of model files. A model is absent, partly downloaded (F.partial,
// always a prefix of the file), complete and verified (F and F.verified with
// its size), or present without a record (F only, placed by hand). Everything
// lives on disk; the object holds only the folder.
class ModelStore final
{
public:
    using Progress = std::function<void(double)>;

    // Creates `directory` when it is missing (a failure is ignored).
    // `bundledDirectory` is where copies shipped with the application live;
    // `network` is the shared HTTP client (one is made when it is null).
    explicit ModelStore(QString directory, QString bundledDirectory = defaultBundledDirectory(),
                        QNetworkAccessManager *network = nullptr);
    ~ModelStore();
    ModelStore(const ModelStore &) = delete;
    ModelStore &operator=(const ModelStore &) = delete;

    // "$XDG_DATA_HOME/Parlowind/models".
    static QString defaultDirectory();
    // "<prefix>/share/parlowind/models" beside the installed executable.
    static QString defaultBundledDirectory();

    const QString &directory() const { return m_directory; }

    QString localURL(const WhisperModel &model) const;
    bool isDownloaded(const WhisperModel &model) const;
    std::optional<qint64> verifiedSize(const WhisperModel &model) const;
    QList<WhisperModel> installedModels() const;
    // Deletes a model file that has no verified size (and its partial file);
    // true when it did.
    bool invalidateIfUnverified(const WhisperModel &model) const;
    std::optional<QString> bundledURL(const WhisperModel &model) const;

    // Fetches the model unless it is already downloaded, resuming a partial
    // file with a byte-range request. `progress` receives strictly increasing
    // multiples of 0.01 and 1.0 at the end. Throws ModelStoreError, or
    // ModelNetworkError / ModelFileError for the platform's failures; the
    // partial file stays for the next attempt. When `token` is cancelled the
    // transfer stops, keeps what arrived and returns without completing.
    // Runs on the calling thread's event loop.
    QCoro::Task<> download(WhisperModel model, Progress progress = {}, CancellationToken token = {});

private:
    QString m_directory;
    QString m_bundledDirectory;
    QNetworkAccessManager *m_network;
    std::unique_ptr<QNetworkAccessManager> m_ownNetwork;
};

// Size of a file, or -1 when it is missing or has no readable size.
qint64 fileSizeOf(const QString &path);

} // namespace parlowind
