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

// The drawings of each state: for a dark and for a light taskbar, and for a
// high contrast theme with a dark or a light window colour.
int const kDrawingDark = 0;
int const kDrawingLight = 1;
int const kDrawingHighContrastWhite = 2;
int const kDrawingHighContrastBlack = 3;
int const kDrawingCount = 4;

// Icon resources by state and drawing.
WORD const kTrayIcons[3][kDrawingCount] = {
    {IDI_SMALL, IDI_TRAY_IDLE_LIGHT, IDI_TRAY_IDLE_HC_WHITE, IDI_TRAY_IDLE_HC_BLACK},
    {IDI_TRAY_SESSION_DARK, IDI_TRAY_SESSION_LIGHT, IDI_TRAY_SESSION_HC_WHITE,
     IDI_TRAY_SESSION_HC_BLACK},
    {IDI_TRAY_COUNTDOWN_DARK, IDI_TRAY_COUNTDOWN_LIGHT, IDI_TRAY_COUNTDOWN_HC_WHITE,
     IDI_TRAY_COUNTDOWN_HC_BLACK},
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
int trayDrawing = kDrawingDark;
bool iconInPlace = false;
int addRetriesLeft = 0;

// Each drawing is decoded once for the DPI the icon is shown at and kept: a
// burst of starts and cancels would otherwise decode an image at each.
struct IconCache {
    UINT dpi = 0;
    HICON icons[3][kDrawingCount] = {};
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

bool isDarkColour(COLORREF colour) {
    return GetRValue(colour) * 299 + GetGValue(colour) * 587 + GetBValue(colour) * 114 < 128000;
}

// A high contrast theme decides over the taskbar's colours: its drawing is
// the one that stands out on the theme's window colour.
int readTrayDrawing() {
    HIGHCONTRASTW contrast = {sizeof(contrast)};
    if (SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof(contrast), &contrast, 0) &&
        (contrast.dwFlags & HCF_HIGHCONTRASTON) != 0) {
        return isDarkColour(GetSysColor(COLOR_WINDOW)) ? kDrawingHighContrastWhite
                                                       : kDrawingHighContrastBlack;
    }
    return readLightTaskbar() ? kDrawingLight : kDrawingDark;
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
    HICON& icon = iconCache.icons[trayState][trayDrawing];
    if (icon == nullptr) {
        icon = loadIcon(kTrayIcons[trayState][trayDrawing], iconCache.dpi);
    }
    return icon;
}

void prepareRecord() {
    nid.hWnd = agentWindow;
    nid.uID = TRAY_ICON_ID;
    // Under NOTIFYICON_VERSION_4 Windows shows the tip only when asked to.
    nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_SHOWTIP;
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
// of it succeeds. The notification area forgets the icon's version with the
// icon, so every add asks for version 4 again: its callbacks tell keyboard
// use apart from the mouse.
bool putIconInPlace() {
    prepareRecord();
    iconInPlace = sendRecord(NIM_ADD) || sendRecord(NIM_MODIFY);
    if (iconInPlace) {
        nid.uVersion = NOTIFYICON_VERSION_4;
        sendRecord(NIM_SETVERSION);
    }
    return iconInPlace;
}

void stopAddRetries() {
    KillTimer(agentWindow, TRAY_ADD_RETRY_TIMER);
    addRetriesLeft = 0;
}

} // namespace

void addNotificationIcon() {
    trayDrawing = readTrayDrawing();
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

void focusNotificationArea() {
    sendRecord(NIM_SETFOCUS);
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

void onTraySettingChange(WPARAM setting, LPARAM lParam) {
    auto* area = reinterpret_cast<const wchar_t*>(lParam);
    if (setting == SPI_SETHIGHCONTRAST ||
        (area != nullptr && std::wcscmp(area, L"ImmersiveColorSet") == 0)) {
        onTrayColoursChange();
    }
}

void onTrayColoursChange() {
    int drawing = readTrayDrawing();
    if (drawing != trayDrawing) {
        trayDrawing = drawing;
        modifyIcon();
    }
}
