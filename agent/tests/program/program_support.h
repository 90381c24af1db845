// What the program tests need to drive the real VigilorTaskbar.exe from the
// outside: its process, the settings key it shares with the configuration
// application, its windows, and a window that plays the configuration
// application's main window.
#pragma once

#include <windows.h>

#include "test_registry.h"

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace vigilor_test {

inline constexpr wchar_t kAgentClass[] = L"VIGILORTASKBAR";
inline constexpr wchar_t kAgentTitle[] = L"VigilorTaskbar";
inline constexpr wchar_t kConfigTitle[] = L"PC-Vigilor";
inline constexpr wchar_t kSettingsKey[] = L"Software\\Quorvex\\PC-Vigilor";

UINT const WM_VIGILOR_START = WM_USER + 700;
UINT const WM_VIGILOR_CANCEL = WM_USER + 701;
UINT const WM_VIGILOR_RELOAD = WM_USER + 702;
UINT const WM_VIGILOR_QUERY = WM_USER + 703;
UINT const WM_VIGILOR_STATE = WM_USER + 704;
UINT const WM_TRAY_CALLBACK = WM_USER + 10;

UINT const IDM_ABOUT = 104;
UINT const IDM_CONFIGURATION = 208;
UINT const IDM_CLOSE = 210;
UINT const IDM_SESSION = 316;
UINT const IDM_SLEEP_CHECK = 320;
UINT const IDM_UNTIL_TIME = 334;

inline constexpr int kPopupWidth = 300;
inline constexpr int kPopupHeight = 100;
inline constexpr DWORD kNoticeExStyle =
    WS_EX_LAYERED | WS_EX_APPWINDOW | WS_EX_TRANSPARENT | WS_EX_TOPMOST;

// A path as CMake writes it ("/work/x/a.exe" or "C:/x/a.exe") in the form
// Windows programs take; Wine shows the Linux root as drive Z:.
std::wstring windowsPath(const std::string& path);

// The settings key of the current user.
void deleteSettings();
bool writeSetting(const wchar_t* name, DWORD value);
bool writeSetting(const wchar_t* name, const std::wstring& value);
std::optional<DWORD> readSetting(const wchar_t* name);
std::optional<std::wstring> readSettingText(const wchar_t* name);

// The stand-in powrprof.dll (stand_in_powrprof.cpp), which keeps "the active
// scheme" in the registry. A VigilorTaskbar.exe with a copy of it beside it
// uses it once `usePowerStandIn` has run; other copies keep Wine's own.
inline constexpr wchar_t kPowerSaver[] = L"{A1841308-3541-4FAB-BC81-F71556F20B4A}";
inline constexpr wchar_t kBalanced[] = L"{381B4222-F694-41F0-9685-FF5BB260DF2E}";
inline constexpr wchar_t kHighPerformance[] = L"{8C5E7FDA-E8BF-4A96-9A85-A6E23A8C635C}";
// Makes `scheme` the active one, with no activation counted yet, and has Wine
// load a powrprof.dll beside VigilorTaskbar.exe before its own.
bool usePowerStandIn(const std::wstring& scheme);
// Takes both back.
void removePowerStandIn();
// The active scheme in braced upper-case form, or "" when none is set.
std::wstring activeScheme();
// How many times a scheme was activated since `usePowerStandIn`.
DWORD schemeActivations();
// Copies `agent` and `standIn` (the DLL) into `folder`; returns the copy of
// the agent, or "" when a copy failed.
std::wstring placeBesidePowerStandIn(const std::wstring& agent, const std::wstring& standIn,
                                     const std::wstring& folder);

// Local time as hour * 60 + minute, the unit of the session end minute.
DWORD minuteOfDay();

// Seconds since the Unix epoch, so that scripts can compare with `date`.
double epochSeconds();

// Keeps this thread's windows alive (dispatching their messages) until
// `done` holds or `timeoutMs` has passed; returns whether `done` held.
bool pumpUntil(const std::function<bool()>& done, DWORD timeoutMs);

// Dispatches what is queued for this thread's windows, without waiting.
void pumpPending();

std::wstring className(HWND window);
std::wstring windowText(HWND window);
DWORD windowProcess(HWND window);

// Top-level windows of `cls` and `title` (any class or title when nullptr)
// that belong to the process (any process when 0).
std::vector<HWND> topLevelWindows(DWORD processId, const wchar_t* cls, const wchar_t* title);

// Top-level windows of the agent's class and title that belong to the
// process (any process when 0): the agent window has no extended style, the
// popups are layered.
HWND findAgentWindow(DWORD processId);
std::vector<HWND> findPopups(DWORD processId);

// A top-level window of `cls` and `title` (any title when nullptr) that
// belongs to the process.
HWND findProcessWindow(DWORD processId, const wchar_t* cls, const wchar_t* title);

// The first child window of class `cls`.
HWND findChild(HWND parent, const wchar_t* cls);

// The real VigilorTaskbar.exe, started by the test and always ended by it.
class AgentProcess {
  public:
    AgentProcess() = default;
    AgentProcess(const AgentProcess&) = delete;
    AgentProcess& operator=(const AgentProcess&) = delete;
    ~AgentProcess();

    // Starts the program and waits for its agent window. The first program
    // of a fresh Wine session waits for Wine's services, hence the long
    // default.
    bool start(const std::wstring& program, DWORD timeoutMs = 30000);

    HWND window() const { return window_; }
    DWORD id() const { return info_.dwProcessId; }
    bool running() const;
    bool post(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;

    // Waits for the process to end while this thread's windows stay served.
    bool waitForExit(DWORD timeoutMs) const;
    DWORD exitCode() const;
    void terminate();

  private:
    PROCESS_INFORMATION info_ = {};
    HWND window_ = nullptr;
};

// A top-level window that records every WM_VIGILOR_STATE it receives. Made
// with the configuration application's class and title (the default) it
// plays that application's main window; made with another class or title it
// is a window the agent must leave alone. It records whoever registered its
// class.
class StateRecorder {
  public:
    StateRecorder();
    StateRecorder(const wchar_t* cls, const wchar_t* title);
    StateRecorder(const StateRecorder&) = delete;
    StateRecorder& operator=(const StateRecorder&) = delete;
    ~StateRecorder();

    HWND handle() const { return window_; }
    const std::vector<WPARAM>& states() const { return states_; }
    size_t count() const { return states_.size(); }
    WPARAM last() const { return states_.back(); }

    // Waits until `count` states have arrived in all.
    bool waitForStates(size_t count, DWORD timeoutMs);

    // Posts a query to `agent` and waits for the next state. Returns the
    // state and the round trip in milliseconds.
    std::optional<std::pair<WPARAM, double>> query(HWND agent, DWORD timeoutMs);

  private:
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND window_ = nullptr;
    std::vector<WPARAM> states_;
};

// A steady clock in milliseconds, fine enough for round trips.
double nowMs();

// A folder of its own under the temporary folder, removed with its files.
class TempFolder {
  public:
    TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    ~TempFolder();
    const std::wstring& path() const { return path_; }

  private:
    std::wstring path_;
};

} // namespace vigilor_test
