#include "process_watch.h"

#include "peer_window.h"
#include "program_support.h"

#include <psapi.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cmath>

namespace reliability {

namespace {

BOOL CALLBACK collectChild(HWND window, LPARAM lParam) {
    reinterpret_cast<std::vector<HWND>*>(lParam)->push_back(window);
    return TRUE;
}

} // namespace

std::vector<HWND> processWindows(DWORD processId) {
    std::vector<HWND> windows;
    for (HWND window : vigilor_test::topLevelWindows(processId, nullptr, nullptr)) {
        windows.push_back(window);
        EnumChildWindows(window, collectChild, reinterpret_cast<LPARAM>(&windows));
    }
    // Message-only windows are not top-level windows of the desktop.
    HWND messageOnly = nullptr;
    while ((messageOnly = FindWindowExW(HWND_MESSAGE, messageOnly, nullptr, nullptr)) != nullptr) {
        if (vigilor_test::windowProcess(messageOnly) == processId) {
            windows.push_back(messageOnly);
        }
    }
    return windows;
}

std::vector<DWORD> processesNamed(const wchar_t* name) {
    std::vector<DWORD> found;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) {
        return found;
    }
    PROCESSENTRY32W entry = {sizeof(entry)};
    for (BOOL more = Process32FirstW(snapshot, &entry); more;
         more = Process32NextW(snapshot, &entry)) {
        if (_wcsicmp(entry.szExeFile, name) == 0) {
            found.push_back(entry.th32ProcessID);
        }
    }
    CloseHandle(snapshot);
    return found;
}

ProcessFigures measure(HANDLE process, DWORD processId) {
    ProcessFigures figures;
    figures.windows = processWindows(processId).size();
    GetProcessHandleCount(process, &figures.handles);
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof(counters);
    if (GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                             sizeof(counters))) {
        // Wine 8 leaves PrivateUsage at 0 but fills PagefileUsage, the
        // commit charge, which Windows reports as the same figure.
        figures.privateBytes =
            counters.PrivateUsage != 0 ? counters.PrivateUsage : counters.PagefileUsage;
    }
    figures.gdiObjects = GetGuiResources(process, GR_GDIOBJECTS);
    figures.userObjects = GetGuiResources(process, GR_USEROBJECTS);
    return figures;
}

double quantile(std::vector<double> values, double q) {
    if (values.empty()) {
        return 0;
    }
    std::sort(values.begin(), values.end());
    // Nearest rank: the smallest value with at least q of the sample at or
    // below it.
    size_t rank = static_cast<size_t>(std::ceil(q * static_cast<double>(values.size())));
    return values[std::clamp<size_t>(rank, 1, values.size()) - 1];
}

// Tray icons as Wine's notification area shows them on a bare X server:
// one window per icon.
size_t trayIcons() {
    size_t icons = 0;
    HWND tray = nullptr;
    while ((tray = FindWindowExW(nullptr, tray, L"__winex11_standalone_tray", nullptr))) {
        HWND icon = nullptr;
        while ((icon = FindWindowExW(tray, icon, L"__winex11_tray_icon", nullptr))) {
            ++icons;
        }
    }
    return icons;
}

} // namespace reliability
