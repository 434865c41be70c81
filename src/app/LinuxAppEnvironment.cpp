#include "LinuxAppEnvironment.h"

#include "AtspiAccessibility.h"
#include "ControlChannel.h"
#include "InputAccessProbe.h"
#include "KeyBackends.h"
#include "KeychainStore.h"
#include "PasteKeystrokes.h"
#include "PlatformInfo.h"
#include "SecretFileStore.h"
#include "audio/AudioCapture.h"
#include "audio/BundledSoundPlayer.h"
#include "audio/LevelMeter.h"
#include "audio/MicrophoneCheck.h"
#include "audio/PulseAudioDeviceMonitor.h"
#include "audio/PulseAudioInput.h"
#include "cleanup/CleanupPipeline.h"
#include "cleanup/CleanupSettingsStore.h"
#include "cleanup/DictionaryStore.h"
#include "cleanup/ShortcutStore.h"
#include "dictation/TogglingSoundPlayer.h"
#include "dictation/TranscriptDelivery.h"
#include "history/HistoryStore.h"
#include "hotkeys/RoutingHotkeyRegistrar.h"
#include "injection/AXInjector.h"
#include "injection/ClipboardOnlyInjector.h"
#include "injection/PasteInjector.h"
#include "injection/TieredTextInjector.h"
#include "polish/LLMClient.h"
#include "polish/LLMSettingsFile.h"
#include "polish/NetworkAccessTransport.h"
#include "polish/PolishSanityCheck.h"
#include "polish/TranscriptPolisher.h"
#include "settings/SettingsStore.h"
#include "speech/ModelStore.h"
#include "speech/WhisperCppEngine.h"
#include "support/Log.h"
#include "support/MonotonicClock.h"
#include "support/Worker.h"

#ifdef PARLOWIND_HAVE_ATSPI_X11
#include "AtspiFocusCapture.h"
#include "AtspiTextElement.h"
#include "X11Clipboard.h"
#endif

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDateTime>
#include <QGuiApplication>
#include <QProcess>
#include <QStyleHints>
#include <QTimer>

namespace parlowind {

// Receives logind's PrepareForSleep, which has an argument and so needs a slot.
class SleepReceiver final : public QObject
{
    Q_OBJECT
public:
    SleepReceiver(std::function<void()> onSleep, QObject *parent)
        : QObject(parent)
        , m_onSleep(std::move(onSleep))
    { }

public Q_SLOTS:
    void prepareForSleep(bool goingToSleep)
    {
        if (goingToSleep && m_onSleep)
            m_onSleep();
    }

private:
    std::function<void()> m_onSleep;
};

struct LinuxAppEnvironment::Services
{
    std::shared_ptr<LevelMeter> levelMeter;
    SettingsStore &settings;
    PlatformInfo platform = PlatformInfo::detect();
    std::shared_ptr<SystemClock> clock = std::make_shared<SystemClock>();
    ModelStore models { ModelStore::defaultDirectory() };

    std::unique_ptr<HistoryStore> history;
    std::shared_ptr<DictionaryStore> dictionary;
    std::shared_ptr<ShortcutStore> shortcuts;
    std::optional<CleanupPipeline> cleanup;

    KeychainStore keychain;
    SecretFileStore keyFile;
    std::unique_ptr<FallbackSecretStore> keys;
    NetworkAccessTransport transport;
    std::unique_ptr<LLMClient> llmClient;
    std::shared_ptr<TranscriptPolisher> polisher;

    // Built with the coordinator; released before it at the end.
    KeyBackends keyBackends;
    std::shared_ptr<RoutingHotkeyRegistrar> hotkeys;
    std::unique_ptr<ControlChannelService> controlChannel;
#ifdef PARLOWIND_HAVE_ATSPI_X11
    std::shared_ptr<AtspiFocusCapture> focus;
    std::unique_ptr<X11Clipboard> clipboard;
#endif
    std::unique_ptr<KeystrokeSending> keystrokes;
    std::unique_ptr<TieredTextInjector> injector;
    std::shared_ptr<TranscriptDelivery> delivery;
    std::unique_ptr<PulseAudioDeviceMonitor> deviceMonitor;

