// The query reporter's A2S answers: the challenge, the allowances and budgets every answer draws on, and
// the answers the derived class keeps ready.
#include "net/query/QueryReporter.h"

namespace dravo {

// A datagram in the A2S form, from either port. A request without its challenge (for info, only when the
// challenge is asked for) is answered with the challenge alone, which is never larger than the request;
// a request with a wrong or stale challenge, anything that is no request (an answer, a split header, a
// short or long datagram) gets nothing. A request with its challenge is answered as a GameSpy query is:
// within its address's allowance and the shared budgets; a players request that the budget answers only
// without the players gets nothing. Every A2S answer is charged at least as a GameSpy answer without the
// players, however small it is: a flood sends no more datagrams than the same flood of GameSpy queries.
bool QueryReporter::HandleA2s(std::string_view data, const NetPeer& from, SendHook& route) {
    if (!m_Options.m_A2s) {
        m_Counters->CountA2sDrop(QueryDrop::Answer);
        return false;
    }
    if (from.m_Port == 0 || IsOwnSender(from)) {
        m_Counters->CountA2sDrop(QueryDrop::OwnPort);
        return false;
    }
    const std::optional<a2s::Request> request = a2s::ParseRequest(data);
    if (!request) {
        m_Counters->CountA2sDrop(QueryDrop::Answer);
        return false;
    }
    const uint32_t now = m_Clock.NowMs();
    const bool needsChallenge = request->m_Kind != a2s::RequestKind::Info || m_Options.m_A2sInfoChallenge;
    if (needsChallenge) {
        if (!request->m_Challenge || *request->m_Challenge == a2s::NO_CHALLENGE) {
            return SendA2sChallenge(from, route, now);
        }
        if (!m_A2sChallenge.Check(from.m_Address, *request->m_Challenge, now)) {
            m_Counters->CountA2sDrop(QueryDrop::Answer);
            return false;
        }
    }
    return AnswerA2s(request->m_Kind, from, route, now);
}

// The challenge answer is never larger than the request, but it is an answer all the same: it takes one
// from its address's allowance and from the shared budget as much as an answer without the players, so
// that a flood of requests for challenges sends no more datagrams than the same flood of GameSpy queries
// (most of it dropped for a look-up). The challenge's hash is worked out only for one that goes.
bool QueryReporter::SendA2sChallenge(const NetPeer& from, SendHook& route, uint32_t nowMs) {
    const bool admitted = m_Limiter.AdmitSmall(from.m_Address, nowMs, a2s::CHALLENGE_ANSWER_SIZE);
    m_Counters->SetAddressEntries(m_Limiter.TrackedAddresses());
    if (!admitted) {
        m_Counters->CountA2sDrop(m_Limiter.LastDropByBudget() ? QueryDrop::Budget : QueryDrop::Rate);
        return false;
    }
    A2sPacket challenge(a2s::CHALLENGE_ANSWER);
    challenge.Long(static_cast<int32_t>(m_A2sChallenge.Make(from.m_Address, nowMs)));
    (void)route.SendDatagram(challenge.View().data(), challenge.Length(), from);
    m_Counters->CountA2sAnswer(challenge.Length());
    return true;
}

bool QueryReporter::AnswerA2s(a2s::RequestKind kind, const NetPeer& from, SendHook& route, uint32_t nowMs) {
    // Only the players answer holds the players: info and rules leave the answers with the players (a
    // few a second for everyone, the last of them the browsers') to those who ask for them.
    const AnswerRateLimiter::Verdict verdict =
        m_Limiter.Admit(from.m_Address, nowMs, kind == a2s::RequestKind::Players);
    m_Counters->SetAddressEntries(m_Limiter.TrackedAddresses());
    if (verdict == AnswerRateLimiter::Verdict::Drop ||
        (kind == a2s::RequestKind::Players && verdict != AnswerRateLimiter::Verdict::Full)) {
        const bool byBudget = verdict != AnswerRateLimiter::Verdict::Drop || m_Limiter.LastDropByBudget();
        m_Counters->CountA2sDrop(byBudget ? QueryDrop::Budget : QueryDrop::Rate);
        return false;
    }
    std::string_view answer;
    switch (kind) {
    case a2s::RequestKind::Info:
        answer = A2sInfo();
        break;
    case a2s::RequestKind::Players:
        answer = A2sPlayers(nowMs);
        break;
    case a2s::RequestKind::Rules:
        answer = A2sRules();
        break;
    }
    (void)route.SendDatagram(answer.data(), answer.size(), from);
    m_Limiter.ChargeSmall(verdict, answer.size());
    m_Counters->CountA2sAnswer(answer.size());
    return true;
}

} // namespace dravo
