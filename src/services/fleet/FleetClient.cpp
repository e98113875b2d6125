// The fleet client's request thread: requests in order of need (the watch is in FleetWatch.cpp).
#include "services/fleet/FleetClient.h"

#include "services/fleet/SdkMessages.h"

#include <algorithm>
#include <utility>

namespace dravo {
namespace {

bool IsSuccess(int status) {
    return status >= 200 && status < 300;
}

bool IsLoopbackAddress(std::string_view address) {
    return address.rfind("127.", 0) == 0 || address == "::1" || address == "localhost";
}

} // namespace

FleetClient::FleetClient(SessionFacts& facts, BlockingPool& pool, FleetOptions options, FleetHooks hooks)
    : m_Facts(facts), m_Pool(pool), m_Options(std::move(options)), m_Hooks(std::move(hooks)),
      m_OwnClock(m_Options.m_Clock == nullptr ? CreateSystemClock() : nullptr),
      m_Clock(m_Options.m_Clock != nullptr ? *m_Options.m_Clock : *m_OwnClock), m_Status(m_Options.m_BaseUrl),
      m_Backoff(m_Options.m_FirstRetry, m_Options.m_LongestRetry),
      m_Health(static_cast<int>(m_Options.m_HealthPeriod.count())), m_Empty(m_Clock, m_Options.m_AllocatedEmpty) {
    m_ListenerId = m_Facts.AddListener([this] {
        std::scoped_lock lock(m_Mutex);
        m_Woken = true;
        m_WatchWoken = true;
        m_Changed.notify_all();
    });
    m_Requests = std::thread([this] { RunRequests(); });
    m_Watch = std::thread([this] { RunWatch(); });
}

FleetClient::~FleetClient() {
    Finish();
}

void FleetClient::Finish() {
    if (!m_Requests.joinable() && !m_Watch.joinable()) {
        return;
    }
    {
        std::scoped_lock lock(m_Mutex);
        m_FinishBy = Steady::now() + m_Options.m_FinishLimit;
        m_Finishing = true;
        m_Changed.notify_all();
    }
    if (m_Requests.joinable()) {
        m_Requests.join();
    }
    {
        std::scoped_lock lock(m_Mutex);
        m_Stop = true;
        m_Changed.notify_all();
    }
    if (m_Watch.joinable()) {
        m_Watch.join();
    }
    m_Facts.RemoveListener(m_ListenerId);
}

void FleetClient::Wake() {
    std::scoped_lock lock(m_Mutex);
    m_Woken = true;
    ++m_Wakes;
    m_Changed.notify_all();
}

void FleetClient::Log(const std::string& line) const {
    if (!line.empty() && m_Hooks.m_Log) {
        m_Hooks.m_Log(line);
    }
}

// The wait is counted on the program's clock, and waited in real time: a clock moved by hand is seen at the
// next Wake, one that moves by itself when the wait ends. While finishing, the finish limit bounds it too.
void FleetClient::WaitUntil(Time until) {
    const auto left = std::max(Time(0), until - m_Elapsed.Now());
    std::unique_lock lock(m_Mutex);
    if (m_Finishing) {
        const auto finishLeft = std::chrono::ceil<Time>(m_FinishBy - Steady::now());
        m_Changed.wait_for(lock, std::clamp(finishLeft, Time(0), left), [this] { return m_Woken || m_Stop; });
    } else {
        m_Changed.wait_for(lock, left, [this] { return m_Woken || m_Finishing || m_Stop; });
    }
    m_Woken = false;
}

void FleetClient::RunRequests() {
    for (;;) {
        if (m_Finishing && (m_ShutdownSaid || Steady::now() >= m_FinishBy)) {
            return;
        }
        const uint32_t clockMs = m_Clock.NowMs();
        const Time now = m_Elapsed.At(clockMs);
        const Time next = Round(m_Facts.Snapshot(), now);
        if (next > m_Elapsed.Now()) {
            if (m_Hooks.m_Waiting) {
                m_Hooks.m_Waiting(clockMs);
            }
            WaitUntil(next);
        }
    }
}

FleetClient::Time FleetClient::Round(const SessionSnapshot& facts, Time now) {
    if (now < m_RetryAt) {
        return m_RetryAt;
    }
    if (std::optional<SdkCall> call = NextCall(facts, now)) {
        bool refused = false;
        const bool done = Call(*call, refused);
        Noted(*call, done, refused);
        return done || refused ? now : m_RetryAt;
    }
    std::string line;
    if (facts.m_Phase == HostingPhase::Running && m_Seek.Step(facts, now, line) && m_Hooks.m_NextLevel) {
        m_Hooks.m_NextLevel();
    }
    Log(line);
    const Time idle = now + m_Options.m_HealthPeriod;
    const Time health = m_ReadySaid && !m_ShutdownSaid ? m_NextHealth : idle;
    const std::optional<uint32_t> emptyLeft = m_Empty.Left();
    const Time empty = emptyLeft ? now + Time(*emptyLeft) : idle;
    // A level change asked for is looked at again within a second, whether or not the game reports it.
    return std::min({health, idle, empty, m_Seek.IsActive() ? now + std::chrono::seconds(1) : idle});
}

std::optional<SdkCall> FleetClient::NextCall(const SessionSnapshot& facts, Time now) {
    const bool ended = facts.m_Phase == HostingPhase::Ended || m_Finishing;
    if (ended) {
        return m_ShutdownSaid ? std::nullopt : std::optional<SdkCall>(SdkCall{"POST", sdk_path::SHUTDOWN, EmptyBody()});
    }
    if (facts.m_Phase != HostingPhase::Running) {
        return std::nullopt;
    }
    if (!m_ReadySaid) {
        if (IsReachable(facts)) {
            return SdkCall{"POST", sdk_path::READY, EmptyBody()};
        }
        // On loopback, the game server's address decides; the watch may be late with it.
        return m_UnreachableTold ? std::nullopt : std::optional<SdkCall>(SdkCall{"GET", sdk_path::GAME_SERVER, ""});
    }
    if (now >= m_NextHealth) {
        m_NextHealth = now + m_Options.m_HealthPeriod;
        const HealthGate::Check check = m_Health.Checked(m_Facts.Steps());
        Log(check.m_Line);
        if (check.m_Ping) {
            return SdkCall{"POST", sdk_path::HEALTH, EmptyBody()};
        }
    }
    if (std::optional<SdkCall> label = NextLabel(facts)) {
        return label;
    }
    m_Players.Want(facts.m_Players, facts.m_Game.m_MaxPlayers);
    if (std::optional<SdkCall> players = m_Players.Next()) {
        return players;
    }
    if (std::optional<SdkCall> again = CheckAllocatedEmpty(facts)) {
        return again;
    }
    std::optional<std::string> asked;
    {
        std::scoped_lock lock(m_Mutex);
        asked.swap(m_AskedLevel);
    }
    if (asked) {
        Log(m_Seek.Start(*asked, facts));
    }
    return std::nullopt;
}

// A game hosted on loopback only is out of the players' reach, unless the game server's own address is a
// loopback one too (a fleet on one machine). Ready waits for that address when the game is on loopback,
// and is withheld when it is another: a server that never says Ready gets no players, and its health
// stays unreported, so the fleet replaces it and the reason is in its log.
bool FleetClient::IsReachable(const SessionSnapshot& facts) {
    if (!IsLoopbackAddress(facts.m_Game.m_HostAddress)) {
        return true;
    }
    std::optional<std::string> address;
    {
        std::scoped_lock lock(m_Mutex);
        address = m_ServerAddress;
    }
    if (!address || IsLoopbackAddress(*address)) {
        return address.has_value();
    }
    if (!m_UnreachableTold) {
        m_UnreachableTold = true;
        Log("Agones SDK: the game is hosted on " + facts.m_Game.m_HostAddress +
            " only, which players cannot reach at the game server's address " + *address +
            "; Ready is withheld. Set net_bindaddress to \"\" (every address) and start again.");
    }
    return false;
}

void FleetClient::NoteServerAddress(const std::optional<GameServerView>& server) {
    if (server) {
        for (const std::string& line : m_PortNotes.Note(*server)) {
            Log(line);
        }
    }
    if (server && !server->m_Address.empty()) {
        std::scoped_lock lock(m_Mutex);
        if (m_ServerAddress != server->m_Address) {
            m_ServerAddress = server->m_Address;
            m_Woken = true;
            m_Changed.notify_all();
        }
    }
}

std::optional<SdkCall> FleetClient::CheckAllocatedEmpty(const SessionSnapshot& facts) {
    bool allocated = false;
    {
        std::scoped_lock lock(m_Mutex);
        allocated = m_Allocated;
    }
    if (m_Empty.Due(allocated && !m_ReadyAgain, facts.m_Players.empty())) {
        Log(m_Empty.Line());
        if (m_Empty.Options().m_Action == EmptyAction::Ready) {
            m_ReadyAgain = true;
        } else if (m_Hooks.m_Shutdown) {
            m_Hooks.m_Shutdown();
        }
    }
    return m_ReadyAgain ? std::optional<SdkCall>(SdkCall{"POST", sdk_path::READY, EmptyBody()}) : std::nullopt;
}

std::optional<SdkCall> FleetClient::NextLabel(const SessionSnapshot& facts) {
    m_LevelLabel.m_Sending.reset();
    m_TypeLabel.m_Sending.reset();
    for (auto* label : {&m_LevelLabel, &m_TypeLabel}) {
        const bool isLevel = label == &m_LevelLabel;
        std::string value = LabelValue(isLevel ? facts.m_Level : facts.m_Game.m_GameType);
        if (label->m_Held != value) {
            label->m_Sending = std::move(value);
            return SdkCall{"PUT", sdk_path::LABEL,
                           KeyValueBody(isLevel ? LEVEL_LABEL : GAME_TYPE_LABEL, *label->m_Sending)};
        }
    }
    return std::nullopt;
}

bool FleetClient::Call(const SdkCall& call, bool& refused) {
    HttpCall request;
    request.m_Method = call.m_Method;
    request.m_Url = m_Options.m_BaseUrl + call.m_Path;
    request.m_Body = call.m_Body;
    HttpLimits limits = m_Options.m_Limits;
    if (m_Finishing) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(m_FinishBy - Steady::now());
        limits.m_Total = std::clamp(left, std::chrono::milliseconds(1), limits.m_Total);
        limits.m_Connect = std::min(limits.m_Connect, limits.m_Total);
    }
    const HttpAnswer answer = HttpRequest(request, m_Stop, m_Pool, limits);
    refused = false;
    if (answer.m_Answered && IsSuccess(answer.m_Status)) {
        Log(m_Status.Answered());
        m_Backoff.Succeeded();
        if (call.m_Path != sdk_path::GAME_SERVER) {
            return true;
        }
        const std::optional<GameServerView> server = ReadGameServer(answer.m_Body);
        NoteServerAddress(server);
        if (server && !server->m_Address.empty()) {
            return true;
        }
        m_RetryAt = m_Elapsed.Now() + m_Backoff.Failed(); // no address yet: asked again later
        return false;
    }
    if (!answer.m_Answered) {
        Log(m_Status.NoAnswer());
    } else if (IsFinalRefusal(call, answer.m_Status)) {
        refused = true; // the sidecar works and says no to this call
        Log(m_Status.Answered());
        TellRefusal(call, answer);
    } else {
        Log(m_Status.Refused(call.Name(), answer.m_Status));
    }
    m_RetryAt = m_Elapsed.Now() + m_Backoff.Failed();
    return false;
}

