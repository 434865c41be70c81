// KeychainStore against the secret service of the session bus
// (.ci/rigs/40-keyring.sh starts GNOME Keyring there).
#include "KeychainStore.h"
#include "support/BlockingWait.h"
#include "Rigs.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QUuid>

#include <gtest/gtest.h>

using namespace parlowind;
using parlowind::waitForTask;

namespace {

bool secretServiceRunning()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    return bus.isConnected() && bus.interface()->isServiceRegistered(QStringLiteral("org.freedesktop.secrets"));
}

class KeychainStoreTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        PARLOWIND_REQUIRE_RIG(parlowind::test::hasSessionBus() && secretServiceRunning(),
                              "a secret service on the session bus (.ci/rigs/40-keyring.sh)");
    }
    void TearDown() override
    {
        if (!IsSkipped()) {
            waitForTask(store.remove(QStringLiteral("anthropic")));
            waitForTask(store.remove(QStringLiteral("openai-compatible")));
        }
    }

    std::optional<QString> read(const QString &account) { return waitForTask(store.read(account)); }
    void save(const QString &value, const QString &account) { waitForTask(store.save(value, account)); }

    // A service of its own, so that runs never see each other's items.
    KeychainStore store { KeychainStore::defaultService() + QStringLiteral(".test-")
                          + QUuid::createUuid().toString(QUuid::WithoutBraces) };
};

TEST_F(KeychainStoreTest, SaveReplaceAndRemove)
{
    const QString account = QStringLiteral("anthropic");
    EXPECT_EQ(read(account), std::nullopt);

    save(QStringLiteral("sk-first"), account);
    EXPECT_EQ(read(account), QStringLiteral("sk-first"));
    save(QStringLiteral("sk-second"), account);
    EXPECT_EQ(read(account), QStringLiteral("sk-second"));

    // An empty value removes the item: reading gives nothing, not "".
    save(QString(), account);
    EXPECT_EQ(read(account), std::nullopt);

    save(QStringLiteral("sk-third"), account);
    waitForTask(store.remove(account));
    EXPECT_EQ(read(account), std::nullopt);
    EXPECT_NO_THROW(waitForTask(store.remove(account))); // already gone is fine
}

TEST_F(KeychainStoreTest, AccountsAndServicesAreSeparate)
{
    save(QStringLiteral("sk-ant"), QStringLiteral("anthropic"));
    save(QStringLiteral("sk-open"), QStringLiteral("openai-compatible"));
    EXPECT_EQ(read(QStringLiteral("anthropic")), QStringLiteral("sk-ant"));
    EXPECT_EQ(read(QStringLiteral("openai-compatible")), QStringLiteral("sk-open"));

    KeychainStore other(store.service() + QStringLiteral(".other"));
    EXPECT_EQ(waitForTask(other.read(QStringLiteral("anthropic"))), std::nullopt);
}

TEST_F(KeychainStoreTest, NonAsciiKeysRoundTrip)
{
    const QString key = QStringLiteral("sk-ключ-🔑-ü");
    save(key, QStringLiteral("anthropic"));
    EXPECT_EQ(read(QStringLiteral("anthropic")), key);
}

} // namespace
