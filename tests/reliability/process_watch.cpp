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

double nowMs() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f = {};
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER counter = {};
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
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

TimedStateWindow::TimedStateWindow() {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW wcex = {sizeof(wcex)};
    bool registered = GetClassInfoExW(instance, VIGILOR_CONFIG_WINDOW_CLASS, &wcex);
    if (!registered) {
        wcex = {sizeof(wcex)};
        wcex.lpfnWndProc = DefWindowProcW;
        wcex.hInstance = instance;
        wcex.lpszClassName = VIGILOR_CONFIG_WINDOW_CLASS;
        RegisterClassExW(&wcex);
    }
    window_ =
        CreateWindowExW(0, VIGILOR_CONFIG_WINDOW_CLASS, vigilor_test::kConfigTitle,
                        WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr, instance, nullptr);
    if (window_ != nullptr) {
        // Whoever registered the class, this window records for us.
        SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(procedure));
    }
}

TimedStateWindow::~TimedStateWindow() {
    if (window_ != nullptr) {
        DestroyWindow(window_);
    }
}

std::optional<std::pair<WPARAM, double>> TimedStateWindow::query(HWND agent, DWORD timeoutMs) {
    size_t before = states_.size();
    double sent = nowMs();
    if (!PostMessageW(agent, vigilor_test::WM_VIGILOR_QUERY, 0, 0)) {
        return std::nullopt;
    }
    if (!waitForCount(before + 1, timeoutMs)) {
        return std::nullopt;
    }
    double roundTrip = nowMs() - sent;
    return std::make_pair(states_[before], roundTrip);
}

bool TimedStateWindow::waitForCount(size_t count, DWORD timeoutMs) {
    return vigilor_test::pumpUntil([this, count] { return states_.size() >= count; }, timeoutMs);
}

LRESULT CALLBACK TimedStateWindow::procedure(HWND window, UINT message, WPARAM wParam,
                                             LPARAM lParam) {
    auto* self = reinterpret_cast<TimedStateWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == vigilor_test::WM_VIGILOR_STATE && self != nullptr) {
        self->states_.push_back(wParam);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
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