bool FleetClient::IsFinalRefusal(const SdkCall& call, int status) {
    // The sidecar's own trouble (5xx, whatever the body says) passes; a 4xx is its last word on a call,
    // except on the calls the fleet cannot do without.
    const bool vital = call.m_Path == sdk_path::READY || call.m_Path == sdk_path::HEALTH ||
                       call.m_Path == sdk_path::SHUTDOWN || call.m_Path == sdk_path::GAME_SERVER;
    return status >= 400 && status < 500 && !vital;
}

void FleetClient::TellRefusal(const SdkCall& call, const HttpAnswer& answer) {
    // Players' calls settle the way players are reported (PlayerReport says it); other refusals are told
    // once per call.
    if (call.m_Path.rfind(sdk_path::LISTS, 0) == 0 || call.m_Path.rfind("/alpha/", 0) == 0 ||
        !m_RefusalsTold.insert(call.Name()).second) {
        return;
    }
    const std::string body = answer.m_Body.substr(0, 200);
    Log("Agones SDK: the sidecar refused " + call.Name() + " (HTTP " + std::to_string(answer.m_Status) + ")" +
        (body.empty() ? std::string() : ": " + body) + "; not asked again.");
}

void FleetClient::Noted(const SdkCall& call, bool done, bool refused) {
    if (!done && !refused) {
        return; // tried again after the backoff
    }
    if (call.m_Path == sdk_path::SHUTDOWN) {
        m_ShutdownSaid = true;
        Log(done ? "Agones SDK: Shutdown said." : std::string());
    } else if (call.m_Path == sdk_path::READY) {
        if (std::exchange(m_ReadyAgain, false)) {
            std::scoped_lock lock(m_Mutex);
            m_Allocated = false; // until the watch sees the next allocation
        }
        m_ReadySaid = true;
        m_NextHealth = m_Elapsed.Now();
        Log(done ? "Agones SDK: Ready said." : std::string());
    } else if (call.m_Path == sdk_path::LABEL) {
        for (auto* label : {&m_LevelLabel, &m_TypeLabel}) {
            if (label->m_Sending) {
                label->m_Held = std::exchange(label->m_Sending, std::nullopt);
            }
        }
    } else if (call.m_Path != sdk_path::HEALTH && call.m_Path != sdk_path::GAME_SERVER) {
        Log(m_Players.Answered(call, done));
    }
    if (refused) {
        m_RetryAt = m_Elapsed.Now(); // a refusal is an answer: no backoff for the next call
        m_Backoff.Succeeded();
    }
}

} // namespace dravo
