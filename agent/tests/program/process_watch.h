// What the reliability tests and the benchmark probe observe of a running
// program from the outside: its windows, its kernel handles, its memory and
// CPU time, and the agent's answer to a state query.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace reliability {

// Every window of the process: top-level ones and all their descendants.
std::vector<HWND> processWindows(DWORD processId);

// Tray icons as Wine's notification area shows them on a bare X server:
// one window per icon.
size_t trayIcons();

// The processes that run a program file of that name.
std::vector<DWORD> processesNamed(const wchar_t* name);

struct ProcessFigures {
    size_t windows = 0;
    DWORD handles = 0; // Wine 8 answers 0
    uint64_t privateBytes = 0;
    // GetGuiResources; Wine 8 answers 0 for both.
    DWORD gdiObjects = 0;
    DWORD userObjects = 0;
};

ProcessFigures measure(HANDLE process, DWORD processId);

// Median and other quantiles of a sample (sorted copy); 0 for none.
double quantile(std::vector<double> values, double q);

} // namespace reliability
