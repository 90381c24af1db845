// The commands of vigilor_probe, in groups by what they look at. A group
// answers a command line it knows with the command's exit code, and one it
// does not know with nothing.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>

namespace probe {

using Arguments = wchar_t**;

// The agent through its settings, windows and messages.
std::optional<int> agentCommand(int argc, Arguments argv);
// What an installation leaves: registry values, links, version resources.
std::optional<int> installationCommand(int argc, Arguments argv);
// Processes by program file, and the configuration application's window.
std::optional<int> processCommand(int argc, Arguments argv);
// The command line's requests and the keyboard shortcut.
std::optional<int> remoteCommand(int argc, Arguments argv);
// The figures of tools/bench.sh.
std::optional<int> benchCommand(int argc, Arguments argv);

// A count of seconds on the command line, in milliseconds.
DWORD seconds(const wchar_t* text);
DWORD number(const wchar_t* text);

// One line of UTF-8 on standard output, line breaks written as "\n": the
// scripts compare UTF-8 text, and paths and titles may hold any character.
void printLine(std::wstring line);

// The configuration application's main window once it shows, of the
// process (any process when 0).
HWND visibleConfigWindow(DWORD processId);

// Waits until `find` finds a window, serving this thread's windows; the
// window, or nullptr when none came within `timeoutMs`.
HWND waitForWindow(const std::function<HWND()>& find, DWORD timeoutMs);

// Waits without serving windows, polling often enough for the races the
// scripts set up and not so often that the polling takes the agent's CPU.
bool pollUntil(const std::function<bool()>& done, DWORD timeoutMs);

} // namespace probe
