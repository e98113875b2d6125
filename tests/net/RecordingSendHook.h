// RecordingSendHook: a send hook that keeps every datagram it is given.
#pragma once

#include "net/query/SendHook.h"

#include <string>
#include <vector>

namespace dravo::test {

class RecordingSendHook final : public SendHook {
public:
    struct Sent {
        std::string m_Data;
        std::string m_Address; // dotted
        int m_Port = 0;
    };

    bool SendDatagram(const char* data, size_t length, const NetPeer& to) override {
        char address[ADDRESS_TEXT_SIZE];
        FormatAddress(to.m_Address, address, sizeof address);
        m_Sent.push_back(Sent{std::string(data, length), address, to.m_Port});
        return true;
    }

    std::vector<std::string> Data() const {
        std::vector<std::string> data;
        for (const Sent& sent : m_Sent) {
            data.push_back(sent.m_Data);
        }
        return data;
    }

    std::vector<Sent> m_Sent;
};

} // namespace dravo::test
