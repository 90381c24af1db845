#include "tray_icon.h"

#include "agent.h"
#include "resource.h"
#include "session_texts.h"
#include "texts.h"

#include <shellapi.h>
#include <shellscalingapi.h>

#include <algorithm>
#include <cwchar>
#include <string>

namespace {

int const kTrayIdle = 0;
int const kTraySession = 1;
int const kTrayCountdown = 2;

// Icon resources by state, for a dark and for a light taskbar.
WORD const kTrayIcons[3][2] = {
    {IDI_SMALL, IDI_TRAY_IDLE_LIGHT},
    {IDI_TRAY_SESSION_DARK, IDI_TRAY_SESSION_LIGHT},
    {IDI_TRAY_COUNTDOWN_DARK, IDI_TRAY_COUNTDOWN_LIGHT},
};

const wchar_t kPersonalizeKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize";

// The product's name, in every language.
const wchar_t kNotificationTitle[] = L"PC-Vigilor";

// A taskbar that is still starting may time out on the first records:
// adding is tried again at this interval, this many times (two minutes).
UINT const kAddRetryIntervalMs = 2000;
int const kAddRetries = 60;
wchar_t const kTaskbarClass[] = L"Shell_TrayWnd";

NOTIFYICONDATAW nid = {sizeof(nid)};
// How many records are on their way to the notification area now.
int recordsUnderWay = 0;
int trayState = kTrayIdle;
SYSTEMTIME sessionEnd = {};
std::wstring sessionProgram;
bool tipUntilStopped = false;
int countdownSeconds = 0;
bool lightTaskbar = false;
bool iconInPlace = false;
int addRetriesLeft = 0;

// Each drawing is decoded once for the DPI the icon is shown at and kept: a
// burst of starts and cancels would otherwise decode an image at each.
struct IconCache {
    UINT dpi = 0;
    HICON icons[3][2] = {};
};
IconCache iconCache;

void destroyCachedIcons() {
    for (auto& byState : iconCache.icons) {
        for (HICON& icon : byState) {
            if (icon != nullptr) {
                DestroyIcon(icon);
                icon = nullptr;
            }
        }
    }
    iconCache.dpi = 0;
}

// Windows' own setting for the taskbar's colours; without it the taskbar is
// dark.
bool readLightTaskbar() {
    DWORD value = 0;
    DWORD size = sizeof(value);
    return RegGetValueW(HKEY_CURRENT_USER, kPersonalizeKey, L"SystemUsesLightTheme",
                        RRF_RT_REG_DWORD, nullptr, &value, &size) == ERROR_SUCCESS &&
           value == 1;
}

std::wstring currentTip() {
    SYSTEMTIME now = {};
    switch (trayState) {
    case kTraySession:
        if (tipUntilStopped) {
            return loadText(IDS_TIP_UNTIL_STOPPED);
        }
        GetLocalTime(&now);
        return sessionTip(now, sessionEnd, sessionProgram);
    case kTrayCountdown:
        return countdownTip(countdownSeconds);
    default:
        return loadText(IDS_TRAY_TIP);
    }
}

UINT dpiOrDefault(UINT dpi) {
    return dpi != 0 ? dpi : USER_DEFAULT_SCREEN_DPI;
}

// The notification area is drawn at the DPI of the monitor that shows the
// taskbar, which need not be the agent window's.
UINT taskbarDpi() {
    HWND taskbar = FindWindowW(kTaskbarClass, nullptr);
    UINT dpiX = 0;
    UINT dpiY = 0;
    if (taskbar != nullptr &&
        SUCCEEDED(GetDpiForMonitor(MonitorFromWindow(taskbar, MONITOR_DEFAULTTOPRIMARY),
                                   MDT_EFFECTIVE_DPI, &dpiX, &dpiY)) &&
        dpiY != 0) {
        return dpiY;
    }
    return dpiOrDefault(GetDpiForWindow(agentWindow));
}

HICON loadIcon(WORD id, UINT dpi) {
    return static_cast<HICON>(LoadImageW(
        hInst, MAKEINTRESOURCEW(id), IMAGE_ICON, GetSystemMetricsForDpi(SM_CXSMICON, dpi),
        GetSystemMetricsForDpi(SM_CYSMICON, dpi), LR_DEFAULTCOLOR));
}

// The icon of the current state at the notification area's size.
HICON currentIcon() {
    if (iconCache.dpi == 0) {
        iconCache.dpi = taskbarDpi();
    }
    int colour = lightTaskbar ? 1 : 0;
    HICON& icon = iconCache.icons[trayState][colour];
    if (icon == nullptr) {
        icon = loadIcon(kTrayIcons[trayState][colour], iconCache.dpi);
    }
    return icon;
}

void prepareRecord() {
    nid.hWnd = agentWindow;
    nid.uID = TRAY_ICON_ID;
    nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    nid.uCallbackMessage = WMAPP_NOTIFYCALLBACK;
    nid.hIcon = currentIcon();
    // Cut to the record's length, never beyond it.
    lstrcpynW(nid.szTip, currentTip().c_str(), ARRAYSIZE(nid.szTip));
}

// Windows hands the record to the taskbar with a message it sends and waits
// for; meanwhile messages sent to the agent are taken in.
bool sendRecord(DWORD message) {
    ++recordsUnderWay;
    bool taken = Shell_NotifyIconW(message, &nid) != FALSE;
    --recordsUnderWay;
    return taken;
}

void modifyIcon() {
    prepareRecord();
    sendRecord(NIM_MODIFY);
}

// A record that timed out may still have added the icon: then only a change
// of it succeeds.
bool putIconInPlace() {
    prepareRecord();
    iconInPlace = sendRecord(NIM_ADD) || sendRecord(NIM_MODIFY);
    return iconInPlace;
}

void stopAddRetries() {
    KillTimer(agentWindow, TRAY_ADD_RETRY_TIMER);
    addRetriesLeft = 0;
}

} // namespace

