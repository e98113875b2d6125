// The query tokenizer.
#include "net/query/QueryTokenizer.h"

#include <algorithm>
#include <cstring>

namespace dravo {
namespace {

bool IsTokenByte(char byte) {
    const auto code = static_cast<unsigned char>(byte);
    return code >= 0x20 && code < 0x80 && byte != '\\';
}

} // namespace

void QueryTokenizer::Start(std::string_view text) {
    text = text.substr(0, std::min(text.size(), text.find('\0')));
    m_Length = std::min(text.size(), MAX_TEXT);
    std::memcpy(m_Buffer, text.data(), m_Length);
    m_Buffer[m_Length] = '\0';
    m_Cursor = 0;
}

std::string_view QueryTokenizer::Next() {
    while (m_Cursor < m_Length && !IsTokenByte(m_Buffer[m_Cursor])) {
        ++m_Cursor;
    }
    const size_t begin = m_Cursor;
    while (m_Cursor < m_Length && IsTokenByte(m_Buffer[m_Cursor])) {
        ++m_Cursor;
    }
    return {m_Buffer + begin, m_Cursor - begin};
}

} // namespace dravo
