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

// Top-level windows of the process (any process when 0) of the given class
// (any class when nullptr), whatever their title.
std::vector<HWND> processTopLevel(DWORD processId, const wchar_t* cls);

struct ProcessFigures {
    size_t windows = 0;
    DWORD handles = 0; // Wine 8 answers 0
    uint64_t privateBytes = 0;
    // GetGuiResources; Wine 8 answers 0 for both.
    DWORD gdiObjects = 0;
    DWORD userObjects = 0;
};

ProcessFigures measure(HANDLE process, DWORD processId);

// A window that plays the configuration application's main window and keeps
// the time at which each WM_VIGILOR_STATE arrived.
class TimedStateWindow {
  public:
    TimedStateWindow();
    TimedStateWindow(const TimedStateWindow&) = delete;
    TimedStateWindow& operator=(const TimedStateWindow&) = delete;
    ~TimedStateWindow();

    HWND handle() const { return window_; }
    size_t count() const { return states_.size(); }
    WPARAM last() const { return states_.back(); }
    const std::vector<WPARAM>& states() const { return states_; }

    // Posts a query to `agent` and waits for the next state. Returns the
    // state and the round trip in milliseconds.
    std::optional<std::pair<WPARAM, double>> query(HWND agent, DWORD timeoutMs);

    // Waits until `count` states have arrived in all.
    bool waitForCount(size_t count, DWORD timeoutMs);

  private:
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND window_ = nullptr;
    std::vector<WPARAM> states_;
};

// Milliseconds from a performance counter.
double nowMs();

// Median and other quantiles of a sample (sorted copy); 0 for none.
double quantile(std::vector<double> values, double q);

} // namespace reliability
