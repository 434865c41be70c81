#include "InputEventDecoder.h"

#include <cstring>

namespace parlowind {

namespace {
constexpr std::size_t typeOffset = 2 * sizeof(unsigned long);
}

std::vector<KeyEvent> InputEventDecoder::feed(const char *data, std::size_t size)
{
    std::vector<KeyEvent> out;
    std::size_t offset = 0;
    if (!m_partial.isEmpty()) {
        const std::size_t missing = eventSize - std::size_t(m_partial.size());
        const std::size_t take = std::min(missing, size);
        m_partial.append(data, qsizetype(take));
        offset = take;
        if (std::size_t(m_partial.size()) < eventSize)
            return out;
        decodeOne(m_partial.constData(), out);
        m_partial.clear();
    }
    while (size - offset >= eventSize) {
        decodeOne(data + offset, out);
        offset += eventSize;
    }
    if (offset < size)
        m_partial.append(data + offset, qsizetype(size - offset));
    return out;
}

void InputEventDecoder::decodeOne(const char *record, std::vector<KeyEvent> &out)
{
    std::uint16_t type = 0;
    std::uint16_t code = 0;
    std::int32_t value = 0;
    std::memcpy(&type, record + typeOffset, sizeof type);
    std::memcpy(&code, record + typeOffset + 2, sizeof code);
    std::memcpy(&value, record + typeOffset + 4, sizeof value);

    if (type == evSyn) {
        if (code == synDropped) {
            m_skipUntilReport = true;
            out.push_back({ 0, KeyEvent::Action::reset });
        } else if (code == synReport) {
            m_skipUntilReport = false;
        }
        return;
    }
    if (type != evKey || m_skipUntilReport)
        return;
    switch (value) {
    case 0:
        out.push_back({ code, KeyEvent::Action::up });
        break;
    case 1:
        out.push_back({ code, KeyEvent::Action::down });
        break;
    case 2:
        out.push_back({ code, KeyEvent::Action::repeat });
        break;
    default:
        break;
    }
}

QByteArray InputEventDecoder::encode(std::uint16_t type, std::uint16_t code, std::int32_t value)
{
    QByteArray record(qsizetype(eventSize), '\0');
    std::memcpy(record.data() + typeOffset, &type, sizeof type);
    std::memcpy(record.data() + typeOffset + 2, &code, sizeof code);
    std::memcpy(record.data() + typeOffset + 4, &value, sizeof value);
    return record;
}

} // namespace parlowind
