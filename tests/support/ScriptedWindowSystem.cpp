// The scripted face: dialogs driven by test scripts, answers from queues, everything recorded.
#include "support/ScriptedWindowSystem.h"

#include "window/DialogApi.h"
#include "window/WindowThreadQueue.h"

#include <utility>

namespace dravo {

ScriptedWindowSystem::ScriptedWindowSystem() : m_Queue(std::make_shared<WindowThreadQueue>()) {}

ScriptedWindowSystem::~ScriptedWindowSystem() {
    m_Queue->Close();
}

void ScriptedWindowSystem::AddScript(std::string_view templateKey, Script script) {
    m_Scripts[std::string(templateKey)].push_back(std::move(script));
}

size_t ScriptedWindowSystem::UnusedScripts() const {
    size_t unused = 0;
    for (const auto& [key, scripts] : m_Scripts) {
        unused += scripts.size();
    }
    return unused;
}

std::vector<std::string> ScriptedWindowSystem::UnusedScriptKeys() const {
    std::vector<std::string> keys;
    for (const auto& [key, scripts] : m_Scripts) {
        keys.insert(keys.end(), scripts.size(), key);
    }
    return keys;
}

int ScriptedWindowSystem::RunDialog(const DialogTemplate& dialogTemplate, DialogProcedure& procedure) {
    const std::string key = dialogTemplate.Key();
    const size_t record = m_Dialogs.size();
    m_Dialogs.push_back(DialogRecord{key, UNFINISHED, false});

    Script script;
    if (auto found = m_Scripts.find(key); found != m_Scripts.end() && !found->second.empty()) {
        script = std::move(found->second.front());
        found->second.pop_front();
    }

    DialogApi dialog(dialogTemplate, procedure, *this);
    DialogApi* outer = std::exchange(m_Running, &dialog);
    ScriptedDialog hands(dialog, *m_Queue);
    dialog.Start();
    hands.RunPosted();
    if (script && !dialog.Ended()) {
        script(hands);
        hands.RunPosted();
    }
    const bool finished = dialog.Ended();
    const int result = finished ? dialog.Result() : UNFINISHED;
    dialog.Finish();
    m_Running = outer;
    m_Dialogs[record] = DialogRecord{key, result, finished};
    return result;
}

MessageBoxResult ScriptedWindowSystem::ShowMessageBox(std::string_view text, std::string_view caption,
                                                      MessageBoxButtons buttons, MessageBoxIcon icon,
                                                      MessageBoxDefault defaultButton) {
    MessageBoxRecord shown{std::string(text), std::string(caption), buttons, icon, MessageBoxResult::Ok, true,
                           defaultButton};
    if (!m_Answers.empty()) {
        shown.m_Result = m_Answers.front();
        m_Answers.pop_front();
    } else if (buttons == MessageBoxButtons::YesNo) {
        // Unanswered, the box takes what Enter would: its default button.
        shown.m_Result = defaultButton == MessageBoxDefault::Second ? MessageBoxResult::No : MessageBoxResult::Yes;
        shown.m_Answered = false;
    }
    m_MessageBoxes.push_back(shown);
    return shown.m_Result;
}

void ScriptedWindowSystem::SetWaitCursor(bool busy) {
    if (busy) {
        if (m_WaitCursorDepth++ == 0) {
            ++m_WaitCursorShows;
        }
    } else if (m_WaitCursorDepth > 0) {
        --m_WaitCursorDepth;
    }
}

void ScriptedWindowSystem::RequestClose() {
    ++m_CloseRequests;
    m_Queue->Post([this] {
        if (m_Running != nullptr) {
            m_Running->DeliverCloseRequest(true);
        }
    });
}

void ScriptedWindowSystem::Post(std::function<void()> work) {
    m_Queue->Post(std::move(work));
}

std::optional<ColorRgb> ScriptedWindowSystem::ChooseColor(ColorRgb initial) {
    ++m_ColorPickerShows;
    m_LastColorStart = initial;
    if (m_Colors.empty()) {
        return std::nullopt;
    }
    const std::optional<ColorRgb> picked = m_Colors.front();
    m_Colors.pop_front();
    return picked;
}

size_t ScriptedWindowSystem::RunPending() {
    constexpr int MAX_ROUNDS = 10000; // work that keeps posting itself must not hang a test
    size_t total = 0;
    for (int round = 0; round < MAX_ROUNDS; ++round) {
        const size_t ran = m_Queue->RunPending();
        if (ran == 0) {
            break;
        }
        total += ran;
    }
    return total;
}

bool ScriptedWindowSystem::RunPendingUntil(const std::function<bool()>& done, std::chrono::milliseconds bound) {
    const auto deadline = WindowThreadQueue::Clock::now() + bound;
    while (true) {
        m_Queue->RunPending();
        if (done()) {
            return true;
        }
        if (!m_Queue->WaitForWork(deadline)) {
            m_Queue->RunPending();
            return done();
        }
    }
}

void ScriptedWindowSystem::ShowLateLogLine(std::string_view line) {
    std::scoped_lock lock(m_NotesMutex);
    m_LateLogLines.emplace_back(line);
}

void ScriptedWindowSystem::ShowNote(std::string_view note) {
    std::scoped_lock lock(m_NotesMutex);
    m_Notes.emplace_back(note);
}

std::vector<std::string> ScriptedWindowSystem::LateLogLines() const {
    std::scoped_lock lock(m_NotesMutex);
    return m_LateLogLines;
}

std::vector<std::string> ScriptedWindowSystem::Notes() const {
    std::scoped_lock lock(m_NotesMutex);
    return m_Notes;
}

} // namespace dravo
