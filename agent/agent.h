// Process-wide state of the tray agent and the identifiers shared by its
// parts: one agent window owns the tray icon, every timer and every command.
#pragma once

#include <windows.h>

#include <string>

#include "contract.h"

// Notifications from the tray icon.
UINT const WMAPP_NOTIFYCALLBACK = WM_USER + 10; // 1034
UINT const TRAY_ICON_ID = 1010;

// A watched program has ended; wParam tells which watch saw it.
UINT const WMAPP_PROGRAM_ENDED = WM_APP + 1;

// Menu and control commands.
UINT const IDM_SEPARATOR = 206;
UINT const IDM_CONFIGURATION = 208;
UINT const IDM_CLOSE = 210;
UINT const IDM_SESSION = 316;
UINT const IDM_ADD_HOUR = 318;
UINT const IDM_SLEEP_CHECK = 320;
// The presets after the session item, and "Until a time…".
UINT const IDM_PRESET_30_MINUTES = 330;
UINT const IDM_PRESET_1_HOUR = 331;
UINT const IDM_PRESET_2_HOURS = 332;
UINT const IDM_PRESET_UNTIL_STOPPED = 333;
UINT const IDM_UNTIL_TIME = 334;
// One command per program listed under "While a program runs".
UINT const IDM_PROGRAM_FIRST = 400;
UINT const IDM_PROGRAM_LAST = 419;
UINT const IDC_COUNTDOWN_CANCEL = 0;

// Timers, all on the agent window.
UINT_PTR const POPUP_CLOSE_TIMER = 2000;
UINT_PTR const SESSION_TIMER = 3000;
UINT_PTR const KEY_PRESS_TIMER = 3001;
UINT_PTR const TRAY_ADD_RETRY_TIMER = 4000;

// The keyboard shortcut that starts or cancels a session.
int const HOTKEY_SESSION = 1;

extern HINSTANCE hInst;
extern HWND agentWindow;
extern wchar_t szTitle[100];       // "VigilorTaskbar", shared by every agent window
extern wchar_t szWindowClass[100]; // "VIGILORTASKBAR"
extern std::wstring programFolder; // folder of PCVigilor.exe, without a trailing name
extern HMENU trayMenu;
extern HMENU sessionMenu; // holds the session item
extern HMENU programMenu; // the programs a session can last for

// Start-up up to the message loop: the agent window, its tray icon and menu,
// the installation folder and the options. Returns false when the agent
// window cannot be created.
bool initInstance(HINSTANCE instance);

// Runs the message loop until the agent ends; returns the quit code.
int runMessageLoop();

LRESULT CALLBACK WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Reads the installation folder into programFolder; falls back to the
// agent's own folder when "Path" is missing, empty or too long. Returns true
// when "Path" was used.
bool readAppPath();

// Starts the configuration application; shows an error box when it cannot.
bool openConfiguration();
