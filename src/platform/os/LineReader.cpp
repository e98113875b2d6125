// Cutting the input into lines; the reading itself is each platform's (LineReader_posix.cpp, _win32.cpp).
#include "platform/os/LineReader.h"

#include <utility>

namespace dravo {

void LineSplitter::Deliver() {
    if (!m_Line.empty() && m_Line.back() == '\r') {
        m_Line.pop_back();
    }
    if (m_OnLine) {
        m_OnLine(std::move(m_Line));
    }
    m_Line.clear();
}

void LineSplitter::Feed(std::string_view bytes) {
    for (const char c : bytes) {
        if (c == '\n') {
            if (!m_Overlong) {
                Deliver();
            }
            m_Overlong = false;
        } else if (m_Overlong) {
            continue;
        } else if (m_Line.size() < LineReader::MAX_LINE) {
            m_Line.push_back(c);
        } else {
            m_Overlong = true;
            Deliver(); // the first MAX_LINE characters go on; the rest is dropped
        }
    }
}

void LineSplitter::Finish() {
    if (!m_Line.empty()) {
        Deliver();
    }
}

} // namespace dravo
