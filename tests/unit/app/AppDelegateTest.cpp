#include "AppDelegate.h"
#include "FakeClock.h"
#include "LogCapture.h"
#include "fakes/CallLog.h"
#include "fakes/FakeAudioCapture.h"
#include "fakes/FakeError.h"
#include "fakes/FakeHotkeyRegistrar.h"
#include "fakes/FakeTranscriptionEngine.h"
#include "fakes/ManualCompletion.h"
#include "presentation/PermissionGatePresentation.h"

#include <QCoro/QCoroTask>

#include <gtest/gtest.h>

#include <map>
#include <ostream>
#include <set>

namespace parlowind {
namespace {

using test::CallLog;

// Everything outside the shell, recording into the shared log. Downloads
// finish at once unless the test holds them; the gates pass unless told.
class FakeEnvironment final : public AppEnvironment
{
public:
    explicit FakeEnvironment(std::shared_ptr<CallLog> log)
        : m_log(std::move(log))
        , hotkeys(std::make_shared<test::FakeHotkeyRegistrar>(m_log))
    { }

    int pruneHistory() override
    {
        m_log->record(QStringLiteral("history.prune"));
        return pruned;
    }
    void prepareCleanup() override { m_log->record(QStringLiteral("cleanup.prepare")); }
    void preparePolisher() override { m_log->record(QStringLiteral("polisher.prepare")); }

    QCoro::Task<bool> requestMicrophone() override
    {
        m_log->record(QStringLiteral("microphone.request"));
        co_return microphone;
    }
    bool microphoneAuthorised() override { return microphone; }
    bool accessibilityTrusted() override { return accessibilityGranted; }
    void requestAccessibility() override { m_log->record(QStringLiteral("accessibility.request")); }
    bool accessibilityWorks() override { return accessibility; }

    bool isDownloaded(const WhisperModel &model) override { return downloaded.count(model.id) != 0; }
    QList<WhisperModel> installedModels() override
    {
        QList<WhisperModel> models;
        for (const WhisperModel &model : WhisperModel::allKnown()) {
            if (isDownloaded(model))
                models << model;
        }
        return models;
    }
    QCoro::Task<> download(WhisperModel model, Progress progress, CancellationToken) override
    {
        m_log->record(QStringLiteral("download ") + model.id);
        if (held.count(model.id)) {
            auto completion = std::make_shared<test::ManualCompletion<bool>>();
            pending[model.id] = completion;
            auto wait = test::ManualCompletion<bool>::wait(completion);
            co_await wait;
        }
        if (progress)
            progress(1.0);
        downloaded.insert(model.id);
    }
    bool invalidateIfUnverified(const WhisperModel &model) override
    {
        m_log->record(QStringLiteral("invalidate ") + model.id);
        if (!unverified)
            return false;
        downloaded.erase(model.id);
        return true;
    }
    QCoro::Task<std::shared_ptr<TranscriptionEngine>> loadEngine(WhisperModel model) override
    {
        m_log->record(QStringLiteral("engine.load ") + model.id);
        if (loadFailures > 0) {
            --loadFailures;
            throw test::FakeError(QStringLiteral("bad tensors"));
        }
        co_return std::make_shared<test::FakeTranscriptionEngine>();
    }
    std::unique_ptr<DictationCoordinator> makeCoordinator(std::shared_ptr<TranscriptionEngine> engine) override
    {
        m_log->record(QStringLiteral("coordinator.make"));
        DictationCoordinator::Collaborators collaborators;
        collaborators.capture = capture;
        collaborators.engine = std::move(engine);
        collaborators.hotkeys = hotkeys;
        collaborators.clock = sharedClock;
        return std::make_unique<DictationCoordinator>(std::move(collaborators));
    }
    void watchInterruptions(std::function<void()> onDeviceChanged, std::function<void()> onSleep) override
    {
        m_log->record(QStringLiteral("interruptions.watch"));
        deviceChanged = std::move(onDeviceChanged);
        goingToSleep = std::move(onSleep);
    }
    void relaunch() override { m_log->record(QStringLiteral("relaunch")); }
    void releaseServices() override { m_log->record(QStringLiteral("services.release")); }
    MonotonicClock &clock() override { return *clock_; }

