#include "agent_program_fixture.h"

#include "peer_window.h"

#include <cwchar>

namespace vigilor_test {

namespace {

// The class that the configuration application would have if it were built
// with another Qt: an agent that looks for a fixed class instead of the
// derived one would find this window.
const wchar_t* otherQtClass() {
    return std::wcscmp(VIGILOR_CONFIG_WINDOW_CLASS, L"Qt650QWindowIcon") == 0 ? L"Qt642QWindowIcon"
                                                                              : L"Qt650QWindowIcon";
}

DWORD const kReplyTimeoutMs = 5000;

} // namespace

void AgentProgram::SetUp() {
    // An agent left over by an earlier test would answer in place of ours.
    ASSERT_EQ(findAgentWindow(0), nullptr) << "another VigilorTaskbar is running";
    deleteSettings();
    config = std::make_unique<StateRecorder>(VIGILOR_CONFIG_WINDOW_CLASS, kConfigTitle);
    otherClass = std::make_unique<StateRecorder>(otherQtClass(), kConfigTitle);
    otherTitle = std::make_unique<StateRecorder>(VIGILOR_CONFIG_WINDOW_CLASS, L"PC-Vigilor 2");
    ASSERT_NE(config->handle(), nullptr);
    ASSERT_NE(otherClass->handle(), nullptr);
    ASSERT_NE(otherTitle->handle(), nullptr);
}

void AgentProgram::TearDown() {
    agent.terminate();
    pumpPending();
    if (otherClass) {
        EXPECT_TRUE(otherClass->states().empty())
            << "the agent posted to a window of another class";
    }
    if (otherTitle) {
        EXPECT_TRUE(otherTitle->states().empty())
            << "the agent posted to a window of another title";
    }
    deleteSettings();
}

void AgentProgram::startAgent() {
    ASSERT_TRUE(agent.start(windowsPath(VIGILOR_AGENT_EXE)))
        << "VigilorTaskbar.exe did not show its window";
}

std::optional<WPARAM> AgentProgram::exchange(UINT message, WPARAM wParam, HWND target) {
    if (!config) {
        ADD_FAILURE() << "no configuration window to receive the answer";
        return std::nullopt;
    }
    size_t before = config->states().size();
    if (!PostMessageW(target != nullptr ? target : agent.window(), message, wParam, 0)) {
        ADD_FAILURE() << "could not post message " << message;
        return std::nullopt;
    }
    if (!config->waitForStates(before + 1, kReplyTimeoutMs)) {
        return std::nullopt;
    }
    return config->states()[before];
}

void AgentProgram::waitUntilAgentIdle() {
    ASSERT_TRUE(agent.post(WM_COMMAND, IDM_ABOUT));
    HWND about = nullptr;
    ASSERT_TRUE(pumpUntil(
        [&] {
            about = findProcessWindow(agent.id(), L"#32770", L"About VigilorTaskbar");
            return about != nullptr;
        },
        kReplyTimeoutMs))
        << "the About box did not open";
    PostMessageW(about, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(pumpUntil([&] { return !IsWindow(about); }, kReplyTimeoutMs))
        << "the About box did not close";
}

::testing::AssertionResult AgentProgram::isEndMinute(WPARAM end, DWORD before, DWORD after,
                                                     DWORD length) {
    // The agent reads the clock between the two readings here, which at most
    // one minute boundary separates.
    if (end == before + length || end == after + length) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure()
           << "end minute " << end << ", expected " << before + length
           << (after != before ? " or " + std::to_string(after + length) : std::string());
}

} // namespace vigilor_test
