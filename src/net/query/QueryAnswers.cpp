// The query reporter's answers: one small function per query key.
#include "net/query/QueryReporter.h"
#include "net/query/ValidateCipher.h"

namespace dravo {
namespace {

constexpr const char* ECHO_KEY = "echo";
constexpr const char* VALIDATE_KEY = "validate";
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

bool QueryReporter::Answer(std::string_view data, const NetPeer& from, SendHook& route) {
    return a2s::IsA2sDatagram(data) ? HandleA2s(data, from, route) : HandleQuery(data, from, route);
}

bool QueryReporter::HandleQuery(std::string_view data, const NetPeer& from, SendHook& route) {
    if (data.empty() || from.m_Port == 0) {
        return false; // nothing asked, or nowhere to answer
    }
    if (IsOwnSender(from) || IsAnAnswer(m_Tokens, data)) {
        m_Counters->CountDrop(IsOwnSender(from) ? QueryDrop::OwnPort : QueryDrop::Answer);
        return false; // no answer to ourselves, and none to an answer: nothing can bounce for ever
    }
    const AnswerRateLimiter::Verdict verdict = m_Limiter.Admit(from.m_Address, m_Clock.NowMs());
    m_Counters->SetAddressEntries(m_Limiter.TrackedAddresses());
    if (verdict == AnswerRateLimiter::Verdict::Drop) {
        m_Counters->CountDrop(m_Limiter.LastDropByBudget() ? QueryDrop::Budget : QueryDrop::Rate);
        return false;
    }
    m_PlayersAllowed = verdict == AnswerRateLimiter::Verdict::Full;
    m_Parts = 0;

    m_Answer.BeginReply(route, from);
    m_Tokens.Start(data);
    for (std::string_view token = m_Tokens.Next(); !token.empty(); token = m_Tokens.Next()) {
        for (const QueryKey& key : QUERY_KEYS) {
            if (key.m_Token == token) {
                (this->*key.m_Answer)();
                break;
            }
        }
    }
    const size_t bytes = m_Answer.FinishReply();
    m_Limiter.Charge(verdict, bytes);
    m_Counters->CountAnswer(bytes);
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
        m_Answer.AddKeyValue(ECHO_KEY, text);
    }
}

// \secure\<challenge> answers \validate\<8 characters>: the challenge's first six bytes encrypted with the
// secret key and Base64-encoded.
void QueryReporter::AnswerSecure() {
    const std::string_view challenge = m_Tokens.Next();
    if (!challenge.empty() && Claim(PartSecure)) {
        m_Answer.AddKeyValue(VALIDATE_KEY, ValidateValue(challenge, m_SecretKey).data());
    }
}

// \basic\ answers \gamename\<game>\gamever\<version>\location\<master index>.
void QueryReporter::AnswerBasic() {
    if (Claim(PartBasic)) {
        m_Answer.AddPairs(m_Basic);
    }
}

void QueryReporter::AnswerInfo() {
    if (Claim(PartInfo)) {
        m_Answer.AddPairs(ReportInfo());
    }
}

void QueryReporter::AnswerRules() {
    if (Claim(PartRules)) {
        m_Answer.AddPairs(ReportRules());
    }
}

// Above the global answer budget the player pairs are left out.
void QueryReporter::AnswerPlayers() {
    if (m_PlayersAllowed && Claim(PartPlayers)) {
        m_Answer.AddPairs(ReportPlayers());
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
