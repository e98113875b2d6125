// Posting to one dialog from any thread.
#include "window/DialogPoster.h"

#include "window/DialogApi.h"
#include "window/WindowThreadQueue.h"

#include <utility>

namespace dravo {

DialogPoster::DialogPoster(std::shared_ptr<WindowThreadQueue> queue, std::shared_ptr<DialogLink> link)
    : m_Queue(std::move(queue)), m_Link(std::move(link)) {}

bool DialogPoster::Post(std::function<void(DialogApi&)> work, const std::function<void()>& orphaned) const {
    if (!m_Queue || !m_Link || m_Link->m_Dialog.load() == nullptr || !work) {
        if (orphaned) {
            orphaned();
        }
        return false;
    }
    // The link is read again on the window thread, where it is cleared once the dialog is gone: work
    // that arrives while the dialog ends still runs (a line logged during the shutdown is shown), work
    // that arrives later is orphaned.
    auto task = [link = m_Link, work = std::move(work), orphaned] {
        if (DialogApi* dialog = link->m_Dialog.load()) {
            work(*dialog);
        } else if (orphaned) {
            orphaned();
        }
    };
    if (!m_Queue->Post(std::move(task))) {
        if (orphaned) {
            orphaned();
        }
        return false;
    }
    return true;
}

bool DialogPoster::PostCommand(ControlId id, Notification code) const {
    return Post([id, code](DialogApi& dialog) { dialog.SendCommand(id, code); });
}

bool DialogPoster::PostCloseRequest(bool forced) const {
    return Post([forced](DialogApi& dialog) { dialog.DeliverCloseRequest(forced); });
}

} // namespace dravo
