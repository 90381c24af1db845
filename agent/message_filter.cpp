#include "message_filter.h"

#include "contract.h"

void allowMessagesFromAnyIntegrity(HWND window) {
    // Registered messages keep their number for the whole Windows session.
    const UINT messages[] = {WM_VIGILOR_START, WM_VIGILOR_CANCEL, WM_VIGILOR_RELOAD,
                             WM_VIGILOR_QUERY, RegisterWindowMessageW(L"TaskbarCreated")};
    for (UINT message : messages) {
        CHANGEFILTERSTRUCT change = {sizeof(change)};
        ChangeWindowMessageFilterEx(window, message, MSGFLT_ALLOW, &change);
    }
}
