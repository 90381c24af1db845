// Start-up, the agent window and its procedure, the tray icon and its menu.
#include "agent.h"

#include "hotkey.h"
#include "message_filter.h"
#include "notification.h"
#include "popup.h"
#include "power_scheme.h"
#include "program_watch.h"
#include "remote_control.h"
#include "remote_protocol.h"
#include "resource.h"
#include "session.h"
#include "shutdown.h"
#include "texts.h"
#include "tray_icon.h"
#include "tray_menu.h"
#include "until_time_dialog.h"

#include <shellapi.h>
#include <windowsx.h>

#include <cstddef>
#include <cstring>
#include <optional>
#include <utility>

HINSTANCE hInst = nullptr;
HWND agentWindow = nullptr;
wchar_t szTitle[100] = {};
wchar_t szWindowClass[100] = {};
std::wstring programFolder;

namespace {

HACCEL accelerators = nullptr;

// Start-up is done. Until then a message sent to the agent window (not a
// posted one) can arrive while start-up itself waits for another window,
// the notification area's, before the menus and options are in place.
bool startedUp = false;

// Explorer broadcasts this when it (re)creates the taskbar; the icon must
// then be added again, or a running session could no longer be cancelled
// from the tray.
UINT wmTaskbarCreated = 0;

// Windows tells the agent when the lid closes or opens
// (GUID_LIDSWITCH_STATE_CHANGE), so that a sleep then can be told as the
// lid's doing.
GUID const kLidStateChange = {
    0xba3e0f4d, 0xb817, 0x4094, {0xa2, 0xd1, 0xd5, 0x63, 0x79, 0xe6, 0xa0, 0xf3}};
HPOWERNOTIFY lidNotification = nullptr;

// Whether `data` holds the lid's report, and then whether the lid is open.
// Windows sends the report with a pointer into this process, but any
// program can post the message with any number: that is read only where it
// is readable memory of this process.
bool readLidReport(LPARAM data, bool& open) {
    auto const* setting = reinterpret_cast<const POWERBROADCAST_SETTING*>(data);
    auto const* end = reinterpret_cast<const BYTE*>(setting) +
                      offsetof(POWERBROADCAST_SETTING, Data) + sizeof(DWORD);
    DWORD const readable = PAGE_READONLY | PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READ |
                           PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
    MEMORY_BASIC_INFORMATION region = {};
    if (setting == nullptr || VirtualQuery(setting, &region, sizeof(region)) == 0 ||
        region.State != MEM_COMMIT || (region.Protect & readable) == 0 ||
        (region.Protect & PAGE_GUARD) != 0 ||
        static_cast<const BYTE*>(region.BaseAddress) + region.RegionSize < end ||
        !IsEqualGUID(setting->PowerSetting, kLidStateChange) ||
        setting->DataLength != sizeof(DWORD)) {
        return false;
    }
    DWORD value = 0;
    std::memcpy(&value, setting->Data, sizeof(value));
    open = value != 0;
    return true;
}

ATOM registerAgentClass(HINSTANCE instance) {
    WNDCLASSEXW wcex = {sizeof(wcex)};
    wcex.style = CS_HREDRAW | CS_VREDRAW;
    wcex.lpfnWndProc = WndProc;
    wcex.hInstance = instance;
    wcex.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wcex.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wcex.lpszClassName = szWindowClass;
    return RegisterClassExW(&wcex);
}

// The agent is going away: a running session is ended properly (execution
// state cleared, power scheme put back, the configuration application told)
// and the icon leaves the notification area with it.
void shutDownAgent() {
    if (sessionEndMinute != 0) {
        endVigilorSession();
    }
    if (msgHWnd != nullptr) {
        closeMsgWnd();
    }
    removeNotificationIcon();
    unregisterSessionHotkey();
    if (lidNotification != nullptr) {
        UnregisterPowerSettingNotification(lidNotification);
        lidNotification = nullptr;
    }
    destroyMenus();
    agentWindow = nullptr;
    PostQuitMessage(0);
}

void showAboutTexts(HWND dialog) {
    SetWindowTextW(dialog, loadText(IDS_ABOUT_CAPTION).c_str());
    SetDlgItemTextW(dialog, IDC_ABOUT_VERSION, loadText(IDS_ABOUT_VERSION).c_str());
    SetDlgItemTextW(dialog, IDC_ABOUT_DESCRIPTION, loadText(IDS_ABOUT_DESCRIPTION).c_str());
}

INT_PTR CALLBACK About(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        showAboutTexts(dialog);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, LOWORD(wParam));
            return TRUE;
        }
        break;
    }
    return FALSE;
}

