#include "hotkeys/InputEventDecoder.h"

#include <linux/input.h>

#include <gtest/gtest.h>

namespace parlowind {
namespace {

using A = KeyEvent::Action;

QByteArray key(std::uint16_t code, std::int32_t value)
{
    return InputEventDecoder::encode(EV_KEY, code, value);
}
QByteArray syn(std::uint16_t code = SYN_REPORT)
{
    return InputEventDecoder::encode(EV_SYN, code, 0);
}

TEST(InputEventDecoderTest, LayoutMatchesTheKernel)
{
    EXPECT_EQ(InputEventDecoder::eventSize, sizeof(struct input_event));
    struct input_event event
    {
    };
    event.type = EV_KEY;
    event.code = KEY_RIGHTCTRL;
    event.value = 1;
    EXPECT_EQ(InputEventDecoder::encode(EV_KEY, KEY_RIGHTCTRL, 1),
              QByteArray(reinterpret_cast<const char *>(&event), sizeof event));
}

TEST(InputEventDecoderTest, ReadsPressRepeatReleaseAndSkipsOtherTypes)
{
    InputEventDecoder decoder;
    const QByteArray stream = InputEventDecoder::encode(EV_MSC, MSC_SCAN, 0x700e4) + key(KEY_RIGHTCTRL, 1) + syn()
        + key(KEY_RIGHTCTRL, 2) + syn() + key(KEY_RIGHTCTRL, 0) + syn() + InputEventDecoder::encode(EV_LED, 0, 1);
    EXPECT_EQ(
        decoder.feed(stream),
        (std::vector<KeyEvent> { { KEY_RIGHTCTRL, A::down }, { KEY_RIGHTCTRL, A::repeat }, { KEY_RIGHTCTRL, A::up } }));
}

TEST(InputEventDecoderTest, RecordsSplitAcrossReadsAreJoined)
{
    const QByteArray stream = key(KEY_FN, 1) + syn() + key(KEY_FN, 0) + syn();
    for (qsizetype chunk : { 1, 5, 23, 25, 47 }) {
        InputEventDecoder decoder;
        std::vector<KeyEvent> events;
        for (qsizetype at = 0; at < stream.size(); at += chunk) {
            const auto part = decoder.feed(stream.mid(at, chunk));
            events.insert(events.end(), part.begin(), part.end());
        }
        EXPECT_EQ(events, (std::vector<KeyEvent> { { KEY_FN, A::down }, { KEY_FN, A::up } })) << "chunk " << chunk;
    }
}

TEST(InputEventDecoderTest, DroppedEventsResetAndSkipUntilTheNextReport)
{
    InputEventDecoder decoder;
    const QByteArray stream
        = key(KEY_RIGHTCTRL, 1) + syn(SYN_DROPPED) + key(KEY_C, 1) + syn() + key(KEY_RIGHTCTRL, 0) + syn();
    EXPECT_EQ(decoder.feed(stream),
              (std::vector<KeyEvent> { { KEY_RIGHTCTRL, A::down }, { 0, A::reset }, { KEY_RIGHTCTRL, A::up } }));
}

} // namespace
} // namespace parlowind
