// One running VigilorTaskbar.exe per test, a window that plays the
// configuration application's main window, and two look-alike windows that
// the agent must not post to while that window is there.
#pragma once

#include "program_support.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>

namespace vigilor_test {

class AgentProgram : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Starts VigilorTaskbar.exe (call with ASSERT_NO_FATAL_FAILURE).
    void startAgent();

    // Posts `message` to `target` (the agent window when none) and returns the
    // next state that reaches the configuration window, if one comes.
    std::optional<WPARAM> exchange(UINT message, WPARAM wParam = 0, HWND target = nullptr);

    // Returns once the agent has handled everything posted to it so far: the
    // About box that a posted command opens can only appear after that. Call
    // with ASSERT_NO_FATAL_FAILURE.
    void waitUntilAgentIdle();

    // The session end minute that a session of `length` minutes, started by
    // the agent between the local minutes `before` and `after`, must have.
    static ::testing::AssertionResult isEndMinute(WPARAM end, DWORD before, DWORD after,
                                                  DWORD length);

    AgentProcess agent;
    std::unique_ptr<StateRecorder> config;
    // The other Qt version's class with the right title, and the right class
    // with another title.
    std::unique_ptr<StateRecorder> otherClass;
    std::unique_ptr<StateRecorder> otherTitle;
};

} // namespace vigilor_test