// A program chosen under "While a program runs", which the menu offers only
// while no session runs.
void startListedProgramSession(UINT command) {
    SessionRequest request;
    if (sessionEndMinute == 0 &&
        takeListedProgram(command, request.program, request.programTitle)) {
        startSession(std::move(request));
    }
}

// A preset of the session submenu, which the menu offers only while no
// session runs.
void startPresetSession(UINT command) {
    SessionRequest request;
    if (sessionEndMinute == 0 && presetSessionRequest(command, request)) {
        startSession(std::move(request));
    }
}

void startUntilTimeSession() {
    if (sessionEndMinute != 0 || tellIfTurnedOff()) {
        return;
    }
    if (std::optional<unsigned> end = askEndTimeOfDay(agentWindow)) {
        SessionRequest request;
        request.endTimeOfDay = end;
        startSession(std::move(request));
    }
}

// The keyboard shortcut: what the session item does, from anywhere.
void onSessionHotkey() {
    if (sessionEndMinute != 0) {
        cancelVigilorSession();
    } else {
        startVigilorSession();
    }
}

void onCountdownCancel() {
    cancelVigilorSession();
    // The cancellation notice would reuse the countdown window; the user has
    // answered it, so it goes at once.
    closeMsgWnd();
    OutputDebugStringW(L"BN_CLICKED\n");
}

LRESULT onCommand(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (LOWORD(wParam)) {
    case IDM_SESSION:
        if (sessionEndMinute != 0) {
            cancelVigilorSession();
        } else {
            OutputDebugStringW(L"startVigilorSession\n");
            startVigilorSession();
        }
        break;
    case IDM_ADD_HOUR:
        extendVigilorSession();
        break;
    case IDM_SLEEP_CHECK:
        checkSleepNow();
        break;
    case IDM_CONFIGURATION:
        openConfiguration();
        break;
    case IDM_CLOSE:
        if (agentWindow != nullptr) {
            DestroyWindow(agentWindow);
        }
        break;
    case IDM_ABOUT:
        DialogBoxW(hInst, MAKEINTRESOURCEW(IDD_ABOUTBOX), window, About);
        break;
    case IDC_COUNTDOWN_CANCEL:
        onCountdownCancel();
        break;
    case IDM_PRESET_30_MINUTES:
    case IDM_PRESET_1_HOUR:
    case IDM_PRESET_2_HOURS:
    case IDM_PRESET_UNTIL_STOPPED:
        startPresetSession(LOWORD(wParam));
        break;
    case IDM_UNTIL_TIME:
        startUntilTimeSession();
        break;
    default:
        if (LOWORD(wParam) >= IDM_PROGRAM_FIRST && LOWORD(wParam) <= IDM_PROGRAM_LAST) {
            startListedProgramSession(LOWORD(wParam));
            break;
        }
        return DefWindowProcW(window, message, wParam, lParam);
    }
    return 0;
}

