#include "message_filter.h"

#include "contract.h"

void allowMessagesFromAnyIntegrity(HWND window) {
    // Registered messages keep their number for the whole Windows session.
    // WM_COPYDATA carries the command line's requests.
    const UINT messages[] = {WM_VIGILOR_START,
                             WM_VIGILOR_CANCEL,
                             WM_VIGILOR_RELOAD,
                             WM_VIGILOR_QUERY,
                             RegisterWindowMessageW(L"TaskbarCreated"),
                             WM_COPYDATA};
    for (UINT message : messages) {
        CHANGEFILTERSTRUCT change = {sizeof(change)};
        ChangeWindowMessageFilterEx(window, message, MSGFLT_ALLOW, &change);
    }
}
