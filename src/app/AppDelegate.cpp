#include "AppDelegate.h"

#include "presentation/HUDPresentation.h"
#include "presentation/MenuBarPresentation.h"
#include "presentation/PermissionGatePresentation.h"
#include "speech/TranscriptionEngine.h"
#include "support/Error.h"
#include "support/Log.h"
#include "support/MonotonicClock.h"

namespace parlowind {

namespace {

constexpr double permissionPollSeconds = 0.5;
constexpr double grantedLingerSeconds = 0.9;
constexpr double relaunchOfferSeconds = 20;

QString describe(const std::exception_ptr &error)
{
    try {
        std::rethrow_exception(error);
    } catch (const Error &e) {
        return e.description();
    } catch (const std::exception &e) {
        return QString::fromLocal8Bit(e.what());
    } catch (...) {
        return QStringLiteral("unknown error");
    }
}

void logFailure(const QString &context, const std::exception_ptr &error)
{
    try {
        std::rethrow_exception(error);
    } catch (const std::exception &e) {
        logError(context, e);
    } catch (...) {
        log(QStringLiteral("ERROR: ") + context + QStringLiteral(": unknown error"));
    }
}

} // namespace

QString nameOf(AppDelegate::Gate gate)
{
    return gate == AppDelegate::Gate::microphone ? QStringLiteral("microphone") : QStringLiteral("accessibility");
}

AppDelegate::AppDelegate(std::unique_ptr<AppEnvironment> environment, std::unique_ptr<ShellViews> views,
                         std::unique_ptr<SettingsStore> settings, Facts facts)
    : m_settings(std::move(settings))
    , m_environment(std::move(environment))
    , m_views(std::move(views))
    , m_facts(std::move(facts))
    , m_setupProgress(WhisperModel::largeV3Turbo.approximateBytes)
{ }

AppDelegate::~AppDelegate()
{
    terminate();
}

void AppDelegate::launch()
{
    log(QStringLiteral("Parlowind ") + m_facts.version + QStringLiteral(" starting"));
    bootstrapFirstHalf();
    m_bootstrap = CancellableTask::start(
        [self = QPointer<AppDelegate>(this)](CancellationToken token) { return continueBootstrap(self, token); });
}

void AppDelegate::bootstrapFirstHalf()
{
    // A failed prune only means old entries stay a little longer.
    try {
        const int pruned = m_environment->pruneHistory();
        if (pruned > 0)
            log(QStringLiteral("Pruned %1 history entries past retention").arg(pruned));
    } catch (const std::exception &) { }
    m_views->createHUD();
    m_environment->prepareCleanup();
    m_environment->preparePolisher();

    ShellViews::MenuHandlers handlers;
    handlers.onToggleEnabled = [this] { toggleEnabled(); };
    handlers.onOpenAbout = [this] { m_views->showAbout(); };
    handlers.onQuit = [this] {
        if (m_onQuit)
            m_onQuit();
    };
    m_views->createMenuBar(std::move(handlers));
    m_hasMenuBar = true;
    m_views->applyMenuBar(MenuBarPresentation::make(DictationState::idle(), true));
    m_views->setEnabledItem(true);

    m_views->createAbout([this] { return gatherAbout(); });
    m_views->createOnboarding(
        m_setupProgress, [this] { return m_environment->microphoneAuthorised(); },
        [this] { return m_environment->accessibilityWorks(); }, [this] { retrySetup(); });
    startModelSetup();
    // A new user (no speech model yet) gets the guide through permissions and
    // the download; everyone else starts quietly in the tray.
    if (m_downloadingModel && !m_environment->isDownloaded(*m_downloadingModel))
        m_views->showOnboarding();
}

void AppDelegate::retrySetup()
{
    m_modelDownload.cancel();
    m_modelDownload = {};
    startModelSetup();
}

WhisperModel AppDelegate::preferredModel()
{
    const QString active = m_settings->activeModelID();
    for (const WhisperModel &model : WhisperModel::transcriptionModels()) {
        if (model.id == active && m_environment->isDownloaded(model))
            return model;
    }
    for (const WhisperModel &model : m_environment->installedModels()) {
        if (model.id != WhisperModel::sileroVAD.id)
            return model;
    }
    return WhisperModel::largeV3Turbo;
}

void AppDelegate::startModelSetup()
{
    if (m_modelDownload.isValid())
        return;
    const WhisperModel model = preferredModel();
    m_downloadingModel = model;
    m_setupProgress.setExpectedBytes(model.approximateBytes);
    if (!m_setupProgress.state().is(ModelSetupProgress::State::Kind::finished))
        m_setupProgress.setState(ModelSetupProgress::State::running(0));
    const bool downloaded = m_environment->isDownloaded(model);
    if (downloaded)
        log(model.displayName + QStringLiteral(" already installed"));
    else
        log(QStringLiteral("Downloading %1 (~%2 MB) in the background...")
                .arg(model.displayName)
                .arg(model.approximateBytes / 1000000));
    if (!downloaded && m_hasMenuBar)
        m_views->applyMenuBar(MenuBarPresentation::preparing(0.0));

    auto outcome = std::make_shared<DownloadOutcome>();
    m_downloadOutcome = outcome;
    m_modelDownload
        = CancellableTask::start([self = QPointer<AppDelegate>(this), model, outcome](CancellationToken token) {
              return runDownload(self, model, outcome, token);
          });
}

void AppDelegate::reportProgress(double fraction)
{
    if (!m_setupProgress.state().is(ModelSetupProgress::State::Kind::finished))
        m_setupProgress.setState(ModelSetupProgress::State::running(fraction));
    if (m_hasMenuBar)
        m_views->applyMenuBar(MenuBarPresentation::preparing(fraction));
}

QCoro::Task<> AppDelegate::runDownload(QPointer<AppDelegate> self, WhisperModel model,
                                       std::shared_ptr<DownloadOutcome> outcome, CancellationToken token)
{
    AppEnvironment *environment = self->m_environment.get();
    std::exception_ptr error;
    try {
        auto voice = environment->download(WhisperModel::sileroVAD, {}, token);
        co_await voice;
        if (self && !token.isCancelled()) {
            auto progress = [self, token](double fraction) {
                if (self && !token.isCancelled())
                    self->reportProgress(fraction);
            };
            auto speech = environment->download(model, progress, token);
            co_await speech;
        }
    } catch (...) {
        error = std::current_exception();
    }
    if (!self || token.isCancelled())
        co_return;
    outcome->finished = true;
    outcome->error = error;
    if (error) {
        log(QStringLiteral("ERROR: model download failed: ") + describe(error));
        self->m_setupProgress.setState(ModelSetupProgress::State::failed());
        co_return;
    }
    self->m_setupProgress.setState(ModelSetupProgress::State::finished());
    if (self->m_stoppedAtDownload) {
        // Start-up gave up on an earlier attempt; a retry that succeeds
        // finishes it instead of leaving dictation off until a restart.
        self->m_stoppedAtDownload = false;
        self->m_resumeAfterRetry
            = CancellableTask::start([self, model](CancellationToken resumeToken) -> QCoro::Task<> {
                  auto finish = loadAndActivate(self, model, resumeToken);
                  co_await finish;
              });
    }
}

QCoro::Task<AppDelegate::DownloadWait> AppDelegate::awaitDownload(QPointer<AppDelegate> self, CancellationToken token)
{
    // A retry replaces the download while we wait: follow the newest one.
    while (self && !token.isCancelled() && self->m_modelDownload.isValid()) {
        CancellableTask download = self->m_modelDownload;
        std::shared_ptr<DownloadOutcome> outcome = self->m_downloadOutcome;
        auto done = download.finished();
        co_await done;
        if (!self || token.isCancelled())
            co_return DownloadWait {};
        if (outcome->finished)
            co_return DownloadWait { outcome->error };
        if (self->m_downloadOutcome == outcome)
            break;
    }
    co_return DownloadWait {};
}

QCoro::Task<> AppDelegate::continueBootstrap(QPointer<AppDelegate> self, CancellationToken token)
{
    if (!self || self->m_hasContinuedBootstrap)
        co_return;
    self->m_hasContinuedBootstrap = true;

    auto microphone = awaitPermission(self, Gate::microphone, token);
    const bool microphoneGranted = co_await microphone;
    if (!self || token.isCancelled() || !microphoneGranted)
        co_return;
    auto accessibility = awaitPermission(self, Gate::accessibility, token);
    const bool accessibilityGranted = co_await accessibility;
    if (!self || token.isCancelled() || !accessibilityGranted)
        co_return;

    self->startModelSetup();
    const WhisperModel model = self->m_downloadingModel.value_or(self->preferredModel());

    auto download = awaitDownload(self, token);
    const DownloadWait waited = co_await download;
    const std::exception_ptr downloadError = waited.error;
    if (!self || token.isCancelled())
        co_return;
    if (downloadError) {
        self->m_stoppedAtDownload = true;
        self->fail(QStringLiteral("Model download failed"));
        co_return;
    }
    auto activation = loadAndActivate(self, model, token);
    co_await activation;
}

QCoro::Task<bool> AppDelegate::loadAndActivate(QPointer<AppDelegate> self, WhisperModel model, CancellationToken token)
{
    AppEnvironment *environment = self->m_environment.get();
    log(QStringLiteral("Loading ") + model.displayName + QStringLiteral("..."));
    std::shared_ptr<TranscriptionEngine> engine;
    std::exception_ptr loadError;
    try {
        auto load = environment->loadEngine(model);
        engine = co_await load;
    } catch (...) {
        loadError = std::current_exception();
    }
    if (!self || token.isCancelled())
        co_return false;

    if (loadError) {
        logFailure(QStringLiteral("model load failed"), loadError);
        if (!environment->invalidateIfUnverified(model)) {
            self->fail(QStringLiteral("Model failed to load"));
            co_return false;
        }
        log(QStringLiteral("Model was unverified and failed to load; re-downloading it once."));
        if (!self->m_setupProgress.state().is(ModelSetupProgress::State::Kind::finished))
            self->m_setupProgress.setState(ModelSetupProgress::State::running(0));
        self->m_modelDownload = {};
        self->startModelSetup();
        auto download = awaitDownload(self, token);
        const DownloadWait retried = co_await download;
        std::exception_ptr retryError = retried.error;
        if (!self || token.isCancelled())
            co_return false;
        if (!retryError) {
            try {
                auto reload = environment->loadEngine(model);
                engine = co_await reload;
            } catch (...) {
                retryError = std::current_exception();
            }
            if (!self || token.isCancelled())
                co_return false;
        }
        if (retryError) {
            logFailure(QStringLiteral("re-download and reload failed"), retryError);
            self->fail(QStringLiteral("Model failed to load"));
            co_return false;
        }
    }

    self->m_engine = engine;
    self->m_loadedModelName = model.displayName;

    std::unique_ptr<DictationCoordinator> coordinator = environment->makeCoordinator(engine);
    coordinator->setFillerAggressiveness(self->m_settings->fillerAggressiveness());
    DictationCoordinator *raw = coordinator.get();
    coordinator->setOnPolishingChange([self](bool isPolishing) {
        if (!self)
            return;
        self->m_isPolishing = isPolishing;
        self->present(self->m_lastHandledState);
    });
    coordinator->setOnStateChange([self](const DictationState &state) {
        log(QStringLiteral("state: ") + state.debugDescription());
        if (self)
            self->present(state);
    });
    coordinator->setOnTranscript([](const QString &text) { log(QStringLiteral("TRANSCRIPT: ") + text); });

    const HotkeyBinding binding = self->m_settings->dictationHotkey();
    try {
        raw->activate(binding);
    } catch (const std::exception &error) {
        const QString description = dynamic_cast<const Error *>(&error)
            ? static_cast<const Error &>(error).description()
            : QString::fromLocal8Bit(error.what());
        log(QStringLiteral("ERROR: could not register ") + binding.displayString()
            + QStringLiteral(" — another app may own it: ") + description);
        // The coordinator is dropped: its handler must not outlive it.
        raw->deactivate();
        self->fail(QStringLiteral("Hotkey already in use"));
        co_return false;
    }
    self->m_coordinator = std::move(coordinator);

    environment->watchInterruptions(
        [self] {
            if (self && self->m_coordinator)
                self->m_coordinator->cancel(DictationCancelReason::deviceChanged);
        },
        [self] {
            if (self && self->m_coordinator)
                self->m_coordinator->cancel(DictationCancelReason::systemSleep);
        });
    self->applyIdle();
    log(QStringLiteral("Ready. Hold ") + binding.displayString() + QStringLiteral(" to dictate, Esc to cancel."));
    co_return true;
}

QCoro::Task<bool> AppDelegate::awaitPermission(QPointer<AppDelegate> self, Gate gate, CancellationToken token)
{
    AppEnvironment *environment = self->m_environment.get();
    bool granted = false;
    if (gate == Gate::microphone) {
        auto request = environment->requestMicrophone();
        granted = co_await request;
        if (!self || token.isCancelled())
            co_return false;
    } else {
        if (!environment->accessibilityTrusted())
            environment->requestAccessibility();
        granted = environment->accessibilityWorks();
    }
    if (granted)
        co_return true;

    const PermissionIssue issue = gate == Gate::microphone ? PermissionIssue::microphoneDenied
        : environment->accessibilityTrusted()              ? PermissionIssue::accessibilityStale
                                                           : PermissionIssue::accessibilityMissing;
    const PermissionGatePresentation presentation = PermissionGatePresentation::make(issue);
    log(QStringLiteral("Blocked on ") + nameOf(gate) + QStringLiteral(" — ") + presentation.title);
    self->m_isEnabled = false;
    self->m_views->applyMenuBar(MenuBarPresentation::make(DictationState::failed(presentation.title), false));
    self->m_views->setEnabledItem(false);
    self->m_views->showPermissions(issue, [self] {
        if (self)
            self->m_environment->relaunch();
    });
    self->m_relaunchOffer.cancel();
    self->m_relaunchOffer
        = CancellableTask::start([self](CancellationToken offerToken) { return offerRelaunchLater(self, offerToken); });

    MonotonicClock &clock = environment->clock();
    while (self && !token.isCancelled()) {
        const bool passes
            = gate == Gate::microphone ? environment->microphoneAuthorised() : environment->accessibilityWorks();
        if (passes) {
            self->m_views->setPermissionGranted();
            auto linger = clock.sleep(grantedLingerSeconds);
            co_await linger;
            if (!self || token.isCancelled())
                break;
            self->m_views->closePermissions();
            self->m_isEnabled = true;
            self->m_relaunchOffer.cancel();
            co_return true;
        }
        auto wait = clock.sleep(permissionPollSeconds);
        co_await wait;
    }
    if (self)
        self->m_relaunchOffer.cancel();
    co_return false;
}

QCoro::Task<> AppDelegate::offerRelaunchLater(QPointer<AppDelegate> self, CancellationToken token)
{
    auto wait = self->m_environment->clock().sleep(relaunchOfferSeconds);
    co_await wait;
    if (self && !token.isCancelled())
        self->m_views->offerRelaunch();
}

void AppDelegate::fail(const QString &message)
{
    m_isEnabled = false;
    if (m_hasMenuBar) {
        m_views->applyMenuBar(MenuBarPresentation::make(DictationState::failed(message), false));
        m_views->setEnabledItem(false);
    }
}

void AppDelegate::applyIdle()
{
    if (!m_hasMenuBar)
        return;
    m_views->applyMenuBar(MenuBarPresentation::make(DictationState::idle(), m_isEnabled));
    m_views->setEnabledItem(m_isEnabled);
}

void AppDelegate::present(const DictationState &state)
{
    m_lastHandledState = state;
    const HUDPresentation hud = HUDPresentation::make(state, m_isPolishing);
    m_views->updateHUD(hud, m_settings->hudPosition());
    if (m_hasMenuBar) {
        m_views->applyMenuBar(MenuBarPresentation::make(state, m_isEnabled));
        m_views->setEnabledItem(m_isEnabled);
    }
    m_idleRecovery.cancel();
    m_idleRecovery = {};
    if (hud.autoDismissAfter) {
        const int seconds = *hud.autoDismissAfter;
        m_idleRecovery = CancellableTask::start([self = QPointer<AppDelegate>(this), seconds](CancellationToken token) {
            return recoverIdleLater(self, seconds, token);
        });
    }
}

QCoro::Task<> AppDelegate::recoverIdleLater(QPointer<AppDelegate> self, int seconds, CancellationToken token)
{
    auto wait = self->m_environment->clock().sleep(seconds);
    co_await wait;
    if (self && !token.isCancelled())
        self->applyIdle();
}

void AppDelegate::toggleEnabled()
{
    if (m_isEnabled) {
        if (m_coordinator)
            m_coordinator->deactivate();
        m_views->hideHUD();
        m_isEnabled = false;
        log(QStringLiteral("Parlowind disabled"));
    } else if (!m_coordinator) {
        m_isEnabled = false;
        log(QStringLiteral("ERROR: cannot enable — dictation is not initialised"));
    } else {
        try {
            m_coordinator->activate(m_settings->dictationHotkey());
            m_isEnabled = true;
            log(QStringLiteral("Parlowind enabled"));
        } catch (const std::exception &error) {
            m_isEnabled = false;
            const auto *ours = dynamic_cast<const Error *>(&error);
            log(QStringLiteral("ERROR: could not enable — another app may own the hotkey: ")
                + (ours ? ours->description() : QString::fromLocal8Bit(error.what())));
        }
    }
    applyIdle();
}

void AppDelegate::showFront()
{
    if (!isReady() && !m_setupProgress.state().is(ModelSetupProgress::State::Kind::finished))
        m_views->showOnboarding();
    else
        m_views->showAbout();
}

AboutPresentation AppDelegate::gatherAbout()
{
    return AboutPresentation::make(m_facts.version, m_facts.build.isEmpty() ? QStringLiteral("?") : m_facts.build,
                                   m_facts.system, m_engine ? m_loadedModelName : std::nullopt,
                                   m_environment->microphoneAuthorised(), m_environment->accessibilityWorks(),
                                   m_facts.logPath);
}

void AppDelegate::terminate()
{
    if (m_coordinator)
        m_coordinator->deactivate();
    m_coordinator.reset();
    m_engine.reset();
    m_bootstrap.cancel();
    m_resumeAfterRetry.cancel();
    m_modelDownload.cancel();
    m_modelDownload = {};
    m_relaunchOffer.cancel();
    m_idleRecovery.cancel();
    m_idleRecovery = {};
    if (m_views) {
        m_views->hideHUD();
        m_views->tearDown();
    }
    m_hasMenuBar = false;
    if (m_environment)
        m_environment->releaseServices();
}

} // namespace parlowind
