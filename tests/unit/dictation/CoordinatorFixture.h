#pragma once

#include "FakeClock.h"
#include "LogCapture.h"
#include "cleanup/CleanupPipeline.h"
#include "dictation/DictationCoordinator.h"
#include "fakes/CallLog.h"
#include "fakes/FakeAudioCapture.h"
#include "fakes/FakeDelivery.h"
#include "fakes/FakeFocusCapture.h"
#include "fakes/FakeHotkeyRegistrar.h"
#include "fakes/FakePolisher.h"
#include "fakes/FakePromptProvider.h"
#include "fakes/FakeSoundPlayer.h"
#include "fakes/FakeTranscriptionEngine.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <ostream>
#include <vector>

inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace parlowind {
inline void PrintTo(const DictationState &state, std::ostream *out)
{
    *out << state.debugDescription().toStdString();
}
} // namespace parlowind

namespace parlowind::test {

// A cleanup stage that remembers what it was given and applies `transform`.
class RecordingStage final : public CleanupStage
{
public:
    QString name() const override { return QStringLiteral("recording"); }
    QString apply(const QString &text, const CleanupContext &context) const override
    {
        inputs.append(text);
        contexts.push_back(context);
        return transform(text);
    }

    std::function<QString(const QString &)> transform = [](const QString &text) { return text; };
    mutable QStringList inputs;
    mutable std::vector<CleanupContext> contexts;
};

// A coordinator wired to recording fakes, activated with the default binding.
// Every collaborator writes into one call log, so tests check effects in
// order across them. Times start on a large clock value, as readings since
// boot do.
class CoordinatorTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        focus->setContext(FakeFocusCapture::app(QStringLiteral("Editor"), QStringLiteral("org.example.Editor")));
        polisher->setEnabled(false);
        create(allCollaborators());
    }

    void TearDown() override
    {
        // Leave no task suspended: what is still waiting is finished off and
        // must find itself cancelled.
        if (coordinator)
            coordinator->deactivate();
        const std::size_t delivered = delivery->deliveries().size();
        engine->failAllPending();
        polisher->completeAllPending();
        delivery->completeAllPending();
        clock->advance(3600);
        EXPECT_EQ(delivery->deliveries().size(), delivered) << "delivered after deactivation";
        coordinator.reset();
    }

    DictationCoordinator::Collaborators allCollaborators()
    {
        DictationCoordinator::Collaborators c;
        c.capture = capture;
        c.engine = engine;
        c.hotkeys = hotkeys;
        c.clock = clock;
        c.focus = focus;
        c.delivery = delivery;
        c.cleanup = CleanupPipeline({ stage });
        c.dictionary = dictionary;
        c.polisher = polisher;
        c.sounds = sounds;
        return c;
    }

    void create(DictationCoordinator::Collaborators collaborators)
    {
        if (coordinator)
            coordinator->deactivate();
        coordinator
            = std::make_unique<DictationCoordinator>(std::move(collaborators), [this] { return doubleClickSeconds; });
        coordinator->setOnStateChange([this](const DictationState &state) { states.push_back(state); });
        coordinator->setOnTranscript([this](const QString &text) { transcripts.append(text); });
        coordinator->setOnPolishingChange([this](bool isPolishing) { polishing.push_back(isPolishing); });
        coordinator->activate(HotkeyBinding::defaultDictation());
        calls->clear();
        states.clear();
    }

    void press() { hotkeys->press(HotkeyID::dictation); }
    void release() { hotkeys->release(HotkeyID::dictation); }
    void escape()
    {
        hotkeys->press(HotkeyID::cancel);
        hotkeys->release(HotkeyID::cancel);
    }

    // Holds the key for `seconds` while `samples` are recorded.
    void hold(double seconds, std::size_t samples = 16000)
    {
        press();
        capture->feed(samples);
        clock->advance(seconds);
        release();
    }

    void tap()
    {
        press();
        clock->advance(0.1);
        release();
    }

    // A double tap, then half a tick, so that later steps of whole ticks land
    // between two ticks of the loop.
    void startSession()
    {
        tap();
        clock->advance(0.2);
        tap();
        ASSERT_EQ(coordinator->state(), DictationState::listening(false));
        clock->advance(0.05);
    }

    // Speech at `level` for `seconds` (recorded as samples), then the pause
    // that cuts the phrase.
    void speakPhrase(double seconds, float level = 0.2f)
    {
        speak(seconds, level);
        capture->setInputLevel(0);
        clock->advance(0.8);
    }

    void speak(double seconds, float level = 0.2f)
    {
        capture->setInputLevel(level);
        capture->feed(std::size_t(seconds * 16000));
        clock->advance(seconds);
    }

    const DictationState &state() const { return coordinator->state(); }

    LogCapture logs;
    std::shared_ptr<CallLog> calls = std::make_shared<CallLog>();
    std::shared_ptr<FakeClock> clock = std::make_shared<FakeClock>(86400.0);
    std::shared_ptr<FakeAudioCapture> capture = std::make_shared<FakeAudioCapture>(calls);
    std::shared_ptr<FakeTranscriptionEngine> engine = std::make_shared<FakeTranscriptionEngine>(calls);
    std::shared_ptr<FakeHotkeyRegistrar> hotkeys = std::make_shared<FakeHotkeyRegistrar>(calls);
    std::shared_ptr<FakeFocusCapture> focus = std::make_shared<FakeFocusCapture>(calls);
    std::shared_ptr<FakeDelivery> delivery = std::make_shared<FakeDelivery>(calls);
    std::shared_ptr<FakeSoundPlayer> sounds = std::make_shared<FakeSoundPlayer>(calls);
    std::shared_ptr<FakePolisher> polisher = std::make_shared<FakePolisher>(calls);
    std::shared_ptr<FakePromptProvider> dictionary
        = std::make_shared<FakePromptProvider>(QStringLiteral("Parlowind, Kubernetes"));
    std::shared_ptr<RecordingStage> stage = std::make_shared<RecordingStage>();
    double doubleClickSeconds = 0.5;

    std::vector<DictationState> states;
    QStringList transcripts;
    std::vector<bool> polishing;
    std::unique_ptr<DictationCoordinator> coordinator;
};

inline QStringList list(std::initializer_list<const char *> items)
{
    QStringList result;
    for (const char *item : items)
        result.append(QString::fromUtf8(item));
    return result;
}

} // namespace parlowind::test
