// `parlowind ptt` against a running instance's control channel, hosted here
// on the rig's private session bus.
#include "ControlChannel.h"
#include "hotkeys/FnHotkeyMonitor.h"
#include "hotkeys/RoutingHotkeyRegistrar.h"

#include "IsolatedHome.h"
#include "Rigs.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace parlowind {
namespace {

using Events = std::vector<std::pair<HotkeyID, HotkeyPhase>>;
constexpr auto P = HotkeyPhase::pressed;
constexpr auto R = HotkeyPhase::released;

struct PttRun
{
    int exitCode = -1;
    QString err;
};

// Runs `parlowind ptt ...` while this process keeps serving the bus.
PttRun ptt(const QString &command)
{
    QProcess process;
    process.start(QStringLiteral(PARLOWIND_BINARY), { QStringLiteral("ptt"), command });
    QElapsedTimer timer;
    timer.start();
    while (process.state() != QProcess::NotRunning && timer.elapsed() < 20000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        process.waitForFinished(10);
    }
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished();
        return { -1, QStringLiteral("timed out") };
    }
    return { process.exitCode(), QString::fromUtf8(process.readAllStandardError()) };
}

// Chords are not the point here; the engine only has to accept them.
class NullChords final : public HotkeyRegistering
{
public:
    void setOnEvent(EventHandler) override { }
    void registerBinding(const HotkeyBinding &, HotkeyID) override { }
    void unregister(HotkeyID) override { }
    void unregisterAll() override { }
};

class NullKeySource final : public LoneKeySource
{
public:
    void start(Handler) override { }
    void stop() override { }
    const char *name() const override { return "none"; }
};

class ControlChannelTest : public test::IsolatedTest
{
protected:
    void SetUp() override
    {
        PARLOWIND_REQUIRE_RIG(test::hasSessionBus(), "D-Bus session bus");
        registrar.setOnEvent([this](HotkeyID id, HotkeyPhase phase) { events.emplace_back(id, phase); });
        service = std::make_unique<ControlChannelService>(
            [this](HotkeyID id, HotkeyPhase phase) { return registrar.deliver(id, phase); });
    }

    NullChords chords;
    FnHotkeyMonitor monitor { std::make_unique<NullKeySource>() };
    RoutingHotkeyRegistrar registrar { chords, monitor };
    std::unique_ptr<ControlChannelService> service;
    Events events;
};

TEST_F(ControlChannelTest, PressAndReleaseReachTheRunningInstance)
{
    ASSERT_TRUE(service->publish());
    registrar.registerBinding(HotkeyBinding::fn(), HotkeyID::dictation);
    registrar.registerBinding(HotkeyBinding::cancel(), HotkeyID::cancel);

    const PttRun press = ptt(QStringLiteral("press"));
    EXPECT_EQ(press.exitCode, 0) << press.err.toStdString();
    EXPECT_EQ(events, (Events { { HotkeyID::dictation, P } }));
    const PttRun release = ptt(QStringLiteral("release"));
    EXPECT_EQ(release.exitCode, 0) << release.err.toStdString();
    EXPECT_EQ(events, (Events { { HotkeyID::dictation, P }, { HotkeyID::dictation, R } }));

    events.clear();
    EXPECT_EQ(ptt(QStringLiteral("toggle")).exitCode, 0);
    EXPECT_EQ(ptt(QStringLiteral("cancel")).exitCode, 0);
    EXPECT_EQ(events, (Events { { HotkeyID::dictation, P }, { HotkeyID::cancel, P }, { HotkeyID::cancel, R } }));
}

TEST_F(ControlChannelTest, DictationTurnedOffIsAOneLineFailure)
{
    ASSERT_TRUE(service->publish());
    const PttRun press = ptt(QStringLiteral("press"));
    EXPECT_EQ(press.exitCode, 1);
    EXPECT_EQ(press.err.count(u'\n'), 1) << press.err.toStdString();
    EXPECT_TRUE(events.empty());
    // The refused press is not waiting for a release: once dictation is on,
    // the next press goes through.
    registrar.registerBinding(HotkeyBinding::fn(), HotkeyID::dictation);
    EXPECT_EQ(ptt(QStringLiteral("press")).exitCode, 0);
    EXPECT_EQ(events, (Events { { HotkeyID::dictation, P } }));
}

TEST_F(ControlChannelTest, NoRunningInstanceIsAOneLineErrorWithNonZeroExit)
{
    const PttRun run = ptt(QStringLiteral("press"));
    EXPECT_EQ(run.exitCode, 3);
    EXPECT_EQ(run.err, QStringLiteral("parlowind: Parlowind is not running\n"));
}

TEST_F(ControlChannelTest, UnknownSubcommandIsAUsageError)
{
    const PttRun run = ptt(QStringLiteral("hold"));
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(run.err.contains(QStringLiteral("press|release|toggle|cancel"))) << run.err.toStdString();
}

TEST_F(ControlChannelTest, SecondInstanceCannotTakeTheName)
{
    ASSERT_TRUE(service->publish());
    QDBusConnection other = QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("other"));
    ControlChannelService second([](HotkeyID, HotkeyPhase) { return true; });
    EXPECT_FALSE(second.publish(other));
    QDBusConnection::disconnectFromBus(QStringLiteral("other"));
}

// The exported interface is the one the repository's XML describes.
TEST_F(ControlChannelTest, ExportedMethodsMatchTheInterfaceFile)
{
    ASSERT_TRUE(service->publish());
    QFile file(QStringLiteral(PARLOWIND_CONTROL_XML));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString xml = QString::fromUtf8(file.readAll());
    QStringList documented;
    const QRegularExpression method(
        QStringLiteral(R"re(<method name="(\w+)">\s*<arg (?:name="\w+" )?type="(\w)" direction="out"/>)re"));
    for (auto match = method.globalMatch(xml); match.hasNext();) {
        const auto m = match.next();
        documented << m.captured(1) + u':' + m.captured(2);
    }
    ASSERT_EQ(documented.size(), 4);

    QDBusMessage call = QDBusMessage::createMethodCall(ControlChannel::serviceName, ControlChannel::objectPath,
                                                       QStringLiteral("org.freedesktop.DBus.Introspectable"),
                                                       QStringLiteral("Introspect"));
    // Introspection of our own name is answered by this thread: ask asynchronously.
    QDBusPendingCall pending = QDBusConnection::sessionBus().asyncCall(call);
    QElapsedTimer timer;
    timer.start();
    while (!pending.isFinished() && timer.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    ASSERT_TRUE(pending.isFinished());
    const QString introspected = pending.reply().arguments().value(0).toString();
    QStringList exported;
    const auto start = introspected.indexOf(ControlChannel::interfaceName);
    ASSERT_GE(start, 0) << introspected.toStdString();
    const QString section
        = introspected.mid(start, introspected.indexOf(QStringLiteral("</interface>"), start) - start);
    for (auto match = method.globalMatch(section); match.hasNext();) {
        const auto m = match.next();
        exported << m.captured(1) + u':' + m.captured(2);
    }
    documented.sort();
    exported.sort();
    EXPECT_EQ(exported, documented) << introspected.toStdString();
}

} // namespace
} // namespace parlowind
