// A fresh agent per test: its window, icon, menus and options are set up by
// the same start-up code as in VigilorTaskbar.exe, on the test's thread.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include "program_support.h"
#include "settings.h"

#include <functional>
#include <optional>
#include <string>

namespace test {

void deleteSettingsKey();
void setDword(const wchar_t* name, DWORD value);
void setString(const wchar_t* name, const std::wstring& value, DWORD type = REG_SZ);
void setBinary(const wchar_t* name, const void* data, DWORD size, DWORD type);
std::optional<DWORD> readDword(const wchar_t* name);
// Whether the settings key holds a value of that name, of any type.
bool valueExists(const wchar_t* name);

// The text of the session item, read back from the menu.
std::wstring sessionItemText();

// The execution state that SetThreadExecutionState holds for this thread.
EXECUTION_STATE executionState();

// True while a timer of that id runs on the agent window. Looking kills it,
// so the caller re-arms it if the test goes on.
bool timerRunning(UINT_PTR id);

// Dispatches pending messages; returns true when a WM_QUIT came.
bool pumpMessages(DWORD milliseconds = 0);

// Waits, dispatching messages, until `done` is true.
using vigilor_test::pumpUntil;

// Top-level windows of the agent's class that are not the agent window.
std::vector<HWND> popupWindows();

std::wstring moduleFolder();

// Sets the clock of a test that libfaketime runs with the time read from the
// file VIGILOR_FAKETIME_FILE (call with ASSERT_NO_FATAL_FAILURE); the clock
// then stands still at `dateTime` ("2026-12-09 00:10:00").
void setClock(const std::string& dateTime);

} // namespace test

namespace vigilor_test {
class TrayStandIn;
}

// The stand-in notification area of this test process: every fixture test
// has it, so the agent's icon goes there.
vigilor_test::TrayStandIn& processTray();

class AgentTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;
};
