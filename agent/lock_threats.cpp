#include "lock_threats.h"

#include "notification.h"
#include "resource.h"
#include "texts.h"

#include <windows.h>

#include <algorithm>
#include <optional>

namespace {

// "Interactive logon: Machine inactivity limit", in seconds; 0 or none:
// never. Windows then also locks when the screen saver starts or the display
// turns off.
const wchar_t kSystemPolicyKey[] =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System";
const wchar_t kInactivityLimit[] = L"InactivityTimeoutSecs";

// The user's screen saver, and the policy values (Control Panel >
// Personalization) that decide over the user's own where they are set. The
// Control Panel keeps them as text; the timeout is in seconds.
const wchar_t kDesktopKey[] = L"Control Panel\\Desktop";
const wchar_t kDesktopPolicyKey[] =
    L"Software\\Policies\\Microsoft\\Windows\\Control Panel\\Desktop";
const wchar_t kScreenSaverActive[] = L"ScreenSaveActive";
const wchar_t kScreenSaverTimeout[] = L"ScreenSaveTimeOut";
const wchar_t kScreenSaverSecure[] = L"ScreenSaverIsSecure";
const wchar_t kScreenSaverProgram[] = L"SCRNSAVE.EXE";

// "Set time limit for active but idle Remote Desktop Services sessions", in
// milliseconds, for the machine and for the user; the machine's wins where
// both are set, and 0 is no limit.
const wchar_t kRemoteDesktopPolicyKey[] =
    L"SOFTWARE\\Policies\\Microsoft\\Windows NT\\Terminal Services";
const wchar_t kRemoteIdleLimit[] = L"MaxIdleTime";

// Dynamic Lock (Settings > Accounts > Sign-in options), 1 when on. Microsoft
// does not document the place; it is read as a best effort.
const wchar_t kWinlogonKey[] = L"Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
const wchar_t kDynamicLock[] = L"EnableGoodbye";

DWORD const kSecondsPerMinute = 60;
DWORD const kMillisecondsPerMinute = 60 * 1000;
// A DWORD has ten digits; anything longer is not one.
size_t const kNumberTextLength = 16;

// A number stored as a DWORD or as text of decimal digits; nothing where the
// value is missing, of another type, too long or not a number.
std::optional<DWORD> readNumber(HKEY root, const wchar_t* key, const wchar_t* name) {
    wchar_t text[kNumberTextLength] = {};
    DWORD size = sizeof(text);
    DWORD type = REG_NONE;
    if (RegGetValueW(root, key, name, RRF_RT_REG_SZ | RRF_RT_REG_DWORD, &type, text, &size) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    if (type == REG_DWORD) {
        DWORD number = 0;
        CopyMemory(&number, text, sizeof(number));
        return number;
    }
    ULONGLONG number = 0;
    size_t digits = 0;
    for (; text[digits] >= L'0' && text[digits] <= L'9'; ++digits) {
        number = number * 10 + static_cast<ULONGLONG>(text[digits] - L'0');
    }
    if (digits == 0 || text[digits] != L'\0' || number > MAXDWORD) {
        return std::nullopt;
    }
    return static_cast<DWORD>(number);
}

bool hasText(HKEY root, const wchar_t* key, const wchar_t* name) {
    DWORD size = 0;
    return RegGetValueW(root, key, name, RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND,
                        nullptr, nullptr, &size) == ERROR_SUCCESS &&
           size > sizeof(wchar_t);
}

std::optional<DWORD> desktopNumber(const wchar_t* name) {
    std::optional<DWORD> policy = readNumber(HKEY_CURRENT_USER, kDesktopPolicyKey, name);
    return policy ? policy : readNumber(HKEY_CURRENT_USER, kDesktopKey, name);
}

// A screen saver runs only where one is chosen, and locks only where it
// asks for the password on resume.
std::optional<DWORD> lockingScreenSaverSeconds() {
    bool chosen = hasText(HKEY_CURRENT_USER, kDesktopPolicyKey, kScreenSaverProgram) ||
                  hasText(HKEY_CURRENT_USER, kDesktopKey, kScreenSaverProgram);
    std::optional<DWORD> timeout = desktopNumber(kScreenSaverTimeout);
    if (!chosen || desktopNumber(kScreenSaverActive).value_or(0) != 1 ||
        desktopNumber(kScreenSaverSecure).value_or(0) != 1 || timeout.value_or(0) == 0) {
        return std::nullopt;
    }
    return timeout;
}

std::optional<DWORD> remoteIdleLimitMilliseconds() {
    std::optional<DWORD> limit =
        readNumber(HKEY_LOCAL_MACHINE, kRemoteDesktopPolicyKey, kRemoteIdleLimit);
    if (!limit) {
        limit = readNumber(HKEY_CURRENT_USER, kRemoteDesktopPolicyKey, kRemoteIdleLimit);
    }
    if (limit.value_or(0) == 0) {
        return std::nullopt;
    }
    return limit;
}

// Whole minutes, at least one: a limit of seconds is told as a minute.
DWORD wholeMinutes(DWORD amount, DWORD perMinute) {
    return std::max<DWORD>(amount / perMinute, 1);
}

// The text for one minute, or the one with the number of minutes.
std::wstring minutesText(UINT oneMinute, UINT minutes, DWORD count) {
    return count == 1 ? loadText(oneMinute) : formatText(minutes, static_cast<unsigned>(count));
}

void noticeInactivityLimit(bool displayAllowed) {
    DWORD seconds = readNumber(HKEY_LOCAL_MACHINE, kSystemPolicyKey, kInactivityLimit).value_or(0);
    if (seconds != 0) {
        DWORD minutes = wholeMinutes(seconds, kSecondsPerMinute);
        addNotice(NoticeCause::InactivityLock,
                  displayAllowed ? minutesText(IDS_NOTICE_INACTIVITY_LOCK_ONE,
                                               IDS_NOTICE_INACTIVITY_LOCK, minutes)
                                 : minutesText(IDS_NOTICE_INACTIVITY_LOCK_ONE_RULED,
                                               IDS_NOTICE_INACTIVITY_LOCK_RULED, minutes),
                  NoticeLevel::Warning);
    }
}

void noticeLockingScreenSaver(bool displayAllowed) {
    if (std::optional<DWORD> seconds = lockingScreenSaverSeconds()) {
        DWORD minutes = wholeMinutes(*seconds, kSecondsPerMinute);
        addNotice(NoticeCause::ScreenSaverLock,
                  displayAllowed ? minutesText(IDS_NOTICE_SCREEN_SAVER_LOCK_ONE,
                                               IDS_NOTICE_SCREEN_SAVER_LOCK, minutes)
                                 : minutesText(IDS_NOTICE_SCREEN_SAVER_LOCK_ONE_RULED,
                                               IDS_NOTICE_SCREEN_SAVER_LOCK_RULED, minutes),
                  NoticeLevel::Warning);
    }
}

// Input from the remote computer is what the idle limit counts, which
// nothing on this PC can give.
void noticeRemoteIdleLimit() {
    if (GetSystemMetrics(SM_REMOTESESSION) == 0) {
        return;
    }
    if (std::optional<DWORD> limit = remoteIdleLimitMilliseconds()) {
        addNotice(NoticeCause::RemoteIdleLimit,
                  minutesText(IDS_NOTICE_REMOTE_IDLE_ONE, IDS_NOTICE_REMOTE_IDLE,
                              wholeMinutes(*limit, kMillisecondsPerMinute)),
                  NoticeLevel::Warning);
    }
}

} // namespace

void noticeLockThreats(bool displayKeptOn, bool displayAllowed) {
    if (!displayKeptOn) {
        noticeInactivityLimit(displayAllowed);
        noticeLockingScreenSaver(displayAllowed);
    }
    noticeRemoteIdleLimit();
}

void noticeRequestedLockThreats(bool keyPressOn, bool keyPressAllowed) {
    if (readNumber(HKEY_CURRENT_USER, kWinlogonKey, kDynamicLock).value_or(0) == 1) {
        addNotice(NoticeCause::DynamicLock, loadText(IDS_NOTICE_DYNAMIC_LOCK),
                  NoticeLevel::Warning);
    }
    // Chat programs take the time since the last input, which only input
    // resets.
    if (!keyPressOn) {
        addNotice(NoticeCause::ChatAway,
                  loadText(keyPressAllowed ? IDS_NOTICE_CHAT_AWAY : IDS_NOTICE_CHAT_AWAY_RULED),
                  NoticeLevel::Info);
    }
}
