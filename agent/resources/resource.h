// Resource identifiers of VigilorTaskbar.
#pragma once

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

// The same states for high contrast themes: white for a dark window colour,
// black for a light one.
#define IDI_TRAY_IDLE_HC_WHITE 126
#define IDI_TRAY_IDLE_HC_BLACK 127
#define IDI_TRAY_SESSION_HC_WHITE 128
#define IDI_TRAY_SESSION_HC_BLACK 129
#define IDI_TRAY_COUNTDOWN_HC_WHITE 130
#define IDI_TRAY_COUNTDOWN_HC_BLACK 131

// What an organisation's policy makes the agent say: a block of sixteen of
// its own (272).
#define IDS_NOTICE_TURNED_OFF 272

// Texts the user sees, one string table per language. They start a block of
// sixteen of their own (128), so that no language-neutral string shares a
// block with them and hides a translation from the loader.
#define IDS_TRAY_TIP 128
#define IDS_MENU_KEEP_AWAKE 129
#define IDS_MENU_CONFIGURATION 130
#define IDS_MENU_CLOSE 131
#define IDS_SESSION_ITEM 132
#define IDS_SESSION_ITEM_MINUTES 133 // %u: the session length
#define IDS_SESSION_ITEM_HOURS 134   // %u: the session length
#define IDS_SESSION_ITEM_RUNNING 135
#define IDS_NOTICE_STARTED 136
#define IDS_NOTICE_ENDED 137
#define IDS_NOTICE_CANCELED 138
#define IDS_COUNTDOWN 139 // %d: seconds left
#define IDS_COUNTDOWN_CANCEL 140
#define IDS_ERROR_OPEN_CONFIGURATION 141
#define IDS_ERROR_CAPTION 142
#define IDS_ABOUT_CAPTION 143
#define IDS_ABOUT_VERSION 144
#define IDS_ABOUT_DESCRIPTION 145
#define IDS_TIP_SESSION 146          // %1: when the session ends
#define IDS_TIP_COUNTDOWN 147        // %1: seconds left
#define IDS_END_TOMORROW 148         // %1: time
#define IDS_END_WEEKDAY 149          // %1: weekday, %2: time
#define IDS_END_DATE 150             // %1: date, %2: time
#define IDS_POWER_REQUEST_REASON 151 // %1: when the session ends

// Notifications of the tray icon, and the names they use, in a block of
// their own (160).
#define IDS_PLAN_POWER_SAVER 160
#define IDS_PLAN_BALANCED 161
#define IDS_PLAN_HIGH_PERFORMANCE 162
#define IDS_MODE_BEST_EFFICIENCY 163
#define IDS_MODE_BALANCED 164
#define IDS_MODE_BEST_PERFORMANCE 165
#define IDS_NOTICE_MODE_INSTEAD 166      // %1: plan, %2: Windows' reason, %3: mode
#define IDS_NOTICE_PLAN_NOT_SWITCHED 167 // %1: plan, %2: Windows' reason
#define IDS_NOTICE_NOT_SHUT_DOWN 168
#define IDS_NOTICE_NOT_SHUT_DOWN_REASON 169 // %1: Windows' reason
#define IDS_ERROR_CODE 170                  // %u: a system error code

// What could let the PC sleep during a session, and that it slept: a block
// of sixteen of their own.
#define IDS_NOTICE_SLEEP_POLICY 176
#define IDS_NOTICE_REQUEST_OVERRIDE 177
#define IDS_NOTICE_MODERN_STANDBY 178
#define IDS_NOTICE_SLEPT 179 // %1: time it fell asleep, %2: time it woke
// %1: the charge now, %2: the charge at which Windows acts (percent)
#define IDS_NOTICE_BATTERY_SLEEP 180
#define IDS_NOTICE_BATTERY_HIBERNATE 181
#define IDS_NOTICE_BATTERY_SHUT_DOWN 182
#define IDS_MENU_SLEEP_CHECK 183
#define IDS_NOTICE_NOTHING_FOUND 184
#define IDS_NOTICE_LID 185
#define IDS_NOTICE_SLEPT_LID 186     // %1: time it fell asleep, %2: time it woke
#define IDS_NOTICE_SLEPT_BATTERY 187 // %1: time it fell asleep, %2: time it woke
// Modern Standby where the organisation keeps the display from staying on.
#define IDS_NOTICE_MODERN_STANDBY_RULED 188

