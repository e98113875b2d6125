// CloseRequests: what a dialog loop does when asked to close (a signal, the empty-server countdown).
//
// Window thread only; other threads raise a request through posted work. Requests
// made before a dialog ran count as one: the dialog is asked once
// (DeliverCloseRequest), and ended with Cancel at the next request if it did not
// close by itself.
#pragma once

#include "window/DialogApi.h"

namespace dravo {

class CloseRequests {
public:
    void Raise() { ++m_Count; }

    // One running dialog's view of the requests.
    class Watch {
    public:
        explicit Watch(const CloseRequests& requests)
            : m_Requests(requests), m_Seen(requests.m_Count > 0 ? requests.m_Count - 1 : 0) {}
        // Acts on a request not seen yet; true when there was one.
        bool Deliver(DialogApi& dialog) {
            if (m_Requests.m_Count <= m_Seen) {
                return false;
            }
            ++m_Seen;
            if (!m_Asked) {
                m_Asked = true;
                dialog.DeliverCloseRequest(true);
            } else {
                dialog.EndDialog(DIALOG_ID_CANCEL); // asked again: the procedure did not close
            }
            return true;
        }

    private:
        const CloseRequests& m_Requests;
        int m_Seen;
        bool m_Asked = false;
    };

private:
    int m_Count = 0;
};

} // namespace dravo
