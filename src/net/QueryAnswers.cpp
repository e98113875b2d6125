// The query reporter's answers: one small function per query key.
#include "net/QueryReporter.h"
#include "net/ValidateCipher.h"

namespace dravo {
namespace {

constexpr const char* ECHO_KEY = "echo";
constexpr const char* VALIDATE_KEY = "validate";
constexpr const char* GAME_NAME_KEY = "gamename";
constexpr const char* GAME_VERSION_KEY = "gamever";
constexpr const char* LOCATION_KEY = "location";
constexpr std::string_view FINAL_KEY = "final";
constexpr std::string_view QUERY_ID_KEY = "queryid";

} // namespace

// Query: \key\key... with the keys below, matched exactly and case-sensitively; other tokens are skipped.
// Every token is looked at, so a value that equals a key acts as that key; "echo" and "secure" take the
// token that follows them as their value. Each part of an answer is given once, whatever the query repeats:
// "\status\status\status" is answered as "\status\", and "\basic\status\" has the basic pairs once. A
// datagram with "final" or "queryid" among its tokens is an answer (perhaps one of ours, sent back by a
// spoofed query) and is never answered.
const QueryReporter::QueryKey QueryReporter::QUERY_KEYS[] = {
    {"echo", &QueryReporter::AnswerEcho},     {"secure", &QueryReporter::AnswerSecure},
    {"basic", &QueryReporter::AnswerBasic},   {"info", &QueryReporter::AnswerInfo},
    {"rules", &QueryReporter::AnswerRules},   {"players", &QueryReporter::AnswerPlayers},
    {"status", &QueryReporter::AnswerStatus},
};

bool QueryReporter::IsAnAnswer(QueryTokenizer& tokens, std::string_view data) {
    tokens.Start(data);
    for (std::string_view token = tokens.Next(); !token.empty(); token = tokens.Next()) {
        if (token == FINAL_KEY || token == QUERY_ID_KEY) {
            return true;
        }
    }
    return false;
}

bool QueryReporter::HandleQuery(std::string_view data, const char* address, int port) {
    if (data.empty() || address == nullptr || address[0] == '\0') {
        return false;
    }
    const uint32_t sender = UdpSocket::ParseAddress(address).value_or(0);
    // No answer to ourselves, and none to an answer: nothing can bounce for ever.
    if (IsOwnSender(sender, port)) {
        m_Counters->Drop(QueryDrop::OwnPort);
        return false;
    }
    if (IsAnAnswer(m_Tokens, data)) {
        m_Counters->Drop(QueryDrop::Answer);
        return false;
    }
    const AnswerRateLimiter::Verdict verdict = m_Limiter.Admit(sender, m_Clock.NowMs());
    m_Counters->m_AddressEntries.store(m_Limiter.TrackedAddresses(), std::memory_order_relaxed);
    if (verdict == AnswerRateLimiter::Verdict::Drop) {
        m_Counters->Drop(m_Limiter.LastDropByBudget() ? QueryDrop::Budget : QueryDrop::Rate);
        return false;
    }
    m_PlayersAllowed = verdict == AnswerRateLimiter::Verdict::Full;
    m_Parts = 0;

    m_Answer.BeginReply(address, port);
    m_Tokens.Start(data);
    for (std::string_view token = m_Tokens.Next(); !token.empty(); token = m_Tokens.Next()) {
        for (const QueryKey& key : QUERY_KEYS) {
            if (key.m_Token == token) {
                (this->*key.m_Answer)();
                break;
            }
        }
    }
    m_Answer.FinishReply();
    const size_t bytes = m_Router.TakeBytes();
    m_AnswerBytes += bytes;
    m_Limiter.Charge(verdict, bytes);
    CountOne(m_Counters->m_QueriesAnswered);
    CountOne(m_Counters->m_AnswerBytes, bytes);
    return true;
}

bool QueryReporter::Claim(AnswerPart part) {
    const bool first = (m_Parts & part) == 0;
    m_Parts |= part;
    return first;
}

// \echo\<text> answers \echo\<text>.
void QueryReporter::AnswerEcho() {
    const std::string_view text = m_Tokens.Next(); // taken as the value even when not answered again
    if (!text.empty() && Claim(PartEcho)) {
        AddKeyValue(ECHO_KEY, text);
    }
}

// \secure\<challenge> answers \validate\<8 characters>: the challenge's first six bytes encrypted with the
// secret key and Base64-encoded.
void QueryReporter::AnswerSecure() {
    const std::string_view challenge = m_Tokens.Next();
    if (!challenge.empty() && Claim(PartSecure)) {
        AddKeyValue(VALIDATE_KEY, ValidateValue(challenge, m_SecretKey).data());
    }
}

// \basic\ answers \gamename\<game>\gamever\<version>\location\<master index>.
void QueryReporter::AnswerBasic() {
    if (!Claim(PartBasic)) {
        return;
    }
    AddKeyValue(GAME_NAME_KEY, m_GameName);
    AddKeyValue(GAME_VERSION_KEY, m_GameVersion);
    AddKeyValue(LOCATION_KEY, m_Location);
}

void QueryReporter::AnswerInfo() {
    if (Claim(PartInfo)) {
        (void)ReportInfo();
    }
}

void QueryReporter::AnswerRules() {
    if (Claim(PartRules)) {
        (void)ReportRules();
    }
}

// Above the global answer budget the player pairs are left out.
void QueryReporter::AnswerPlayers() {
    if (m_PlayersAllowed && Claim(PartPlayers)) {
        (void)ReportPlayers();
    }
}

// \status\ answers basic, info, rules and players, in that order.
void QueryReporter::AnswerStatus() {
    AnswerBasic();
    AnswerInfo();
    AnswerRules();
    AnswerPlayers();
}

} // namespace dravo