// The icon uses NOTIFYICON_VERSION_4: the event comes in the low word, the
// icon's id in the high word and the anchor in wParam. A message in the
// older form, with the event alone, is still understood.
void onNotifyIcon(WPARAM wParam, LPARAM lParam) {
    bool versionFour = HIWORD(lParam) == TRAY_ICON_ID;
    if (!versionFour && HIWORD(lParam) != 0) {
        return;
    }
    switch (LOWORD(lParam)) {
    case WM_LBUTTONDBLCLK:
        openConfiguration();
        break;
    case WM_RBUTTONDOWN:
        showContextMenu();
        break;
    case WM_CONTEXTMENU: // the menu key or Shift+F10
    case NIN_KEYSELECT:  // Enter or Space
        if (versionFour) {
            showContextMenuAtIcon({GET_X_LPARAM(wParam), GET_Y_LPARAM(wParam)});
        }
        break;
    case WM_MOUSEMOVE:
        // The pointer rests on the icon before its tip shows.
        refreshTrayTip();
        break;
    }
}

// Once the icon is in place, what waited for it is told.
void retryTrayIcon() {
    retryNotificationIcon();
    tellWaitingNotices();
}

void onTaskbarCreated() {
    addNotificationIcon();
    tellWaitingNotices();
}

void onPowerBroadcast(WPARAM event, LPARAM data) {
    bool lidOpen = true;
    switch (event) {
    case PBT_APMSUSPEND:
        noticeSleepBeginning();
        break;
    case PBT_APMRESUMEAUTOMATIC:
    case PBT_APMRESUMESUSPEND:
        resumeSessionAfterSleep(event == PBT_APMRESUMEAUTOMATIC);
        break;
    case PBT_APMPOWERSTATUSCHANGE:
        noticePowerSourceChange();
        break;
    case PBT_POWERSETTINGCHANGE:
        if (readLidReport(data, lidOpen)) {
            noticeLidState(!lidOpen);
        }
        break;
    }
}

std::wstring moduleFolder() {
    wchar_t path[MAX_PATH] = {};
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return {};
    }
    std::wstring folder(path, length);
    size_t slash = folder.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : folder.substr(0, slash);
}

} // namespace

bool readAppPath() {
    // Both programs are installed in one folder; when "Path" does not say
    // which, the agent's own folder is that folder. Nothing is ever started
    // from a place nobody chose.
    const size_t reserve = ARRAYSIZE(kConfigProgram) - 1;
    programFolder = readInstallFolder(reserve);
    if (!programFolder.empty()) {
        return true;
    }
    programFolder = moduleFolder();
    if (programFolder.size() + reserve >= MAX_PATH) {
        programFolder.clear();
    }
    return false;
}

bool openConfiguration() {
    wchar_t file[MAX_PATH] = {};
    // Without a folder the name would point into the root of whatever drive
    // is current, where nobody installed the program.
    bool fits =
        !programFolder.empty() && programFolder.size() + ARRAYSIZE(kConfigProgram) <= MAX_PATH;
    if (fits) {
        lstrcpynW(file, programFolder.c_str(), MAX_PATH);
        lstrcatW(file, kConfigProgram);
    }
    SHELLEXECUTEINFOW info = {sizeof(info)};
    // The failure is told once, by the box below: without this flag the
    // shell shows a box of its own first.
    info.fMask = SEE_MASK_FLAG_NO_UI;
    info.hwnd = agentWindow;
    info.lpVerb = L"open";
    info.lpFile = file;
    info.lpParameters = L"";
    info.lpDirectory = programFolder.c_str();
    info.nShow = SW_SHOWNORMAL;
    if (!fits || !ShellExecuteExW(&info)) {
        MessageBoxW(agentWindow, loadText(IDS_ERROR_OPEN_CONFIGURATION).c_str(),
                    loadText(IDS_ERROR_CAPTION).c_str(), MB_ICONERROR);
    }
    return true;
}

