// The WinINet session of a request job.
#include "platform/http/WinInetSession.h"

namespace dravo {
namespace {

void CALLBACK OnStatus(HINTERNET, DWORD_PTR context, DWORD status, LPVOID, DWORD) {
    if (context != 0 && (status == INTERNET_STATUS_CONNECTED_TO_SERVER || status == INTERNET_STATUS_REQUEST_SENT)) {
        reinterpret_cast<WinInetContext*>(context)->m_Connected = true;
    }
}

void SetTimeout(HINTERNET session, DWORD option, std::chrono::milliseconds limit) {
    DWORD milliseconds = static_cast<DWORD>(limit.count());
    InternetSetOptionA(session, option, &milliseconds, sizeof milliseconds);
}

} // namespace

HINTERNET OpenWinInetSession(const HttpLimits& limits) {
    HINTERNET session = InternetOpenA(HTTP_USER_AGENT, INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
    if (session == nullptr) {
        return nullptr;
    }
    SetTimeout(session, INTERNET_OPTION_CONNECT_TIMEOUT, limits.m_Connect);
    SetTimeout(session, INTERNET_OPTION_SEND_TIMEOUT, limits.m_Total);
    SetTimeout(session, INTERNET_OPTION_RECEIVE_TIMEOUT, limits.m_Total);
    DWORD retries = 1;
    InternetSetOptionA(session, INTERNET_OPTION_CONNECT_RETRIES, &retries, sizeof retries);
    InternetSetStatusCallbackA(session, &OnStatus);
    return session;
}

void CloseWinInetSession(HINTERNET session) {
    InternetSetStatusCallbackA(session, nullptr);
    InternetCloseHandle(session);
}

} // namespace dravo
