#include "shutdown.h"

#include "agent.h"
#include "notification.h"
#include "popup.h"
#include "resource.h"
#include "session.h"
#include "texts.h"
#include "tray_icon.h"

int shutdownCountdown = 0;

namespace {

// Powers the PC off where it can, and lets every program that has a user's
// unsaved work ask first; only a program that does not answer is closed.
UINT const kShutdownFlags = EWX_POWEROFF | EWX_FORCEIFHUNG;
// Filed in the System log as "Other (Planned)".
DWORD const kShutdownReason =
    SHTDN_REASON_MAJOR_OTHER | SHTDN_REASON_MINOR_OTHER | SHTDN_REASON_FLAG_PLANNED;

// Windows took our request; until it ends the agent it may still call the
// shutdown off (a program held it up and the user cancelled).
bool shutdownRequested = false;

void tellNotShutDown(DWORD error) {
    std::wstring text = error == ERROR_SUCCESS
                            ? loadText(IDS_NOTICE_NOT_SHUT_DOWN)
                            : formatText(IDS_NOTICE_NOT_SHUT_DOWN_REASON, {systemErrorText(error)});
    notifyOnce(NoticeCause::ShutdownFailed, text, NoticeLevel::Warning);
}

// ERROR_SUCCESS once the agent holds the shutdown privilege. A user account
// without it gets ERROR_NOT_ALL_ASSIGNED from a call that succeeds; a call
// that fails leaves its own code.
DWORD enableShutdownPrivilege() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) {
        return GetLastError();
    }
    TOKEN_PRIVILEGES privileges = {};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    bool adjusted =
        LookupPrivilegeValueW(nullptr, SE_SHUTDOWN_NAME, &privileges.Privileges[0].Luid) &&
        AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr);
    DWORD result = GetLastError();
    CloseHandle(token);
    return adjusted || result != ERROR_SUCCESS ? result : ERROR_ACCESS_DENIED;
}

void requestShutdown() {
    DWORD error = enableShutdownPrivilege();
    shutdownRequested = error == ERROR_SUCCESS && ExitWindowsEx(kShutdownFlags, kShutdownReason);
    if (!shutdownRequested) {
        tellNotShutDown(error == ERROR_SUCCESS ? GetLastError() : error);
    }
}

} // namespace

std::wstring countdownText(int seconds) {
    return formatText(IDS_COUNTDOWN, seconds);
}

void CALLBACK startShutdownCountdown(HWND window, UINT, UINT_PTR, DWORD) {
    shutdownCountdown = 10;
    shutdownRequested = false;
    showCountdownWnd(countdownText(shutdownCountdown));
    showTrayCountdown(shutdownCountdown);
    SetTimer(window, SESSION_TIMER, 1000, shutdownCountdownTick);
}

void CALLBACK shutdownCountdownTick(HWND, UINT, UINT_PTR, DWORD) {
    --shutdownCountdown;
    if (shutdownCountdown > 0) {
        setPopupText(countdownText(shutdownCountdown));
        showTrayCountdown(shutdownCountdown);
        return;
    }
    // Programs that ask their users to save can hold the shutdown up for
    // minutes, or the user calls it off: the session is over either way, and
    // the end steps stop this countdown.
    endVigilorSession();
    if (msgHWnd != nullptr) {
        closeMsgWnd();
    }
    requestShutdown();
}

void shutdownCalledOff() {
    if (shutdownRequested) {
        shutdownRequested = false;
        tellNotShutDown(ERROR_SUCCESS);
    }
}
