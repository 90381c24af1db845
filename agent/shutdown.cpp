#include "shutdown.h"

#include "agent.h"
#include "popup.h"
#include "resource.h"
#include "session.h"
#include "texts.h"
#include "tray_icon.h"

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
        // With EWX_FORCE Windows ends the agent at once, without a message:
        // what the session changed outside the agent is put right first.
        undoSessionBeforeShutdown();
        ExitWindowsEx(EWX_SHUTDOWN | EWX_FORCE, SHTDN_REASON_FLAG_PLANNED |
                                                    SHTDN_REASON_MAJOR_OPERATINGSYSTEM |
                                                    SHTDN_REASON_MINOR_UPGRADE);
    }
}

} // namespace

std::wstring countdownText(int seconds) {
    return formatText(IDS_COUNTDOWN, seconds);
}

void CALLBACK startShutdownCountdown(HWND window, UINT, UINT_PTR, DWORD) {
    shutdownCountdown = 10;
    showCountdownWnd(countdownText(shutdownCountdown));
    showTrayCountdown(shutdownCountdown);
    SetTimer(window, SESSION_TIMER, 1000, shutdownCountdownTick);
}

void CALLBACK shutdownCountdownTick(HWND, UINT, UINT_PTR, DWORD) {
    --shutdownCountdown;
    msgText = countdownText(shutdownCountdown);
    if (msgHWnd != nullptr) {
        InvalidateRect(msgHWnd, nullptr, TRUE);
    }
    showTrayCountdown(shutdownCountdown);
    if (shutdownCountdown <= 0) {
        requestShutdown();
    }
}
