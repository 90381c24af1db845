// The tray menu and its session submenu.
#include "tray_menu.h"

#include "agent.h"
#include "program_watch.h"
#include "resource.h"
#include "session.h"
#include "texts.h"
#include "tray_icon.h"

HMENU trayMenu = nullptr;
HMENU sessionMenu = nullptr;
HMENU programMenu = nullptr;

namespace {

// The presets after the session item: a length, or until the user stops it
// (no length); "Until a time…" asks for its end first.
struct Preset {
    UINT command;
    UINT text;
    uint64_t minutes;
};
Preset const kPresets[] = {
    {IDM_PRESET_30_MINUTES, IDS_MENU_FOR_30_MINUTES, 30},
    {IDM_PRESET_1_HOUR, IDS_MENU_FOR_1_HOUR, 60},
    {IDM_PRESET_2_HOURS, IDS_MENU_FOR_2_HOURS, 120},
    {IDM_PRESET_UNTIL_STOPPED, IDS_MENU_UNTIL_STOPPED, 0},
    {IDM_UNTIL_TIME, IDS_MENU_UNTIL_TIME, 0},
};

// Where "While a program runs" hangs in the session submenu: after the
// session item, the presets and a separator.
UINT const kProgramMenuPosition = 2 + ARRAYSIZE(kPresets);

// The shell follows a right click with WM_CONTEXTMENU and sends Enter's
// NIN_KEYSELECT twice; such an echo comes while the menu it opened is up or
// just after it closed, and must not open it again.
bool menuOpen = false;
ULONGLONG menuClosedAt = 0;

// The chosen item reaches the window procedure as WM_COMMAND. A menu opened
// from the keyboard and closed without a choice gives the keyboard back to
// the notification area, where the user was.
void trackTrayMenu(POINT at, bool fromKeyboard) {
    if (menuOpen) {
        return;
    }
    menuOpen = true;
    SetForegroundWindow(agentWindow);
    UINT command = static_cast<UINT>(
        TrackPopupMenu(trayMenu, TPM_RETURNCMD, at.x, at.y, 0, agentWindow, nullptr));
    PostMessageW(agentWindow, WM_NULL, 0, 0);
    menuOpen = false;
    menuClosedAt = GetTickCount64();
    if (command != 0) {
        PostMessageW(agentWindow, WM_COMMAND, command, 0);
    } else if (fromKeyboard) {
        focusNotificationArea();
    }
}

} // namespace

void buildMenus() {
    sessionMenu = CreatePopupMenu();
    AppendMenuW(sessionMenu, MF_STRING, IDM_SESSION, loadText(IDS_SESSION_ITEM).c_str());
    for (const Preset& preset : kPresets) {
        AppendMenuW(sessionMenu, MF_STRING, preset.command, loadText(preset.text).c_str());
    }
    AppendMenuW(sessionMenu, MF_SEPARATOR, 0, nullptr);
    programMenu = CreatePopupMenu();
    AppendMenuW(sessionMenu, MF_POPUP, reinterpret_cast<UINT_PTR>(programMenu),
                loadText(IDS_MENU_WHILE_PROGRAM).c_str());
    AppendMenuW(sessionMenu, MF_STRING | MF_GRAYED, IDM_ADD_HOUR,
                loadText(IDS_MENU_ADD_HOUR).c_str());
    AppendMenuW(sessionMenu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(sessionMenu, MF_STRING, IDM_SLEEP_CHECK, loadText(IDS_MENU_SLEEP_CHECK).c_str());
    trayMenu = CreatePopupMenu();
    AppendMenuW(trayMenu, MF_POPUP, reinterpret_cast<UINT_PTR>(sessionMenu),
                loadText(IDS_MENU_KEEP_AWAKE).c_str());
    AppendMenuW(trayMenu, MF_SEPARATOR, IDM_SEPARATOR, nullptr);
    AppendMenuW(trayMenu, MF_STRING, IDM_CONFIGURATION, loadText(IDS_MENU_CONFIGURATION).c_str());
    AppendMenuW(trayMenu, MF_STRING, IDM_CLOSE, loadText(IDS_MENU_CLOSE).c_str());
}

// The session submenu opens: what it offers follows the session, and the
// programs are those running now.
void onInitMenuPopup(HMENU menu) {
    if (menu != sessionMenu) {
        return;
    }
    bool running = sessionEndMinute != 0;
    bool endMoves = running && !sessionUntilStopped;
    EnableMenuItem(sessionMenu, IDM_ADD_HOUR, MF_BYCOMMAND | (endMoves ? MF_ENABLED : MF_GRAYED));
    // Each of these starts a session, as a program's session does; the
    // session item cancels the running one.
    for (const Preset& preset : kPresets) {
        EnableMenuItem(sessionMenu, preset.command,
                       MF_BYCOMMAND | (running ? MF_GRAYED : MF_ENABLED));
    }
    EnableMenuItem(sessionMenu, kProgramMenuPosition,
                   MF_BYPOSITION | (running ? MF_GRAYED : MF_ENABLED));
    if (running) {
        releaseListedPrograms();
    } else {
        fillProgramMenu(programMenu);
    }
}

void showContextMenu() {
    POINT pt = {};
    GetCursorPos(&pt);
    trackTrayMenu(pt, false);
}

void showContextMenuAtIcon(POINT anchor) {
    if (GetTickCount64() - menuClosedAt >= GetDoubleClickTime()) {
        trackTrayMenu(anchor, true);
    }
}

void destroyMenus() {
    releaseListedPrograms();
    // The submenus go with the tray menu they hang under.
    DestroyMenu(trayMenu);
    trayMenu = nullptr;
    sessionMenu = nullptr;
    programMenu = nullptr;
}

void setSessionItemText(const std::wstring& text) {
    if (sessionMenu != nullptr) {
        ModifyMenuW(sessionMenu, IDM_SESSION, MF_BYCOMMAND | MF_STRING, IDM_SESSION, text.c_str());
    }
}

bool presetSessionRequest(UINT command, SessionRequest& request) {
    for (const Preset& preset : kPresets) {
        if (preset.command == command && command != IDM_UNTIL_TIME) {
            request.minutes = preset.minutes;
            request.untilStopped = preset.minutes == 0;
            return true;
        }
    }
    return false;
}
