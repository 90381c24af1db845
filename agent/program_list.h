// The programs that a session can last for: those with a window the user
// sees, listed the way the tray menu offers them.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

inline constexpr size_t kMostListedPrograms = 20;
inline constexpr size_t kListedTitleLength = 60;

struct ListedProgram {
    std::wstring title; // of its first window, cut at kListedTitleLength
    HANDLE process;     // opened for SYNCHRONIZE; nullptr when it cannot be watched
};

// One entry per process with a visible, titled, unowned top-level window,
// other than the agent and the configuration application, sorted by title,
// at most kMostListedPrograms; a Store app by its own process, not by the
// frame host that shows it. The caller closes the handles.
std::vector<ListedProgram> listPrograms();

// A title as a menu item shows it: "&" stays a character, and control
// characters, which a menu would read as layout, become spaces.
std::wstring menuItemText(const std::wstring& title);