bool initInstance(HINSTANCE instance) {
    lstrcpynW(szTitle, kAgentWindowTitle, ARRAYSIZE(szTitle));
    lstrcpynW(szWindowClass, kAgentWindowClass, ARRAYSIZE(szWindowClass));
    registerAgentClass(instance);
    wmTaskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");

    hInst = instance;
    agentWindow = CreateWindowExW(0, szWindowClass, szTitle, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, 0,
                                  CW_USEDEFAULT, 0, nullptr, nullptr, instance, nullptr);
    if (agentWindow == nullptr) {
        return false;
    }
    allowMessagesFromAnyIntegrity(agentWindow);
    lidNotification = RegisterPowerSettingNotification(agentWindow, &kLidStateChange,
                                                       DEVICE_NOTIFY_WINDOW_HANDLE);
    accelerators = LoadAcceleratorsW(instance, MAKEINTRESOURCEW(IDC_VIGILORTASKBAR));
    addNotificationIcon();
    buildMenus();
    readAppPath();
    restoreSchemeLeftBehind();
    loadSessionOptions();
    registerSessionHotkey();
    startedUp = true;
    return true;
}

int runMessageLoop() {
    MSG msg = {};
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (!TranslateAcceleratorW(msg.hwnd, accelerators, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    return static_cast<int>(msg.wParam);
}

LRESULT CALLBACK WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_DESTROY:
        // Popups share this procedure; only the agent window's end ends the
        // agent.
        if (window == agentWindow) {
            shutDownAgent();
        } else {
            forgetPopup(window);
        }
        return 0;
    case WM_PAINT:
        if (msgWndKind != kPopupNone) {
            paintPopup(window);
            return 0;
        }
        break;
    case WM_ERASEBKGND:
        erasePopupBackground(window, reinterpret_cast<HDC>(wParam));
        return 0;
    case WM_COMMAND:
        return onCommand(window, message, wParam, lParam);
    case WMAPP_NOTIFYCALLBACK:
        onNotifyIcon(wParam, lParam);
        return 0;
    case WM_INITMENUPOPUP:
        onInitMenuPopup(reinterpret_cast<HMENU>(wParam));
        return 0;
    case WMAPP_PROGRAM_ENDED:
        if (watchedProgramEnded(wParam)) {
            sessionProgramEnded();
        }
        return 0;
    case WM_VIGILOR_START:
        startVigilorSession();
        return 0;
    case WM_VIGILOR_CANCEL:
        cancelVigilorSession();
        return 0;
    case WM_VIGILOR_RELOAD:
        loadSessionOptions();
        registerSessionHotkey();
        return 0;
    case WM_VIGILOR_QUERY:
        reportSessionState();
        return 0;
    case WM_COPYDATA:
        // A request in the middle of a start or an end would act on half of
        // it; the command line sends it again.
        if (!startedUp || trayRecordUnderWay()) {
            return remote::kNotReady;
        }
        return onRemoteRequest(reinterpret_cast<HWND>(wParam),
                               reinterpret_cast<const COPYDATASTRUCT*>(lParam));
    case WM_HOTKEY:
        if (wParam == HOTKEY_SESSION) {
            onSessionHotkey();
        }
        return 0;
    case WM_QUERYENDSESSION:
        return TRUE;
    case WM_ENDSESSION:
        if (wParam != FALSE) {
            endSessionWithWindows();
        } else if (window == agentWindow) {
            shutdownCalledOff();
        }
        return 0;
    case WM_POWERBROADCAST:
        // Every top-level window hears it; the session hears it once.
        if (window == agentWindow) {
            onPowerBroadcast(wParam, lParam);
        }
        return TRUE;
    case WM_TIMECHANGE:
        // Windows tells every top-level window; the session hears it once.
        if (window == agentWindow) {
            sessionClockChanged();
        }
        return 0;
    case WM_SETTINGCHANGE:
        onTraySettingChange(wParam, lParam);
        break;
    case WM_SYSCOLORCHANGE:
        onTrayColoursChange();
        break;
    case WM_TIMER:
        if (wParam == TRAY_ADD_RETRY_TIMER && window == agentWindow) {
            retryTrayIcon();
            return 0;
        }
        break;
    default:
        if (message == wmTaskbarCreated && wmTaskbarCreated != 0 && window == agentWindow) {
            onTaskbarCreated();
            return 0;
        }
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}