// Sessions that last while a program runs, and sessions made longer. A block
// of sixteen of their own (192).
#define IDS_MENU_WHILE_PROGRAM 192
#define IDS_MENU_NO_PROGRAM 193
#define IDS_MENU_ADD_HOUR 194
#define IDS_TIP_PROGRAM 195           // %1: program, %2: when the session ends at the latest
#define IDS_POWER_REQUEST_PROGRAM 196 // %1: program, %2: when the session ends at the latest
#define IDS_NOTICE_EXTENDED 197       // %1: when the session now ends

// What a session could not do, and why: a block of sixteen of their own
// (208).
#define IDS_NOTICE_NOT_EXTENDED 208 // %1: when the session ends, unchanged
#define IDS_NOTICE_PLAN_HELD 209    // %1: the plan the session would switch to

// The presets of the session submenu, "Until a time…" and its dialog, and
// sessions that last until they are stopped: a block of sixteen (240).
#define IDS_MENU_FOR_30_MINUTES 240
#define IDS_MENU_FOR_1_HOUR 241
#define IDS_MENU_FOR_2_HOURS 242
#define IDS_MENU_UNTIL_STOPPED 243
#define IDS_MENU_UNTIL_TIME 244
#define IDS_UNTIL_TIME_PROMPT 245
#define IDS_UNTIL_TIME_START 246
#define IDS_TIP_UNTIL_STOPPED 247
#define IDS_POWER_REQUEST_UNTIL_STOPPED 248
// The keyboard shortcut: a block of sixteen (256).
#define IDS_NOTICE_HOTKEY_TAKEN 256 // %1: the shortcut, as "Ctrl+Alt+K"
#define IDS_KEY_CTRL 257
#define IDS_KEY_ALT 258
#define IDS_KEY_SHIFT 259
#define IDS_KEY_WIN 260

// "Until a time…": the dialog and its controls.
#define IDD_UNTIL_TIME 1100
#define IDC_UNTIL_TIME_PROMPT 1101
#define IDC_UNTIL_TIME_PICKER 1102

// What could lock the PC or end a remote session during a session: a block
// of sixteen of their own (304). Each text with minutes comes for one minute
// and for more.
#define IDS_NOTICE_INACTIVITY_LOCK_ONE 304
#define IDS_NOTICE_INACTIVITY_LOCK 305 // %u: minutes without input
#define IDS_NOTICE_SCREEN_SAVER_LOCK_ONE 306
#define IDS_NOTICE_SCREEN_SAVER_LOCK 307 // %u: minutes without input
#define IDS_NOTICE_REMOTE_IDLE_ONE 308
#define IDS_NOTICE_REMOTE_IDLE 309 // %u: minutes without input
#define IDS_NOTICE_DYNAMIC_LOCK 310
#define IDS_NOTICE_CHAT_AWAY 311
// The same where the organisation keeps PC-Vigilor from what would avoid it
// (Group Policy): the display kept on, the simulated key press.
#define IDS_NOTICE_INACTIVITY_LOCK_ONE_RULED 312
#define IDS_NOTICE_INACTIVITY_LOCK_RULED 313 // %u: minutes without input
#define IDS_NOTICE_SCREEN_SAVER_LOCK_ONE_RULED 314
#define IDS_NOTICE_SCREEN_SAVER_LOCK_RULED 315 // %u: minutes without input
#define IDS_NOTICE_CHAT_AWAY_RULED 316

// Controls of the About box that take their texts from the string table.
#define IDC_ABOUT_VERSION 1001
#define IDC_ABOUT_DESCRIPTION 1002

#ifndef IDC_STATIC
#define IDC_STATIC -1
#endif
