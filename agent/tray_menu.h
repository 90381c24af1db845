// The tray menu: its items, what they offer as the session changes, and
// showing it.
#pragma once

#include <windows.h>

#include <string>

struct SessionRequest;

// Builds the tray menu with its session submenu.
void buildMenus();
// The menus go with the agent.
void destroyMenus();

// WM_INITMENUPOPUP: the session submenu offers what fits the session, and
// lists the programs running now.
void onInitMenuPopup(HMENU menu);

// Opens the tray menu at the cursor.
void showContextMenu();
// Opens the tray menu from the keyboard at `anchor`, the icon's corner that
// the notification area names.
void showContextMenuAtIcon(POINT anchor);

// Replaces the text of the session item.
void setSessionItemText(const std::wstring& text);

// The session that a preset of the session submenu ("For 30 minutes", ...,
// "Until I stop it") asks for; false for a command that is none.
bool presetSessionRequest(UINT command, SessionRequest& request);
