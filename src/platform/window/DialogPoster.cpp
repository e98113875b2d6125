// Posting to one dialog from any thread.
#include "platform/window/DialogPoster.h"

#include "platform/window/DialogApi.h"
#include "platform/window/WindowThreadQueue.h"

#include <utility>

namespace dravo {

DialogPoster::DialogPoster(std::shared_ptr<WindowThreadQueue> queue, std::shared_ptr<DialogLink> link)
    : m_Queue(std::move(queue)), m_Link(std::move(link)) {}

bool DialogPoster::Post(std::function<void(DialogApi&)> work) const {
    if (!m_Queue || !m_Link || m_Link->m_Dialog.load() == nullptr || !work) {
        return false;
    }
    // The link is read again on the window thread, where it is cleared: the dialog may end before
    // the work gets there.
    return m_Queue->Post([link = m_Link, work = std::move(work)] {
        DialogApi* dialog = link->m_Dialog.load();
        if (dialog != nullptr && !dialog->Ended()) {
            work(*dialog);
        }
    });
}

bool DialogPoster::PostCommand(ControlId id, Notification code) const {
    return Post([id, code](DialogApi& dialog) { dialog.SendCommand(id, code); });
}

bool DialogPoster::PostCloseRequest(bool forced) const {
    return Post([forced](DialogApi& dialog) { dialog.DeliverCloseRequest(forced); });
}

} // namespace dravo