    void finishDownload(const QString &id) { pending.at(id)->succeed(true); }
    void failDownload(const QString &id)
    {
        pending.at(id)->fail(std::make_exception_ptr(test::FakeError(QStringLiteral("connection reset"))));
    }

    std::shared_ptr<CallLog> m_log;
    std::shared_ptr<test::FakeClock> clock_ = std::make_shared<test::FakeClock>();
    std::shared_ptr<MonotonicClock> sharedClock = clock_;
    std::shared_ptr<test::FakeHotkeyRegistrar> hotkeys;
    std::shared_ptr<test::FakeAudioCapture> capture = std::make_shared<test::FakeAudioCapture>();
    int pruned = 0;
    bool microphone = true;
    bool accessibilityGranted = true;
    bool accessibility = true;
    bool unverified = false;
    int loadFailures = 0;
    std::set<QString> downloaded { WhisperModel::sileroVAD.id, WhisperModel::largeV3Turbo.id };
    std::set<QString> held;
    std::map<QString, std::shared_ptr<test::ManualCompletion<bool>>> pending;
    std::function<void()> deviceChanged;
    std::function<void()> goingToSleep;
};

// The tray, HUD and windows as lines in the shared log.
class FakeViews final : public ShellViews
{
public:
    explicit FakeViews(std::shared_ptr<CallLog> log)
        : m_log(std::move(log))
    { }

    void createHUD() override { m_log->record(QStringLiteral("hud.create")); }
    void createMenuBar(MenuHandlers handlers) override
    {
        m_log->record(QStringLiteral("menu.create"));
        menu = std::move(handlers);
    }
    void createAbout(std::function<AboutPresentation()> gather) override
    {
        m_log->record(QStringLiteral("about.create"));
        about = std::move(gather);
    }
    void createOnboarding(ModelSetupProgress &, std::function<bool()>, std::function<bool()>,
                          std::function<void()> onRetrySetup) override
    {
        m_log->record(QStringLiteral("onboarding.create"));
        retrySetup = std::move(onRetrySetup);
    }
    void applyMenuBar(const MenuBarPresentation &presentation) override
    {
        lastMenu = presentation;
        m_log->record(QStringLiteral("menu ") + presentation.tooltip);
    }
    void setEnabledItem(bool on) override { enabledItem = on; }
    void updateHUD(const HUDPresentation &presentation, HUDPosition) override
    {
        m_log->record(QStringLiteral("hud ") + presentation.label);
    }
    void hideHUD() override { m_log->record(QStringLiteral("hud.hide")); }
    void showPermissions(PermissionIssue issue, std::function<void()> onRelaunch) override
    {
        m_log->record(QStringLiteral("permissions.show ") + nameOf(issue));
        relaunch = std::move(onRelaunch);
    }
    void setPermissionGranted() override { m_log->record(QStringLiteral("permissions.granted")); }
    void offerRelaunch() override { m_log->record(QStringLiteral("permissions.offerRelaunch")); }
    void closePermissions() override { m_log->record(QStringLiteral("permissions.close")); }
    void showAbout() override { m_log->record(QStringLiteral("about.show")); }
    void showOnboarding() override { m_log->record(QStringLiteral("onboarding.show")); }
    void tearDown() override { m_log->record(QStringLiteral("views.tearDown")); }

    std::shared_ptr<CallLog> m_log;
    MenuHandlers menu;
    std::function<AboutPresentation()> about;
    std::function<void()> retrySetup;
    std::function<void()> relaunch;
    MenuBarPresentation lastMenu;
    bool enabledItem = false;
};

class AppDelegateTest : public testing::Test
{
protected:
    AppDelegateTest()
    {
        auto environmentOwned = std::make_unique<FakeEnvironment>(log);
        auto viewsOwned = std::make_unique<FakeViews>(log);
        environment = environmentOwned.get();
        views = viewsOwned.get();
        delegate = std::make_unique<AppDelegate>(
            std::move(environmentOwned), std::move(viewsOwned), std::make_unique<SettingsStore>(),
            AppDelegate::Facts { QStringLiteral("0.1.14"), QString(), QStringLiteral("debian 12"),
                                 QStringLiteral("/tmp/parlowind.log") });
    }

