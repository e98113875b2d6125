// The fleet client's two threads: requests in order of need, and the watch of the game server.
#include "services/fleet/FleetClient.h"

#include "services/fleet/LineSplitter.h"
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
      m_Status(m_Options.m_BaseUrl), m_Backoff(m_Options.m_FirstRetry, m_Options.m_LongestRetry),
      m_Health(static_cast<int>(m_Options.m_HealthPeriod.count())),
      m_OwnClock(m_Options.m_Clock == nullptr ? CreateSystemClock() : nullptr),
      m_Empty(m_Options.m_Clock != nullptr ? *m_Options.m_Clock : *m_OwnClock, m_Options.m_AllocatedEmpty) {
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
        m_FinishBy = Clock::now() + m_Options.m_FinishLimit;
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

void FleetClient::Log(const std::string& line) const {
    if (!line.empty() && m_Hooks.m_Log) {
        m_Hooks.m_Log(line);
    }
}

void FleetClient::WaitUntil(Clock::time_point until) {
    std::unique_lock lock(m_Mutex);
    m_Changed.wait_until(lock, until, [this] { return m_Woken || m_Finishing || m_Stop; });
    m_Woken = false;
}

void FleetClient::RunRequests() {
    for (;;) {
        const Clock::time_point now = Clock::now();
        if (m_Finishing && (m_ShutdownSaid || now >= m_FinishBy)) {
            return;
        }
        const Clock::time_point next = Round(m_Facts.Snapshot(), now);
        if (next > Clock::now()) {
            WaitUntil(m_Finishing ? std::min(next, m_FinishBy) : next);
        }
    }
}

FleetClient::Clock::time_point FleetClient::Round(const SessionSnapshot& facts, Clock::time_point now) {
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
    const Clock::time_point idle = now + m_Options.m_HealthPeriod;
    const Clock::time_point health = m_ReadySaid && !m_ShutdownSaid ? m_NextHealth : idle;
    const std::optional<uint32_t> emptyLeft = m_Empty.Left();
    const Clock::time_point empty = emptyLeft ? now + std::chrono::milliseconds(*emptyLeft) : idle;
    // A level change asked for is looked at again within a second, whether or not the game reports it.
    return std::min({health, idle, empty, m_Seek.IsActive() ? now + std::chrono::seconds(1) : idle});
}

std::optional<SdkCall> FleetClient::NextCall(const SessionSnapshot& facts, Clock::time_point now) {
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
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(m_FinishBy - Clock::now());
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
        m_RetryAt = Clock::now() + m_Backoff.Failed(); // no address yet: asked again later
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
    m_RetryAt = Clock::now() + m_Backoff.Failed();
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
        m_NextHealth = Clock::now();
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
        m_RetryAt = Clock::now(); // a refusal is an answer: no backoff for the next call
        m_Backoff.Succeeded();
    }
}

void FleetClient::RunWatch() {
    Backoff backoff(m_Options.m_FirstRetry, m_Options.m_LongestRetry);
    LineSplitter lines(MAX_WATCH_LINE);
    std::string state;
    // Lines are logged only once hosting has begun (the console window shows them from then on).
    while (!m_Stop && m_Facts.Snapshot().m_Phase == HostingPhase::NotStarted) {
        std::unique_lock lock(m_Mutex);
        m_Changed.wait(lock, [this] { return m_WatchWoken || m_Stop; });
        m_WatchWoken = false;
    }
    while (!m_Stop) {
        lines.Reset();
        bool heard = false;
        const HttpChunkHandler handler = [&](std::string_view piece) {
            lines.Feed(piece, [&](std::string_view line) { OnWatchLine(line, state, heard); });
            return !m_Stop.load();
        };
        (void)HttpStream(m_Options.m_BaseUrl + sdk_path::WATCH, handler, m_Stop, m_Pool,
                         HttpLimits{m_Options.m_Limits.m_Connect, m_Options.m_WatchLimit});
        if (heard) {
            backoff.Succeeded();
        }
        std::unique_lock lock(m_Mutex);
        m_Changed.wait_for(lock, backoff.Failed(), [this] { return m_Stop.load(); });
    }
}

void FleetClient::OnWatchLine(std::string_view line, std::string& state, bool& heard) {
    const std::optional<GameServerView> server = ReadGameServer(line);
    if (!server) {
        return;
    }
    heard = true;
    NoteServerAddress(server);
    if (server->m_State != state) {
        state = server->m_State;
        m_WatchLevel.clear(); // a new allocation asks anew, even for the same level
        Log("Agones SDK: the game server is " + state + ".");
        std::scoped_lock lock(m_Mutex);
        m_Allocated = state == "Allocated";
        m_Woken = true;
        m_Changed.notify_all();
    }
    if (state != "Allocated") {
        return;
    }
    // An allocation of a server that is Allocated already may name another level: that is acted on too.
    const auto level = server->m_Annotations.find(LEVEL_ANNOTATION);
    if (level != server->m_Annotations.end() && !level->second.empty() && level->second != m_WatchLevel) {
        m_WatchLevel = level->second;
        std::scoped_lock lock(m_Mutex);
        m_AskedLevel = level->second;
        m_Woken = true;
        m_Changed.notify_all();
    }
}

} // namespace dravo
