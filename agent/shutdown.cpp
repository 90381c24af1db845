#include "shutdown.h"

#include "agent.h"
#include "popup.h"

int shutdownCountdown = 0;

namespace {

// Asks for the shutdown privilege and, once granted, for the shutdown itself.
// A refusal is not reported: the next tick asks again.
void requestShutdown() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) {
        return;
    }
    TOKEN_PRIVILEGES privileges = {};
    LookupPrivilegeValueW(nullptr, SE_SHUTDOWN_NAME, &privileges.Privileges[0].Luid);
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr);
    bool granted = GetLastError() == ERROR_SUCCESS;
    CloseHandle(token);
    if (granted) {
        ExitWindowsEx(EWX_SHUTDOWN | EWX_FORCE, SHTDN_REASON_FLAG_PLANNED |
                                                    SHTDN_REASON_MAJOR_OPERATINGSYSTEM |
                                                    SHTDN_REASON_MINOR_UPGRADE);
    }
}

} // namespace

std::wstring countdownText(int seconds) {
    // wsprintfW lives in user32; std::to_wstring would link the C runtime's
    // whole printf family into the agent.
    wchar_t text[64] = {};
    wsprintfW(text, L" Shut down in %d seconds. ", seconds);
    return text;
}

void CALLBACK startShutdownCountdown(HWND window, UINT, UINT_PTR, DWORD) {
    shutdownCountdown = 10;
    showCountdownWnd(countdownText(shutdownCountdown));
    SetTimer(window, SESSION_TIMER, 1000, shutdownCountdownTick);
}

void CALLBACK shutdownCountdownTick(HWND, UINT, UINT_PTR, DWORD) {
    --shutdownCountdown;
    msgText = countdownText(shutdownCountdown);
    if (msgHWnd != nullptr) {
        InvalidateRect(msgHWnd, nullptr, TRUE);
    }
    if (shutdownCountdown <= 0) {
        requestShutdown();
    }
}