void addNotificationIcon() {
    lightTaskbar = readLightTaskbar();
    // A new taskbar may come at another DPI.
    UINT dpi = taskbarDpi();
    if (dpi != iconCache.dpi) {
        destroyCachedIcons();
        iconCache.dpi = dpi;
    }
    if (putIconInPlace()) {
        stopAddRetries();
        return;
    }
    addRetriesLeft = kAddRetries;
    SetTimer(agentWindow, TRAY_ADD_RETRY_TIMER, kAddRetryIntervalMs, nullptr);
}

void retryNotificationIcon() {
    if (addRetriesLeft > 0) {
        --addRetriesLeft;
    }
    if (putIconInPlace() || addRetriesLeft == 0) {
        stopAddRetries();
    }
}

bool trayIconInPlace() {
    return iconInPlace;
}

void removeNotificationIcon() {
    stopAddRetries();
    sendRecord(NIM_DELETE);
    iconInPlace = false;
    nid.hIcon = nullptr;
    destroyCachedIcons();
    trayState = kTrayIdle;
}

void showTrayIdle() {
    trayState = kTrayIdle;
    modifyIcon();
}

void showTraySession(const SYSTEMTIME& end, const std::wstring& program, bool untilStopped) {
    trayState = kTraySession;
    sessionEnd = end;
    sessionProgram = program;
    tipUntilStopped = untilStopped;
    modifyIcon();
}

void showTrayCountdown(int seconds) {
    trayState = kTrayCountdown;
    // Below zero Windows is being asked again and again; the tip stays at 0.
    countdownSeconds = std::max(seconds, 0);
    modifyIcon();
}

void refreshTrayTip() {
    if (trayState == kTraySession && currentTip().compare(0, kTipMaxLength, nid.szTip) != 0) {
        modifyIcon();
    }
}

bool showTrayNotification(const std::wstring& text, DWORD infoFlags) {
    if (!iconInPlace) {
        return false;
    }
    prepareRecord();
    nid.uFlags |= NIF_INFO;
    lstrcpynW(nid.szInfoTitle, kNotificationTitle, ARRAYSIZE(nid.szInfoTitle));
    lstrcpynW(nid.szInfo, text.c_str(), ARRAYSIZE(nid.szInfo));
    // Not NIIF_RESPECT_QUIET_TIME: in the first hour after signing in
    // Windows would drop a warning without a trace.
    nid.dwInfoFlags = infoFlags;
    bool shown = sendRecord(NIM_MODIFY);
    // Later changes of the icon or tip must not show it again.
    nid.uFlags &= ~NIF_INFO;
    return shown;
}

bool trayRecordUnderWay() {
    return recordsUnderWay != 0;
}

void onTraySettingChange(LPARAM lParam) {
    auto* area = reinterpret_cast<const wchar_t*>(lParam);
    if (area == nullptr || std::wcscmp(area, L"ImmersiveColorSet") != 0) {
        return;
    }
    bool light = readLightTaskbar();
    if (light != lightTaskbar) {
        lightTaskbar = light;
        modifyIcon();
    }
}
