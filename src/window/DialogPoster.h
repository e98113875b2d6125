// DialogPoster: posts work and commands to one dialog from any thread. The work runs on the window
// thread with the dialog's API, up to the end of the dialog's destruction (commands and close requests
// do nothing once it has ended); whatever arrives later is dropped, or handed to its `orphaned` function
// where one is given, so a worker may keep its poster longer than the dialog lives. Copyable; never
// blocks.
#pragma once

#include "window/ControlId.h"
#include "window/DialogProcedure.h"

#include <atomic>
#include <functional>
#include <memory>

namespace dravo {

class DialogApi;
class WindowThreadQueue;

// The link from posted work to its dialog; the window thread clears it when the dialog ends.
struct DialogLink {
    std::atomic<DialogApi*> m_Dialog{nullptr};
};

class DialogPoster {
public:
    DialogPoster() = default; // posts nothing
    DialogPoster(std::shared_ptr<WindowThreadQueue> queue, std::shared_ptr<DialogLink> link);

    // False when the dialog is gone or the window system is; true only says it was queued. `orphaned`
    // runs instead of `work` when the dialog is gone: at once on the calling thread when it was gone
    // before the call, else on the window thread.
    bool Post(std::function<void(DialogApi&)> work, const std::function<void()>& orphaned = {}) const;
    bool PostCommand(ControlId id, Notification code = Notification::Click) const;
    bool PostCloseRequest(bool forced) const;

private:
    std::shared_ptr<WindowThreadQueue> m_Queue;
    std::shared_ptr<DialogLink> m_Link;
};

} // namespace dravo
