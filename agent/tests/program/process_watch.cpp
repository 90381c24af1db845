#include "process_watch.h"

#include "peer_window.h"
#include "program_support.h"

#include <psapi.h>

#include <algorithm>
#include <cmath>

namespace reliability {

namespace {

struct Collected {
    DWORD processId;
    const wchar_t* cls; // any class when nullptr
    bool children;
    std::vector<HWND> windows;
};

BOOL CALLBACK collectChild(HWND window, LPARAM lParam) {
    reinterpret_cast<Collected*>(lParam)->windows.push_back(window);
    return TRUE;
}

BOOL CALLBACK collectTopLevel(HWND window, LPARAM lParam) {
    auto* collected = reinterpret_cast<Collected*>(lParam);
    if (collected->processId != 0 && vigilor_test::windowProcess(window) != collected->processId) {
        return TRUE;
    }
    if (collected->cls != nullptr && vigilor_test::className(window) != collected->cls) {
        return TRUE;
    }
    collected->windows.push_back(window);
    if (collected->children) {
        EnumChildWindows(window, collectChild, lParam);
    }
    return TRUE;
}

} // namespace

std::vector<HWND> processWindows(DWORD processId) {
    Collected collected{processId, nullptr, true, {}};
    EnumWindows(collectTopLevel, reinterpret_cast<LPARAM>(&collected));
    // Message-only windows are not top-level windows of the desktop.
    HWND messageOnly = nullptr;
    while ((messageOnly = FindWindowExW(HWND_MESSAGE, messageOnly, nullptr, nullptr)) != nullptr) {
        if (vigilor_test::windowProcess(messageOnly) == processId) {
            collected.windows.push_back(messageOnly);
        }
    }
    return collected.windows;
}

std::vector<HWND> processTopLevel(DWORD processId, const wchar_t* cls) {
    Collected collected{processId, cls, false, {}};
    EnumWindows(collectTopLevel, reinterpret_cast<LPARAM>(&collected));
    return collected.windows;
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
