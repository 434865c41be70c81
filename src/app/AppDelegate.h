#pragma once

#include "AppEnvironment.h"
#include "ShellViews.h"
#include "dictation/DictationState.h"
#include "presentation/ModelSetupProgress.h"
#include "settings/SettingsStore.h"
#include "speech/WhisperModel.h"
#include "support/CancellableTask.h"

#include <QObject>
#include <QPointer>

#include <exception>
#include <memory>
#include <optional>

namespace parlowind {

// The composition root and lifecycle owner: builds the services in two
// halves (the second waits for the permissions and the speech model), wires
// the dictation coordinator, presents every state change in the tray and the
// HUD, and takes it all down in order at the end. Everything outside the
// process is reached through `AppEnvironment` and everything shown through
// `ShellViews`, so the order of start-up is tested with fakes.
class AppDelegate final : public QObject
{
public:
    enum class Gate { microphone, accessibility };

    struct Facts
    {
        QString version;
        QString build;
        QString system;
        QString logPath;
    };

    AppDelegate(std::unique_ptr<AppEnvironment> environment, std::unique_ptr<ShellViews> views,
                std::unique_ptr<SettingsStore> settings, Facts facts);
    ~AppDelegate() override;

    // Logs the start line and runs start-up; returns at its first suspension.
    void launch();
    // Stops dictation, the download and the waits, and takes the views down.
    void terminate();

    void toggleEnabled();
    // A second start of the application asks this one to come forward: the
    // guide while start-up is incomplete, the About window once it is ready.
    void showFront();
    void present(const DictationState &state);

    // The first installed transcription model to use, by the preference,
    // then what is installed, then the default.
    WhisperModel preferredModel();

    bool isEnabled() const { return m_isEnabled; }
    bool isReady() const { return m_coordinator != nullptr; }
    DictationCoordinator *coordinator() const { return m_coordinator.get(); }
    ModelSetupProgress &setupProgress() { return m_setupProgress; }
    const std::optional<QString> &loadedModelName() const { return m_loadedModelName; }
    // Completes when the start-up has returned (ready or stopped).
    QCoro::Task<> bootstrapFinished() const { return m_bootstrap.finished(); }

    void setOnQuit(std::function<void()> handler) { m_onQuit = std::move(handler); }

private:
    // What waiting for the download gave: nothing when it was not a failure.
    struct DownloadWait
    {
        std::exception_ptr error;
    };

    struct DownloadOutcome
    {
        bool finished = false;
        std::exception_ptr error;
    };

    void bootstrapFirstHalf();
    void startModelSetup();
    void reportProgress(double fraction);
    void fail(const QString &message);
    void applyIdle();
    AboutPresentation gatherAbout();
    void retrySetup();

    static QCoro::Task<> runDownload(QPointer<AppDelegate> self, WhisperModel model,
                                     std::shared_ptr<DownloadOutcome> outcome, CancellationToken token);
    static QCoro::Task<> continueBootstrap(QPointer<AppDelegate> self, CancellationToken token);
    static QCoro::Task<DownloadWait> awaitDownload(QPointer<AppDelegate> self, CancellationToken token);
    static QCoro::Task<bool> loadAndActivate(QPointer<AppDelegate> self, WhisperModel model, CancellationToken token);
    static QCoro::Task<bool> awaitPermission(QPointer<AppDelegate> self, Gate gate, CancellationToken token);
    static QCoro::Task<> offerRelaunchLater(QPointer<AppDelegate> self, CancellationToken token);
    static QCoro::Task<> recoverIdleLater(QPointer<AppDelegate> self, int seconds, CancellationToken token);

    // The environment's services read the settings until they are released.
    std::unique_ptr<SettingsStore> m_settings;
    std::unique_ptr<AppEnvironment> m_environment;
    std::unique_ptr<ShellViews> m_views;
    Facts m_facts;

    bool m_isEnabled = true;
    bool m_hasMenuBar = false;
    bool m_hasContinuedBootstrap = false;
    bool m_stoppedAtDownload = false;
    bool m_isPolishing = false;
    std::shared_ptr<TranscriptionEngine> m_engine;
    std::unique_ptr<DictationCoordinator> m_coordinator;
    DictationState m_lastHandledState;
    std::optional<QString> m_loadedModelName;
    std::optional<WhisperModel> m_downloadingModel;
    ModelSetupProgress m_setupProgress;
    CancellableTask m_bootstrap;
    CancellableTask m_modelDownload;
    std::shared_ptr<DownloadOutcome> m_downloadOutcome;
    CancellableTask m_idleRecovery;
    CancellableTask m_relaunchOffer;
    CancellableTask m_resumeAfterRetry;
    std::function<void()> m_onQuit;
};

QString nameOf(AppDelegate::Gate gate);

} // namespace parlowind
