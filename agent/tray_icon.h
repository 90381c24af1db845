// The notification-area icon: its drawing and tip show whether a session
// runs and until when, or that Windows is about to shut down, in the colours
// of the taskbar and at the notification area's size.
#pragma once

#include <windows.h>

#include <string>

// Adds the icon in the current state; also when the taskbar was made anew.
void addNotificationIcon();
void removeNotificationIcon();

void showTrayIdle();
// `program`: the title of the program the session lasts for, if any.
void showTraySession(const SYSTEMTIME& end, const std::wstring& program = {});
void showTrayCountdown(int seconds);

// A session's tip names its end day relative to today; after midnight it is
// built anew. Changes the icon only when the tip changed.
void refreshTrayTip();

// WM_SETTINGCHANGE: the taskbar may have turned light or dark.
void onTraySettingChange(LPARAM lParam);
