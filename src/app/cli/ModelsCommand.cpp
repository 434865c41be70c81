#include "Command.h"
#include "ModelResolution.h"

#include "speech/ModelStore.h"
#include "support/BlockingWait.h"
#include "support/CancellableTask.h"

#include <QFileInfo>
#include <QLocale>
#include <QTextStream>
#include <QTimer>

#include <atomic>
#include <csignal>
#include <unistd.h>

namespace parlowind::cli {

namespace {

QString sizeText(qint64 bytes)
{
    return QLocale::c().formattedDataSize(bytes, 1, QLocale::DataSizeSIFormat);
}

QString stateText(const ModelStore &store, const WhisperModel &model)
{
    const QString path = store.localURL(model);
    if (QFileInfo::exists(path)) {
        if (!store.isDownloaded(model))
            return QStringLiteral("damaged (size differs from the verified %1 bytes)").arg(*store.verifiedSize(model));
        return store.verifiedSize(model) ? QStringLiteral("installed, verified")
                                         : QStringLiteral("installed, not verified");
    }
    const qint64 partial = fileSizeOf(path + QStringLiteral(".partial"));
    if (partial > 0)
        return QStringLiteral("partly downloaded (%1)").arg(sizeText(partial));
    return QStringLiteral("not installed");
}

ExitCode listModels(const QStringList &arguments)
{
    if (!arguments.isEmpty())
        throw CommandError(QStringLiteral("models list takes no arguments"), ExitCode::usage);
    const ModelStore store(ModelStore::defaultDirectory());
    QTextStream out(stdout);
    out << QStringLiteral("%1%2%3%4\n")
               .arg(QStringLiteral("ID").leftJustified(17), QStringLiteral("NAME").leftJustified(17),
                    QStringLiteral("SIZE").leftJustified(10), QStringLiteral("STATE"));
    for (const WhisperModel &model : WhisperModel::allKnown())
        out << QStringLiteral("%1%2%3%4\n")
                   .arg(model.id.leftJustified(17), model.displayName.leftJustified(17),
                        sizeText(model.approximateBytes).leftJustified(10), stateText(store, model));
    out << "Folder: " << store.directory() << '\n';
    return ExitCode::ok;
}

std::atomic<bool> interrupted = false;

void onInterrupt(int)
{
    interrupted = true;
}

// Draws "[#####     ]  45%" in place on a terminal; elsewhere stays quiet.
class ProgressBar
{
public:
    explicit ProgressBar(QString label)
        : m_label(std::move(label))
        , m_terminal(isatty(STDERR_FILENO) == 1)
    { }

    void show(double fraction)
    {
        if (!m_terminal)
            return;
        constexpr int width = 30;
        const int filled = int(fraction * width);
        QTextStream err(stderr);
        err << '\r' << m_label << " [" << QString(filled, QLatin1Char('#')) << QString(width - filled, QLatin1Char(' '))
            << "] " << QString::number(int(fraction * 100)).rightJustified(3) << '%';
        err.flush();
        m_drawn = true;
    }
    void end()
    {
        if (m_drawn)
            QTextStream(stderr) << '\n';
        m_drawn = false;
    }

private:
    QString m_label;
    bool m_terminal;
    bool m_drawn = false;
};

ExitCode downloadModel(const QStringList &arguments)
{
    if (arguments.size() != 1)
        throw CommandError(QStringLiteral("models download needs one model id (see parlowind models list)"),
                           ExitCode::usage);
    const std::optional<WhisperModel> known = WhisperModel::find(arguments[0]);
    if (!known)
        throw CommandError(QStringLiteral("unknown model \"%1\" (see parlowind models list)").arg(arguments[0]),
                           ExitCode::usage);
    const WhisperModel model = downloadableModel(*known);
    ModelStore store(ModelStore::defaultDirectory());
    if (store.isDownloaded(model)) {
        QTextStream(stdout) << model.displayName << " is already downloaded: " << store.localURL(model) << '\n';
        return ExitCode::ok;
    }

    ProgressBar bar(QStringLiteral("Downloading %1").arg(model.displayName));
    std::exception_ptr failure;
    CancellableTask task = CancellableTask::start([&](CancellationToken token) -> QCoro::Task<> {
        try {
            auto download = store.download(
                model, [&](double fraction) { bar.show(fraction); }, token);
            co_await download;
        } catch (...) {
            failure = std::current_exception();
        }
    });

    // Ctrl+C stops the transfer between two chunks; what arrived stays in the
    // partial file and the next run resumes from there.
    interrupted = false;
    auto previous = std::signal(SIGINT, onInterrupt);
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, &watch, [&task] {
        if (interrupted)
            task.cancel();
    });
    watch.start(100);
    waitForTask(task.finished());
    watch.stop();
    std::signal(SIGINT, previous);
    bar.end();

    if (failure)
        std::rethrow_exception(failure);
    if (task.isCancelled()) {
        QTextStream(stderr) << "parlowind: download interrupted; run the same command again to resume\n";
        return ExitCode(130);
    }
    QTextStream(stdout) << "Downloaded " << model.displayName << " to " << store.localURL(model) << '\n';
    return ExitCode::ok;
}

ExitCode runModels(const QStringList &arguments)
{
    const QString action = arguments.value(0);
    if (action == QStringLiteral("list"))
        return listModels(arguments.mid(1));
    if (action == QStringLiteral("download"))
        return downloadModel(arguments.mid(1));
    throw CommandError(QStringLiteral("models needs \"list\" or \"download ID\""), ExitCode::usage);
}

} // namespace

Command modelsCommand()
{
    return Command {
        QStringLiteral("models"),
        QStringLiteral("models list | models download ID"),
        QStringLiteral("show the speech models, or download one (an interrupted download resumes)"),
        runModels,
    };
}

} // namespace parlowind::cli
