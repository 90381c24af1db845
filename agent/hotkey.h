// The keyboard shortcut that starts a session with the stored options, or
// cancels the running one, from anywhere: the "hotkey" value of the settings
// key, registered with Windows for the agent window.
#pragma once

#include <windows.h>

#include <string>

// The shortcut stored in `value` ("hotkey"): its virtual-key code and its
// RegisterHotKey modifiers (MOD_ALT, MOD_CONTROL, MOD_SHIFT, MOD_WIN).
// False for 0 (none) and for what cannot serve as a shortcut: no modifier,
// a modifier key itself, F12 (which Windows keeps for debuggers), or Shift
// alone with a key that types a character, which would take that character
// from every program.
bool decodeHotkey(DWORD value, UINT& key, UINT& modifiers);

// The shortcut's name as the user reads it: "Ctrl+Alt+K".
std::wstring hotkeyName(UINT key, UINT modifiers);

// Reads "hotkey" and registers it in place of the shortcut registered
// before. A shortcut that another program holds is told in a notification
// that names it, once for each value, and the agent goes on without one.
void registerSessionHotkey();
void unregisterSessionHotkey();