    // Lets every task that is still waiting see its cancellation and end, so
    // no coroutine is left suspended when the fakes go away.
    void TearDown() override
    {
        delegate->terminate();
        for (auto &[id, completion] : environment->pending)
            completion->fail(std::make_exception_ptr(test::FakeError(QStringLiteral("test over"))));
        environment->clock_->advance(120);
    }

    // Calls recorded since the last look, without the HUD and tray lines.
    QStringList effects()
    {
        QStringList kept;
        for (const QString &call : log->take()) {
            if (!call.startsWith(QStringLiteral("menu ")) && !call.startsWith(QStringLiteral("hud ")))
                kept << call;
        }
        return kept;
    }

    int indexOf(const QStringList &calls, const QString &call) const { return int(calls.indexOf(call)); }

    std::shared_ptr<CallLog> log = std::make_shared<CallLog>();
    test::LogCapture lines;
    FakeEnvironment *environment = nullptr;
    FakeViews *views = nullptr;
    std::unique_ptr<AppDelegate> delegate;
};

TEST_F(AppDelegateTest, ReadyPathBuildsInOrderAndRegistersTheKeyLast)
{
    environment->pruned = 3;
    delegate->launch();
    EXPECT_EQ(
        effects(),
        (QStringList { QStringLiteral("history.prune"), QStringLiteral("hud.create"), QStringLiteral("cleanup.prepare"),
                       QStringLiteral("polisher.prepare"), QStringLiteral("menu.create"),
                       QStringLiteral("about.create"), QStringLiteral("onboarding.create"),
                       QStringLiteral("download silero-v5.1.2"), QStringLiteral("download large-v3-turbo"),
                       QStringLiteral("microphone.request"), QStringLiteral("engine.load large-v3-turbo"),
                       QStringLiteral("coordinator.make"), QStringLiteral("hotkeys.setOnEvent"),
                       QStringLiteral("hotkeys.register dictation"), QStringLiteral("interruptions.watch") }));
    EXPECT_TRUE(delegate->isReady());
    EXPECT_TRUE(delegate->isEnabled());
    EXPECT_EQ(views->lastMenu, MenuBarPresentation::make(DictationState::idle(), true));
    EXPECT_EQ(lines.linesStartingWith(QStringLiteral("Pruned")),
              QStringList { QStringLiteral("Pruned 3 history entries past retention") });
    EXPECT_EQ(lines.linesStartingWith(QStringLiteral("Ready.")),
              QStringList { QStringLiteral("Ready. Hold Right Ctrl to dictate, Esc to cancel.") });
    EXPECT_EQ(delegate->loadedModelName(), QStringLiteral("Large v3 Turbo"));
}

TEST_F(AppDelegateTest, NewUserWaitsForTheDownloadBeforeAnythingIsRegistered)
{
    environment->downloaded = {};
    environment->held = { WhisperModel::sileroVAD.id, WhisperModel::largeV3Turbo.id };
    delegate->launch();
    const QStringList start = effects();
    EXPECT_TRUE(start.contains(QStringLiteral("onboarding.show")));
    EXPECT_TRUE(start.contains(QStringLiteral("microphone.request")));
    EXPECT_FALSE(start.contains(QStringLiteral("engine.load large-v3-turbo")));
    // The gates passed; the tray shows the download while start-up waits for it.
    EXPECT_EQ(views->lastMenu, MenuBarPresentation::preparing(0.0));

    environment->finishDownload(WhisperModel::sileroVAD.id);
    EXPECT_EQ(effects(), QStringList { QStringLiteral("download large-v3-turbo") });
    EXPECT_FALSE(environment->hotkeys->isRegistered(HotkeyID::dictation));

    environment->finishDownload(WhisperModel::largeV3Turbo.id);
    const QStringList after = effects();
    EXPECT_LT(indexOf(after, QStringLiteral("engine.load large-v3-turbo")),
              indexOf(after, QStringLiteral("hotkeys.register dictation")));
    EXPECT_TRUE(delegate->isReady());
    EXPECT_TRUE(delegate->setupProgress().state().is(ModelSetupProgress::State::Kind::finished));
}

TEST_F(AppDelegateTest, MicrophoneGateBlocksThenClearsWhenThePollPasses)
{
    environment->microphone = false;
    delegate->launch();
    EXPECT_TRUE(effects().contains(QStringLiteral("permissions.show microphoneDenied")));
    const QString title = PermissionGatePresentation::make(PermissionIssue::microphoneDenied).title;
    EXPECT_EQ(lines.linesStartingWith(QStringLiteral("Blocked on")),
              QStringList { QStringLiteral("Blocked on microphone — ") + title });
    EXPECT_EQ(views->lastMenu, MenuBarPresentation::make(DictationState::failed(title), false));
    EXPECT_FALSE(views->enabledItem);
    EXPECT_FALSE(delegate->isEnabled());

    environment->clock_->advance(20);
    EXPECT_EQ(effects(), QStringList { QStringLiteral("permissions.offerRelaunch") });
    views->relaunch();
    EXPECT_EQ(effects(), QStringList { QStringLiteral("relaunch") });

    environment->microphone = true;
    environment->clock_->advance(0.5);
    EXPECT_EQ(effects(), QStringList { QStringLiteral("permissions.granted") });
    environment->clock_->advance(0.9);
    const QStringList after = effects();
    EXPECT_EQ(after.first(), QStringLiteral("permissions.close"));
    EXPECT_TRUE(after.contains(QStringLiteral("hotkeys.register dictation")));
    EXPECT_TRUE(delegate->isEnabled());
}

TEST_F(AppDelegateTest, AccessibilityGrantedButNotWorkingIsStale)
{
    environment->accessibility = false;
    delegate->launch();
    const QStringList calls = effects();
    EXPECT_TRUE(calls.contains(QStringLiteral("permissions.show accessibilityStale")));
    EXPECT_FALSE(calls.contains(QStringLiteral("accessibility.request")));
    EXPECT_FALSE(calls.contains(QStringLiteral("engine.load large-v3-turbo")));
}

TEST_F(AppDelegateTest, AccessibilityMissingIsRequestedFirst)
{
    environment->accessibility = false;
    environment->accessibilityGranted = false;
    delegate->launch();
    const QStringList calls = effects();
    EXPECT_LT(indexOf(calls, QStringLiteral("accessibility.request")),
              indexOf(calls, QStringLiteral("permissions.show accessibilityMissing")));
}

TEST_F(AppDelegateTest, FailedDownloadStopsQuietlyAndARetryFinishesStartUp)
{
    environment->downloaded = { WhisperModel::sileroVAD.id };
    environment->held = { WhisperModel::largeV3Turbo.id };
    delegate->launch();
    effects();
    environment->failDownload(WhisperModel::largeV3Turbo.id);
    EXPECT_EQ(lines.linesStartingWith(QStringLiteral("ERROR: model download failed")),
              QStringList { QStringLiteral("ERROR: model download failed: connection reset") });
    EXPECT_EQ(views->lastMenu,
              MenuBarPresentation::make(DictationState::failed(QStringLiteral("Model download failed")), false));
    EXPECT_FALSE(delegate->isEnabled());
    EXPECT_TRUE(delegate->setupProgress().state().is(ModelSetupProgress::State::Kind::failed));
    EXPECT_FALSE(effects().contains(QStringLiteral("engine.load large-v3-turbo")));

    environment->held.clear();
    views->retrySetup();
    const QStringList retried = effects();
    EXPECT_TRUE(retried.contains(QStringLiteral("download large-v3-turbo")));
    EXPECT_TRUE(retried.contains(QStringLiteral("hotkeys.register dictation")));
    EXPECT_TRUE(delegate->isReady());
}

TEST_F(AppDelegateTest, UnverifiedModelIsDownloadedOnceMore)
{
    environment->unverified = true;
    environment->loadFailures = 1;
    delegate->launch();
    const QStringList calls = effects();
    EXPECT_EQ(calls.count(QStringLiteral("engine.load large-v3-turbo")), 2);
    EXPECT_LT(indexOf(calls, QStringLiteral("invalidate large-v3-turbo")),
              calls.lastIndexOf(QStringLiteral("download large-v3-turbo")));
    EXPECT_EQ(lines.linesStartingWith(QStringLiteral("Model was unverified")).size(), 1);
    EXPECT_TRUE(delegate->isReady());
}

struct LoadFailureCase
{
    const char *name;
    bool unverified;
    int loadFailures;
    int expectedLoads;
    const char *context;
};

void PrintTo(const LoadFailureCase &row, std::ostream *out)
{
    *out << row.name;
}

class AppDelegateLoadFailureTest : public AppDelegateTest, public testing::WithParamInterface<LoadFailureCase>
{
};

TEST_P(AppDelegateLoadFailureTest, ModelFailedToLoadLeavesDictationOff)
{
    environment->unverified = GetParam().unverified;
    environment->loadFailures = GetParam().loadFailures;
    delegate->launch();
    EXPECT_EQ(effects().count(QStringLiteral("engine.load large-v3-turbo")), GetParam().expectedLoads);
    EXPECT_EQ(lines.linesStartingWith(QStringLiteral("ERROR: ") + QString::fromUtf8(GetParam().context)).size(), 1);
    EXPECT_EQ(views->lastMenu,
              MenuBarPresentation::make(DictationState::failed(QStringLiteral("Model failed to load")), false));
    EXPECT_FALSE(delegate->isReady());
    EXPECT_FALSE(environment->hotkeys->isRegistered(HotkeyID::dictation));
}

INSTANTIATE_TEST_SUITE_P(Cases, AppDelegateLoadFailureTest,
                         testing::Values(LoadFailureCase { "VerifiedModel", false, 1, 1, "model load failed" },
                                         LoadFailureCase { "SecondLoadFails", true, 2, 2,
                                                           "re-download and reload failed" }),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(AppDelegateTest, TakenKeyLeavesNoCoordinatorAndEnablingSaysSo)
{
    environment->hotkeys->failRegistration(HotkeyID::dictation);
    delegate->launch();
    EXPECT_EQ(views->lastMenu,
              MenuBarPresentation::make(DictationState::failed(QStringLiteral("Hotkey already in use")), false));
    EXPECT_EQ(lines.linesStartingWith(QStringLiteral("ERROR: could not register Right Ctrl")).size(), 1);
    EXPECT_FALSE(delegate->isReady());
    EXPECT_FALSE(environment->hotkeys->hasHandler());

    views->menu.onToggleEnabled();
    EXPECT_FALSE(delegate->isEnabled());
    EXPECT_EQ(lines.linesStartingWith(QStringLiteral("ERROR: cannot enable")).size(), 1);
    EXPECT_EQ(views->lastMenu, MenuBarPresentation::make(DictationState::idle(), false));
}

TEST_F(AppDelegateTest, EnabledOffStopsRecordingAndOnRegistersAgain)
{
    delegate->launch();
    delegate->coordinator()->beginRecording();
    effects();
    views->menu.onToggleEnabled();
    EXPECT_FALSE(delegate->isEnabled());
    EXPECT_FALSE(environment->hotkeys->isRegistered(HotkeyID::dictation));
    EXPECT_TRUE(effects().contains(QStringLiteral("hud.hide")));
    EXPECT_EQ(views->lastMenu, MenuBarPresentation::make(DictationState::idle(), false));
    views->menu.onToggleEnabled();
    EXPECT_TRUE(delegate->isEnabled());
    EXPECT_TRUE(environment->hotkeys->isRegistered(HotkeyID::dictation));
}

TEST_F(AppDelegateTest, CancelLookReturnsToIdleAfterTwoSecondsUnlessANewStateArrives)
{
    delegate->launch();
    delegate->present(DictationState::cancelled(DictationCancelReason::noSpeech));
    environment->clock_->advance(1.5);
    delegate->present(DictationState::recording());
    environment->clock_->advance(1);
    EXPECT_EQ(views->lastMenu, MenuBarPresentation::make(DictationState::recording(), true));
    delegate->present(DictationState::failed(QStringLiteral("boom")));
    environment->clock_->advance(3.9);
    EXPECT_EQ(views->lastMenu.symbolName, QStringLiteral("exclamationmark.triangle"));
    environment->clock_->advance(0.2);
    EXPECT_EQ(views->lastMenu, MenuBarPresentation::make(DictationState::idle(), true));
}

TEST_F(AppDelegateTest, DeviceChangeAndSleepCancelARecording)
{
    delegate->launch();
    delegate->coordinator()->beginRecording();
    environment->deviceChanged();
    EXPECT_EQ(delegate->coordinator()->state(), DictationState::cancelled(DictationCancelReason::deviceChanged));
    delegate->coordinator()->beginRecording();
    environment->goingToSleep();
    EXPECT_EQ(delegate->coordinator()->state(), DictationState::cancelled(DictationCancelReason::systemSleep));
}

TEST_F(AppDelegateTest, TerminationReleasesKeysThenTakesTheViewsDown)
{
    delegate->launch();
    effects();
    delegate->terminate();
    const QStringList calls = effects();
    EXPECT_LT(indexOf(calls, QStringLiteral("hotkeys.unregisterAll")), indexOf(calls, QStringLiteral("hud.hide")));
    EXPECT_LT(indexOf(calls, QStringLiteral("hud.hide")), indexOf(calls, QStringLiteral("views.tearDown")));
    EXPECT_FALSE(delegate->isReady());
}

TEST_F(AppDelegateTest, AboutReportsTheLoadedModelAndTheChecks)
{
    delegate->launch();
    environment->accessibility = false;
    const AboutPresentation about = views->about();
    EXPECT_EQ(about.facts.at(0).value, QStringLiteral("0.1.14 (?)"));
    EXPECT_EQ(about.facts.at(2).value, QStringLiteral("Large v3 Turbo"));
    EXPECT_TRUE(about.facts.at(4).needsAttention);
}

struct ModelChoiceCase
{
    const char *name;
    const char *activeModelID;
    std::vector<QString> installed;
    const char *expected;
};

void PrintTo(const ModelChoiceCase &row, std::ostream *out)
{
    *out << row.name;
}

class PreferredModelTest : public AppDelegateTest, public testing::WithParamInterface<ModelChoiceCase>
{
};

TEST_P(PreferredModelTest, PreferenceThenInstalledThenDefault)
{
    SettingsStore().setActiveModelID(QString::fromUtf8(GetParam().activeModelID));
    environment->downloaded = std::set<QString>(GetParam().installed.begin(), GetParam().installed.end());
    EXPECT_EQ(delegate->preferredModel().id, QString::fromUtf8(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(
    Rules, PreferredModelTest,
    testing::Values(
        ModelChoiceCase { "ChosenAndInstalled",
                          "tiny.en",
                          { QStringLiteral("large-v3-turbo"), QStringLiteral("tiny.en") },
                          "tiny.en" },
        ModelChoiceCase { "ChosenButMissing", "tiny.en", { QStringLiteral("large-v3-turbo") }, "large-v3-turbo" },
        ModelChoiceCase { "OnlyTheVoiceModel", "tiny.en", { QStringLiteral("silero-v5.1.2") }, "large-v3-turbo" },
        ModelChoiceCase {
            "UnknownPreference", "huge", { QStringLiteral("silero-v5.1.2"), QStringLiteral("tiny.en") }, "tiny.en" },
        ModelChoiceCase { "NothingInstalled", "", {}, "large-v3-turbo" }),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
} // namespace parlowind
