#include "tray_icon.h"

#include "agent.h"
#include "resource.h"
#include "session_texts.h"
#include "texts.h"

#include <shellapi.h>

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

NOTIFYICONDATAW nid = {sizeof(nid)};
WORD shownIcon = 0;
int trayState = kTrayIdle;
SYSTEMTIME sessionEnd = {};
std::wstring sessionProgram;
int countdownSeconds = 0;
bool lightTaskbar = false;

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
        GetLocalTime(&now);
        return sessionTip(now, sessionEnd, sessionProgram);
    case kTrayCountdown:
        return countdownTip(countdownSeconds);
    default:
        return loadText(IDS_TRAY_TIP);
    }
}

// The icon of the current state at the notification area's size for the
// DPI it is shown at.
void loadCurrentIcon() {
    WORD id = kTrayIcons[trayState][lightTaskbar ? 1 : 0];
    UINT dpi = GetDpiForWindow(agentWindow);
    if (dpi == 0) {
        dpi = USER_DEFAULT_SCREEN_DPI;
    }
    auto icon = static_cast<HICON>(LoadImageW(
        hInst, MAKEINTRESOURCEW(id), IMAGE_ICON, GetSystemMetricsForDpi(SM_CXSMICON, dpi),
        GetSystemMetricsForDpi(SM_CYSMICON, dpi), LR_DEFAULTCOLOR));
    if (nid.hIcon != nullptr) {
        DestroyIcon(nid.hIcon);
    }
    nid.hIcon = icon;
    shownIcon = id;
}

void prepareRecord() {
    nid.hWnd = agentWindow;
    nid.uID = TRAY_ICON_ID;
    nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    nid.uCallbackMessage = WMAPP_NOTIFYCALLBACK;
    // Cut to the record's length, never beyond it.
    lstrcpynW(nid.szTip, currentTip().c_str(), ARRAYSIZE(nid.szTip));
}

void modifyIcon() {
    if (kTrayIcons[trayState][lightTaskbar ? 1 : 0] != shownIcon) {
        loadCurrentIcon();
    }
    prepareRecord();
    Shell_NotifyIconW(NIM_MODIFY, &nid);
}

} // namespace

void addNotificationIcon() {
    lightTaskbar = readLightTaskbar();
    // A new taskbar may come at another DPI.
    loadCurrentIcon();
    prepareRecord();
    Shell_NotifyIconW(NIM_ADD, &nid);
}

void removeNotificationIcon() {
    Shell_NotifyIconW(NIM_DELETE, &nid);
    if (nid.hIcon != nullptr) {
        DestroyIcon(nid.hIcon);
        nid.hIcon = nullptr;
    }
    shownIcon = 0;
    trayState = kTrayIdle;
}

void showTrayIdle() {
    trayState = kTrayIdle;
    modifyIcon();
}

void showTraySession(const SYSTEMTIME& end, const std::wstring& program) {
    trayState = kTraySession;
    sessionEnd = end;
    sessionProgram = program;
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
