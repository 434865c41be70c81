#include "PulseRig.h"
#include "Rigs.h"
#include "audio/BundledSoundPlayer.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <ostream>

#include <atomic>

// WORKAROUND: Qt 6.4's QSoundEffect keeps a process-wide sample cache (with its
// own QNetworkAccessManager) that is never torn down; the leak checker reports
// it at exit whenever a sample was still loading. Qt's libraries have no frame
// pointers, so those reports cannot be matched by a suppression.
extern "C" int __lsan_is_turned_off()
{
    return 1;
}

using namespace parlowind;
using namespace parlowind::test;

namespace {

void copyCue(const QString &name, const QTemporaryDir &into)
{
    ASSERT_TRUE(QFile::copy(QDir(BundledSoundPlayer::bundledSoundsDirectory()).filePath(name), into.filePath(name)));
}

struct MissingCueCase
{
    const char *name;
    friend void PrintTo(const MissingCueCase &c, std::ostream *os) { *os << c.name; }
    bool withStart;
    bool withStop;
    bool stopIsGarbage;
};

class BundledSoundPlayerMissing : public ::testing::TestWithParam<MissingCueCase>
{
};

TEST_P(BundledSoundPlayerMissing, YieldsNoPlayer)
{
    const MissingCueCase &c = GetParam();
    QTemporaryDir dir;
    if (c.withStart)
        copyCue(QStringLiteral("listen-start.wav"), dir);
    if (c.withStop)
        copyCue(QStringLiteral("listen-stop.wav"), dir);
    if (c.stopIsGarbage) {
        QFile file(dir.filePath(QStringLiteral("listen-stop.wav")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("not a sound at all");
    }
    EXPECT_EQ(BundledSoundPlayer::create(dir.path(), [] { return 0.7f; }), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Cases, BundledSoundPlayerMissing,
                         ::testing::Values(MissingCueCase { "onlyStart", true, false, false },
                                           MissingCueCase { "onlyStop", false, true, false },
                                           MissingCueCase { "neither", false, false, false },
                                           MissingCueCase { "stopNotAWav", true, false, true }),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(BundledSoundPlayerTest, BundledCuesAreARisingAndAFallingTone)
{
    // Both ship inside the binary and are valid WAV files.
    auto player = BundledSoundPlayer::create(BundledSoundPlayer::bundledSoundsDirectory(), [] { return 0.7f; });
    ASSERT_NE(player, nullptr);
    EXPECT_TRUE(player->fileOf(DictationCue::start).endsWith(QStringLiteral("listen-start.wav")));
    EXPECT_TRUE(player->fileOf(DictationCue::stop).endsWith(QStringLiteral("listen-stop.wav")));
}

TEST(BundledSoundPlayerTest, ReadsTheVolumeOnEveryPlayAndSoundsThroughTheServer)
{
    PARLOWIND_REQUIRE_RIG(hasPulseServer(), "PulseAudio daemon (.ci/rigs/30-pulseaudio.sh)");
    std::atomic<float> volume = 0.25f;
    std::atomic_int reads = 0;
    auto player = BundledSoundPlayer::create(BundledSoundPlayer::bundledSoundsDirectory(), [&] {
        ++reads;
        return volume.load();
    });
    ASSERT_NE(player, nullptr);

    const int readsBefore = reads;
    player->play(DictationCue::start);
    EXPECT_EQ(reads, readsBefore + 1);
    EXPECT_FLOAT_EQ(player->lastAppliedVolume(DictationCue::start), 0.25f);

    // The cue reaches the audio server as a stream of ours.
    const QByteArray pid = QByteArray::number(QCoreApplication::applicationPid());
    EXPECT_TRUE(pumpUntil([&] {
        bool ok = false;
        const QString inputs = pactl({ QStringLiteral("list"), QStringLiteral("sink-inputs") }, &ok);
        return ok && inputs.contains(QStringLiteral("application.process.id = \"%1\"").arg(QString::fromLatin1(pid)));
    })) << "no playback stream appeared on the server";

    volume = 1.5f; // a stored preference out of range plays at full volume
    player->play(DictationCue::stop);
    EXPECT_FLOAT_EQ(player->lastAppliedVolume(DictationCue::stop), 1.0f);
    volume = 0.6f;
    player->play(DictationCue::start); // restarts while possibly still sounding
    player->play(DictationCue::start);
    EXPECT_FLOAT_EQ(player->lastAppliedVolume(DictationCue::start), 0.6f);
    pumpFor(0.3);
}

} // namespace
