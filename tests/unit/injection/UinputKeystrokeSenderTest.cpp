#include "UinputKeystrokeSender.h"
#include "PasteKeystrokes.h"
#include "injection/InjectionError.h"

#include <fcntl.h>
#include <linux/input.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <vector>

using namespace parlowind;

namespace {

struct Key
{
    int code;
    int value;
    bool operator==(const Key &) const = default;
};

void PrintTo(const Key &key, std::ostream *out)
{
    *out << key.code << (key.value ? " down" : " up");
}

class Pipe
{
public:
    Pipe()
    {
        if (::pipe2(m_fds, O_CLOEXEC | O_NONBLOCK) != 0)
            m_fds[0] = m_fds[1] = -1;
    }
    ~Pipe()
    {
        for (int fd : m_fds)
            if (fd >= 0)
                ::close(fd);
    }
    int reader() const { return m_fds[0]; }
    int writer() const { return m_fds[1]; }

    // The key events read back; every key event must be followed by a report.
    std::vector<Key> keys()
    {
        std::vector<Key> result;
        input_event event;
        bool reported = true;
        while (::read(reader(), &event, sizeof event) == static_cast<ssize_t>(sizeof event)) {
            if (event.type == EV_KEY) {
                EXPECT_TRUE(reported) << "two key events without a report between them";
                result.push_back({ event.code, event.value });
                reported = false;
            } else if (event.type == EV_SYN && event.code == SYN_REPORT) {
                reported = true;
            }
        }
        EXPECT_TRUE(reported) << "the last key event was never reported";
        return result;
    }

private:
    int m_fds[2];
};

TEST(UinputKeystrokeSenderTest, CtrlVPressesAndReleasesInOrder)
{
    Pipe pipe;
    ASSERT_TRUE(UinputKeystrokeSender::writePasteEvents(pipe.writer(), PasteShortcut::ctrlV));
    EXPECT_EQ(pipe.keys(), (std::vector<Key> { { KEY_LEFTCTRL, 1 }, { KEY_V, 1 }, { KEY_V, 0 }, { KEY_LEFTCTRL, 0 } }));
}

TEST(UinputKeystrokeSenderTest, TerminalShortcutAddsShiftInsideCtrl)
{
    Pipe pipe;
    ASSERT_TRUE(UinputKeystrokeSender::writePasteEvents(pipe.writer(), PasteShortcut::ctrlShiftV));
    EXPECT_EQ(pipe.keys(),
              (std::vector<Key> { { KEY_LEFTCTRL, 1 },
                                  { KEY_LEFTSHIFT, 1 },
                                  { KEY_V, 1 },
                                  { KEY_V, 0 },
                                  { KEY_LEFTSHIFT, 0 },
                                  { KEY_LEFTCTRL, 0 } }));
}

TEST(UinputKeystrokeSenderTest, ReportsAWriteThatDidNotGoThrough)
{
    Pipe pipe;
    // A full pipe refuses the events, as a removed device would.
    std::vector<char> filler(1 << 20, 0);
    while (::write(pipe.writer(), filler.data(), filler.size()) > 0) { }
    EXPECT_FALSE(UinputKeystrokeSender::writePasteEvents(pipe.writer(), PasteShortcut::ctrlV));
}

TEST(UinputKeystrokeSenderTest, WithoutTheDeviceSendingIsDenied)
{
    UinputKeystrokeSender sender("/nonexistent/uinput");
    EXPECT_FALSE(sender.isAvailable());
    try {
        sender.sendPaste(PasteShortcut::ctrlV);
        FAIL() << "sent without a device";
    } catch (const InjectionError &error) {
        EXPECT_EQ(error, InjectionError(InjectionError::Kind::eventPostingDenied));
    }
}

TEST(PasteKeystrokesTest, WithoutAnyBackendThePasteTierIsDeniedInsteadOfFailingSilently)
{
    // Neither an X server nor a writable uinput device.
    PlatformInfo platform;
    platform.session = SessionType::wayland;
    const auto sender = createPasteKeystrokeSender(platform, "/nonexistent/uinput");
    ASSERT_TRUE(sender);
    try {
        sender->sendPaste(PasteShortcut::ctrlV);
        FAIL() << "a paste was reported as sent";
    } catch (const InjectionError &error) {
        EXPECT_EQ(error, InjectionError(InjectionError::Kind::eventPostingDenied));
    }
}

} // namespace
