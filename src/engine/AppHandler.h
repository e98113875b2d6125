// AppHandler: the callback table the front end gives the engine with AttachHandler.
//
// The engine calls these on whichever thread is inside the library at the
// time: normally the worker thread during RunFrame, sometimes the window thread
// during one of its own calls. Every operation returns 0. No exception may
// cross this boundary.
#pragma once

#include <cstdint>

namespace dravo {

class AppHandler {
public:
    // A tagged-field message from the game code ("[GMSG:0][PLRS:2]...").
    virtual int32_t OnGameText(const char* text) = 0;
    // One line of engine console output, to be logged verbatim.
    virtual int32_t OnConsoleLine(const char* text) = 0;
    // The engine ran out of memory; the front end shuts the server down.
    virtual int32_t OnMemoryExhausted() = 0;
    // A datagram on the game port that the engine does not understand.
    virtual int32_t OnForeignDatagram(const void* data, uint32_t length, const uint8_t address[4], uint16_t port) = 0;

protected:
    ~AppHandler() = default;
};

} // namespace dravo
