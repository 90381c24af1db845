// The notification-area icon: its drawing and tip show whether a session
// runs and until when, or that Windows is about to shut down, in the colours
// of the taskbar and at the notification area's size.
#pragma once

#include <windows.h>

#include <string>

// Adds the icon in the current state; also when the taskbar was made anew.
// When the taskbar does not take it, tries again on TRAY_ADD_RETRY_TIMER for
// two minutes; after that only a new taskbar brings it.
void addNotificationIcon();
// TRAY_ADD_RETRY_TIMER: adds the icon in the state of the moment.
void retryNotificationIcon();
// Whether the notification area took the icon.
bool trayIconInPlace();
void removeNotificationIcon();

// Gives the keyboard focus back to the notification area.
void focusNotificationArea();

void showTrayIdle();
// `program`: the title of the program the session lasts for, if any;
// `untilStopped`: the session lasts until the user stops it, and the tip
// says so rather than name an end weeks away.
void showTraySession(const SYSTEMTIME& end, const std::wstring& program = {},
                     bool untilStopped = false);
void showTrayCountdown(int seconds);

// A session's tip names its end day relative to today; after midnight it is
// built anew. Changes the icon only when the tip changed.
void refreshTrayTip();

// Shows `text` as a notification of the icon, titled "PC-Vigilor", with the
// info or warning icon (`NIIF_INFO`, `NIIF_WARNING`). Returns whether the
// notification area took it; never while the icon is not in place.
bool showTrayNotification(const std::wstring& text, DWORD infoFlags);

// Whether the agent is waiting for the notification area to take a record:
// a message sent to the agent now arrives in the middle of what it is doing.
bool trayRecordUnderWay();

// WM_SETTINGCHANGE: the taskbar may have turned light or dark, or high
// contrast on or off.
void onTraySettingChange(WPARAM setting, LPARAM lParam);
// WM_SYSCOLORCHANGE: a high contrast theme may have changed its colours.
void onTrayColoursChange();
