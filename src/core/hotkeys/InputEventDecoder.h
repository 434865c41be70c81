#pragma once

#include "LoneKeySource.h"

#include <QByteArray>

#include <cstddef>
#include <vector>

namespace parlowind {

// Reads the byte stream of a Linux input device (a sequence of struct
// input_event) into key events. Reads may split records anywhere; the
// decoder keeps the partial record for the next read.
class InputEventDecoder final
{
public:
    // struct input_event: a struct timeval (two longs), then u16 type,
    // u16 code and s32 value.
    static constexpr std::size_t eventSize = 2 * sizeof(unsigned long) + 8;
    static constexpr std::uint16_t evSyn = 0;
    static constexpr std::uint16_t evKey = 1;
    static constexpr std::uint16_t synReport = 0;
    static constexpr std::uint16_t synDropped = 3;

    std::vector<KeyEvent> feed(const char *data, std::size_t size);
    std::vector<KeyEvent> feed(const QByteArray &bytes) { return feed(bytes.constData(), std::size_t(bytes.size())); }

    // One record in the device's layout, for tests and tools.
    static QByteArray encode(std::uint16_t type, std::uint16_t code, std::int32_t value);

private:
    void decodeOne(const char *record, std::vector<KeyEvent> &out);

    QByteArray m_partial;
    // After SYN_DROPPED the kernel's stream is incomplete until the next
    // SYN_REPORT; what arrives in between is not trustworthy.
    bool m_skipUntilReport = false;
};

} // namespace parlowind