    Services(std::shared_ptr<LevelMeter> meter, SettingsStore &store)
        : levelMeter(std::move(meter))
        , settings(store)
    { }
};

LinuxAppEnvironment::LinuxAppEnvironment(std::shared_ptr<LevelMeter> levelMeter, SettingsStore &settings)
    : m_services(std::make_unique<Services>(std::move(levelMeter), settings))
{
    log(QStringLiteral("Session: ") + m_services->platform.describe());
}

LinuxAppEnvironment::~LinuxAppEnvironment()
{
    releaseServices();
}

int LinuxAppEnvironment::pruneHistory()
{
    Services &s = *m_services;
    s.history = std::make_unique<HistoryStore>(HistoryStore::defaultFilePath(), s.settings.storeHistory(),
                                               s.settings.historyRetentionDays());
    return s.history->pruneAtStartup(QDateTime::currentDateTime());
}

void LinuxAppEnvironment::prepareCleanup()
{
    Services &s = *m_services;
    const CleanupSettingsStore store;
    s.dictionary = std::make_shared<DictionaryStore>(store.loadTerms());
    s.shortcuts = std::make_shared<ShortcutStore>(store.loadShortcuts());
    s.cleanup = CleanupPipeline::standard(s.dictionary, s.shortcuts);
}

void LinuxAppEnvironment::preparePolisher()
{
    Services &s = *m_services;
    // Fixed for the run: the settings say that changes apply after a restart.
    const LLMSettings llm = LLMSettingsFile().load();
    SettingsStore *settings = &s.settings;
    auto offlineOnly = [settings] { return settings->offlineOnly(); };
    s.keys = std::make_unique<FallbackSecretStore>(s.keychain, s.keyFile);
    s.llmClient = std::make_unique<LLMClient>(s.transport, *s.clock, offlineOnly, makeKeyLookup(*s.keys, llm.kind));
    s.polisher = std::make_shared<TranscriptPolisher>(*s.llmClient, llm.activeProvider(), offlineOnly,
                                                      PolishSanityCheck(2.0), 1024, llm.timeout());
}

QCoro::Task<bool> LinuxAppEnvironment::requestMicrophone()
{
    // The check may wait on the sound server: keep it off the UI thread.
    auto check = runOnWorker([] { return MicrophoneCheck::run().isAvailable; });
    const bool available = co_await check;
    co_return available;
}

bool LinuxAppEnvironment::microphoneAuthorised()
{
    return MicrophoneCheck::run(0.4).isAvailable;
}

bool LinuxAppEnvironment::accessibilityTrusted()
{
    const std::optional<PermissionIssue> input = InputAccessProbe::issue();
    if (input == PermissionIssue::accessibilityStale)
        return true;
    return !input && AtspiAccessibility::isEnabled();
}

void LinuxAppEnvironment::requestAccessibility()
{
    // Switching AT-SPI on is ours to do; the input group is the user's.
    if (!AtspiAccessibility::enable())
        log(QStringLiteral("WARNING: could not switch accessibility on: ") + AtspiAccessibility::problemDescription());
}

bool LinuxAppEnvironment::accessibilityWorks()
{
    return AtspiAccessibility::verifyWorks() && !InputAccessProbe::issue();
}

bool LinuxAppEnvironment::isDownloaded(const WhisperModel &model)
{
    return m_services->models.isDownloaded(model);
}

QList<WhisperModel> LinuxAppEnvironment::installedModels()
{
    return m_services->models.installedModels();
}

QCoro::Task<> LinuxAppEnvironment::download(WhisperModel model, Progress progress, CancellationToken token)
{
    auto transfer = m_services->models.download(std::move(model), std::move(progress), std::move(token));
    co_await transfer;
}

bool LinuxAppEnvironment::invalidateIfUnverified(const WhisperModel &model)
{
    return m_services->models.invalidateIfUnverified(model);
}

QCoro::Task<std::shared_ptr<TranscriptionEngine>> LinuxAppEnvironment::loadEngine(WhisperModel model)
{
    const ModelStore &models = m_services->models;
    auto engine = std::make_shared<WhisperCppEngine>(models.localURL(model), models.localURL(WhisperModel::sileroVAD));
    auto load = engine->load();
    co_await load;
    co_return engine;
}

std::unique_ptr<DictationCoordinator> LinuxAppEnvironment::makeCoordinator(std::shared_ptr<TranscriptionEngine> engine)
{
    Services &s = *m_services;
    s.keyBackends = KeyBackends::create(s.platform);
    s.hotkeys = std::make_shared<RoutingHotkeyRegistrar>(*s.keyBackends.chords, *s.keyBackends.fn);
    RoutingHotkeyRegistrar *registrar = s.hotkeys.get();
    s.controlChannel = std::make_unique<ControlChannelService>(
        [registrar](HotkeyID id, HotkeyPhase phase) { return registrar->deliver(id, phase); });
    s.controlChannel->publish();

    std::vector<std::unique_ptr<TextInjecting>> tiers;
#ifdef PARLOWIND_HAVE_ATSPI_X11
    s.focus = std::make_shared<AtspiFocusCapture>();
    std::weak_ptr<AtspiFocusCapture> focus = s.focus;
    tiers.push_back(std::make_unique<AXInjector>([focus]() -> std::shared_ptr<AccessibleTextElement> {
        auto capture = focus.lock();
        return capture ? capture->element() : nullptr;
    }));
    s.clipboard = std::make_unique<X11Clipboard>();
    s.keystrokes = createPasteKeystrokeSender(s.platform);
    PasteInjector::Services paste;
    paste.pasteboard = s.clipboard.get();
    paste.keystrokes = s.keystrokes.get();
    paste.clock = s.clock.get();
    paste.restoreDelay = 0.2;
    paste.secureInputCheck = [focus] {
        auto capture = focus.lock();
        return capture && capture->focusedElementIsPassword();
    };
    paste.frontmostBundleIdentifier = [focus]() -> std::optional<QString> {
        auto capture = focus.lock();
        return capture ? capture->frontmostApplicationId() : std::nullopt;
    };
    tiers.push_back(std::make_unique<PasteInjector>(std::move(paste)));
    tiers.push_back(std::make_unique<ClipboardOnlyInjector>(s.clipboard.get(), [](const QString &reason) {
        log(QStringLiteral("Injection failed — text is on the clipboard, press Ctrl+V: ") + reason);
    }));
#endif
    s.injector = std::make_unique<TieredTextInjector>(std::move(tiers));
    s.delivery = std::make_shared<TranscriptDelivery>(*s.history, *s.injector);

    DictationCoordinator::Collaborators collaborators;
    collaborators.capture = std::make_shared<AudioCapture>(std::make_shared<PulseAudioInput>(), s.levelMeter, 120);
    collaborators.engine = std::move(engine);
    collaborators.hotkeys = s.hotkeys;
    collaborators.clock = s.clock;
#ifdef PARLOWIND_HAVE_ATSPI_X11
    collaborators.focus = s.focus;
#endif
    collaborators.delivery = s.delivery;
    collaborators.cleanup = s.cleanup;
    collaborators.dictionary = s.dictionary;
    collaborators.polisher = s.polisher;
    SettingsStore *settings = &s.settings;
    std::shared_ptr<SoundPlaying> player = BundledSoundPlayer::create(
        BundledSoundPlayer::bundledSoundsDirectory(), [settings] { return float(settings->dictationSoundVolume()); });
    if (player)
        collaborators.sounds
            = std::make_shared<TogglingSoundPlayer>(player, [settings] { return settings->playDictationSounds(); });
    else
        log(QStringLiteral("WARNING: dictation cues missing from the bundle — running silent"));

    return std::make_unique<DictationCoordinator>(
        std::move(collaborators), [] { return QGuiApplication::styleHints()->mouseDoubleClickInterval() / 1000.0; });
}

void LinuxAppEnvironment::watchInterruptions(std::function<void()> onDeviceChanged, std::function<void()> onSleep)
{
    Services &s = *m_services;
    s.deviceMonitor = std::make_unique<PulseAudioDeviceMonitor>();
    QObject::connect(s.deviceMonitor.get(), &PulseAudioDeviceMonitor::inputConfigurationChanged, s.deviceMonitor.get(),
                     [handler = std::move(onDeviceChanged)] { handler(); });
    s.deviceMonitor->start();

    // logind announces sleep on the system bus; without one (containers)
    // there is simply no such interruption.
    QDBusConnection system = QDBusConnection::systemBus();
    if (system.isConnected()) {
        auto *receiver = new SleepReceiver(std::move(onSleep), s.deviceMonitor.get());
        system.connect(QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
                       QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PrepareForSleep"), receiver,
                       SLOT(prepareForSleep(bool)));
    }
}

void LinuxAppEnvironment::relaunch()
{
    // The new instance waits for this one's name on the bus to be free.
    QProcess process;
    process.setProgram(QCoreApplication::applicationFilePath());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("PARLOWIND_RELAUNCHED"), QStringLiteral("1"));
    process.setProcessEnvironment(environment);
    if (!process.startDetached())
        log(QStringLiteral("ERROR: could not start Parlowind again: ") + process.errorString());
    QTimer::singleShot(0, QCoreApplication::instance(), [] { QCoreApplication::quit(); });
}

void LinuxAppEnvironment::releaseServices()
{
    Services &s = *m_services;
    s.deviceMonitor.reset();
    if (s.controlChannel)
        s.controlChannel->unpublish();
    s.controlChannel.reset();
    s.delivery.reset();
    s.injector.reset();
    s.keystrokes.reset();
#ifdef PARLOWIND_HAVE_ATSPI_X11
    s.clipboard.reset();
    s.focus.reset();
#endif
    s.hotkeys.reset();
    s.keyBackends = {};
}

MonotonicClock &LinuxAppEnvironment::clock()
{
    return *m_services->clock;
}

} // namespace parlowind

#include "LinuxAppEnvironment.moc"
