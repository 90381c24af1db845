// Resource identifiers of VigilorTaskbar.
#pragma once

#define IDS_APP_TITLE 103
#define IDD_ABOUTBOX 103
#define IDM_ABOUT 104
#define IDI_VIGILORTASKBAR 107
#define IDI_SMALL 108
#define IDC_VIGILORTASKBAR 109

// Notification-area icons of a session and of the shutdown countdown, and of
// every state on a light taskbar (IDI_SMALL is idle on a dark one).
#define IDI_TRAY_IDLE_LIGHT 121
#define IDI_TRAY_SESSION_DARK 122
#define IDI_TRAY_SESSION_LIGHT 123
#define IDI_TRAY_COUNTDOWN_DARK 124
#define IDI_TRAY_COUNTDOWN_LIGHT 125

// Texts about the running session.
#define IDS_TIP_SESSION 1200
#define IDS_TIP_COUNTDOWN 1201
#define IDS_END_TOMORROW 1202
#define IDS_END_WEEKDAY 1203
#define IDS_END_DATE 1204
#define IDS_POWER_REQUEST_REASON 1205

#ifndef IDC_STATIC
#define IDC_STATIC -1
#endif
