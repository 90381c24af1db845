#include "agent_test_support.h"

#include "agent.h"
#include "fake_powrprof.h"
#include "fake_user_session.h"
#include "popup.h"
#include "session.h"
#include "test_registry.h"
#include "tray_stand_in.h"

#include <chrono>
#include <vector>

namespace test {

void deleteSettingsKey() {
    RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
}

void setBinary(const wchar_t* name, const void* data, DWORD size, DWORD type) {
    EXPECT_TRUE(vigilor_test::writeValue(kSettingsKey, name, type, data, size));
}

void setDword(const wchar_t* name, DWORD value) {
    setBinary(name, &value, sizeof(value), REG_DWORD);
}

void setString(const wchar_t* name, const std::wstring& value, DWORD type) {
    setBinary(name, value.c_str(), static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)), type);
}

std::optional<DWORD> readDword(const wchar_t* name) {
    return vigilor_test::readDword(kSettingsKey, name);
}

bool valueExists(const wchar_t* name) {
    return RegGetValueW(HKEY_CURRENT_USER, kSettingsKey, name, RRF_RT_ANY, nullptr, nullptr,
                        nullptr) == ERROR_SUCCESS;
}

std::wstring sessionItemText() {
    wchar_t text[128] = {};
    GetMenuStringW(sessionMenu, IDM_SESSION, text, ARRAYSIZE(text), MF_BYCOMMAND);
    return text;
}

EXECUTION_STATE executionState() {
    // With a continuous state in force, a call with 0 reports it and
    // changes nothing.
    return SetThreadExecutionState(0);
}

bool timerRunning(UINT_PTR id) {
    return KillTimer(agentWindow, id) != FALSE;
}

bool pumpMessages(DWORD milliseconds) {
    bool quit = false;
    auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    do {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                quit = true;
                continue;
            }
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (milliseconds > 0) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        }
    } while (std::chrono::steady_clock::now() < until);
    return quit;
}

std::vector<HWND> popupWindows() {
    std::vector<HWND> found;
    HWND window = nullptr;
    while ((window = FindWindowExW(nullptr, window, szWindowClass, szTitle)) != nullptr) {
        if (window != agentWindow) {
            found.push_back(window);
        }
    }
    return found;
}

void setClock(const std::string& dateTime) {
    HANDLE clock = CreateFileW(vigilor_test::windowsPath(VIGILOR_FAKETIME_FILE).c_str(),
                               GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(clock, INVALID_HANDLE_VALUE);
    std::string line = dateTime + "\n";
    DWORD written = 0;
    WriteFile(clock, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    CloseHandle(clock);
}

std::wstring moduleFolder() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder = path;
    return folder.substr(0, folder.find_last_of(L'\\'));
}

} // namespace test

// Wine hands tray icons to the first window of class "Shell_TrayWnd" it
// finds; without one it shows each icon as an X window of its own, and on a
// bare X server waits two seconds in vain for a window manager when the icon
// goes. One stand-in taskbar serves every test of the process.
vigilor_test::TrayStandIn& processTray() {
    static vigilor_test::TrayStandIn* tray = new vigilor_test::TrayStandIn();
    return *tray;
}

void AgentTest::SetUp() {
    processTray();
    test::deleteSettingsKey();
    fake_power::reset(fake_power::kBalanced);
    fake_power::resetRequests();
    fake_user_session::reset();
    sessionOptions = SessionOptions{};
    ASSERT_TRUE(initInstance(GetModuleHandleW(nullptr)));
}

void AgentTest::TearDown() {
    if (agentWindow != nullptr) {
        DestroyWindow(agentWindow);
    }
    // The agent's end posts WM_QUIT; it is for this test only.
    test::pumpMessages();
    test::deleteSettingsKey();
}
