// A2sReader: reads the fields of an A2S answer (a copy of it) in order, as a client does; a read past the end turns
// Ok() false and yields zeros.
#pragma once

#include <bit>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

namespace dravo::test {

class A2sReader {
public:
    explicit A2sReader(std::string_view data) : m_Data(data) {}

    bool Ok() const { return m_Ok; }
    bool AtEnd() const { return m_At == m_Data.size(); }
    uint8_t Byte() { return static_cast<uint8_t>(Number(1)); }
    uint16_t Short() { return static_cast<uint16_t>(Number(2)); }
    int32_t Long() { return static_cast<int32_t>(Number(4)); }
    float Float() { return std::bit_cast<float>(static_cast<uint32_t>(Number(4))); }
    std::string Text() {
        const size_t end = m_Data.find('\0', m_At);
        if (end == std::string_view::npos) {
            m_Ok = false;
            m_At = m_Data.size();
            return {};
        }
        std::string text = m_Data.substr(m_At, end - m_At);
        m_At = end + 1;
        return text;
    }
    // The four FF bytes and the kind byte.
    uint8_t Header() {
        for (int i = 0; i < 4; ++i) {
            m_Ok = Byte() == 0xFF && m_Ok;
        }
        return Byte();
    }

private:
    uint64_t Number(size_t bytes) {
        if (m_At + bytes > m_Data.size()) {
            m_Ok = false;
            m_At = m_Data.size();
            return 0;
        }
        uint64_t value = 0;
        for (size_t i = 0; i < bytes; ++i) {
            value |= uint64_t{static_cast<uint8_t>(m_Data[m_At + i])} << (8 * i);
        }
        m_At += bytes;
        return value;
    }

    std::string m_Data; // its own copy: answers are often temporaries
    size_t m_At = 0;
    bool m_Ok = true;
};

// A request as clients send it: the header, the kind, the payload and, unless absent, the challenge.
inline std::string A2sRequest(char kind, std::string_view payload, const uint32_t* challenge) {
    std::string request("\xFF\xFF\xFF\xFF", 4);
    request += kind;
    request += payload;
    if (challenge != nullptr) {
        for (int i = 0; i < 4; ++i) {
            request += static_cast<char>(*challenge >> (8 * i));
        }
    }
    return request;
}

} // namespace dravo::test
