// The real agent when the world around it fails: the agent itself killed in
// the middle of a session, the notification area losing its icon, the
// settings key deleted under a running session, and two agents at once.
#include "agent_driver.h"
#include "process_watch.h"

#include <gtest/gtest.h>

#include <shellapi.h>

using namespace vigilor_test;

namespace reliability {
namespace {

WPARAM const kTrayIconId = 1010;

class Faults : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(findAgentWindow(0), nullptr) << "another VigilorTaskbar is running";
        deleteSettings();
        ASSERT_TRUE(writeSetting(L"duration", DWORD{30}));
        ASSERT_NE(config.handle(), nullptr);
    }

    void TearDown() override { deleteSettings(); }

    // Posts `message` to `window` and returns the state it brings back.
    std::optional<WPARAM> exchange(HWND window, UINT message) {
        size_t count = config.count();
        if (!PostMessageW(window, message, 0, 0) || !config.waitForStates(count + 1, 5000)) {
            return std::nullopt;
        }
        return config.states()[count];
    }

    void close(AgentProcess& agent) {
        ASSERT_TRUE(agent.post(WM_COMMAND, IDM_CLOSE));
        EXPECT_TRUE(agent.waitForExit(10000)) << "Close did not end the agent";
        EXPECT_EQ(agent.exitCode(), 0u);
    }

    StateRecorder config;
};

// Killed during a session, the agent leaves only its "VigilorActive" behind
// (nothing reads it). The next agent starts without a session, runs one
// and ends it as usual.
TEST_F(Faults, AgentKilledDuringSessionLeavesTheNextOneClean) {
    {
        AgentProcess first;
        ASSERT_TRUE(first.start(agentProgram()));
        auto end = exchange(first.window(), WM_VIGILOR_START);
        ASSERT_TRUE(end);
        EXPECT_NE(*end, 0u);
        EXPECT_EQ(readSetting(L"VigilorActive"), 1u);
        first.terminate();
    }
    EXPECT_EQ(findAgentWindow(0), nullptr) << "the killed agent left a window";
    EXPECT_TRUE(findPopups(0).empty()) << "the killed agent left a popup";

    AgentProcess second;
    ASSERT_TRUE(second.start(agentProgram())) << "the agent did not start again";
    auto idle = exchange(second.window(), WM_VIGILOR_QUERY);
    ASSERT_TRUE(idle);
    EXPECT_EQ(*idle, 0u) << "a session outlived its agent";
    auto end = exchange(second.window(), WM_VIGILOR_START);
    ASSERT_TRUE(end);
    EXPECT_NE(*end, 0u);
    auto cancelled = exchange(second.window(), WM_VIGILOR_CANCEL);
    ASSERT_TRUE(cancelled);
    EXPECT_EQ(*cancelled, 0u);
    EXPECT_EQ(readSetting(L"VigilorActive"), 0u);
    close(second);
}

// The settings key deleted while a session runs: a re-read keeps the options
// the agent has, a new start runs with them, and the end writes
// "VigilorActive" 0 into a key made anew.
TEST_F(Faults, SettingsKeyDeletedDuringSession) {
    ASSERT_TRUE(writeSetting(L"duration", DWORD{7}));
    AgentProcess agent;
    ASSERT_TRUE(agent.start(agentProgram()));
    auto end = exchange(agent.window(), WM_VIGILOR_START);
    ASSERT_TRUE(end);

    deleteSettings();
    ASSERT_FALSE(readSetting(L"duration"));
    ASSERT_TRUE(agent.post(WM_VIGILOR_RELOAD));
    DWORD before = minuteOfDay();
    auto restarted = exchange(agent.window(), WM_VIGILOR_START);
    DWORD after = minuteOfDay();
    ASSERT_TRUE(restarted);
    EXPECT_TRUE(*restarted == before + 7 || *restarted == after + 7)
        << "end minute " << *restarted << ": the session did not keep its 7 minutes";
    EXPECT_EQ(readSetting(L"VigilorActive"), 1u) << "the start did not make the key anew";

    deleteSettings();
    auto cancelled = exchange(agent.window(), WM_VIGILOR_CANCEL);
    ASSERT_TRUE(cancelled);
    EXPECT_EQ(*cancelled, 0u);
    EXPECT_EQ(readSetting(L"VigilorActive"), 0u) << "the end did not make the key anew";
    close(agent);
}

// Two agents started at the same moment both come up. The configuration
// application's lookup reaches one of them, which runs the session; the
// other stays idle; closing both ends both, and the session with its agent.
TEST_F(Faults, TwoAgentsStartedAtOnce) {
    AgentProcess one, two;
    std::wstring program = agentProgram();
    // Both processes exist before either has its window.
    ASSERT_TRUE(one.start(program, 0) || one.running());
    ASSERT_TRUE(two.start(program, 0) || two.running());
    ASSERT_TRUE(pumpUntil(
        [&] {
            return findAgentWindow(one.id()) != nullptr && findAgentWindow(two.id()) != nullptr;
        },
        30000))
        << "not both agents came up";
    HWND windowOne = findAgentWindow(one.id());
    HWND windowTwo = findAgentWindow(two.id());

    HWND found = FindWindowW(kAgentClass, kAgentTitle);
    ASSERT_TRUE(found == windowOne || found == windowTwo);
    HWND other = found == windowOne ? windowTwo : windowOne;
    auto end = exchange(found, WM_VIGILOR_START);
    ASSERT_TRUE(end);
    EXPECT_NE(*end, 0u);
    auto idle = exchange(other, WM_VIGILOR_QUERY);
    ASSERT_TRUE(idle);
    EXPECT_EQ(*idle, 0u) << "the other agent reports a session";
    auto running = exchange(found, WM_VIGILOR_QUERY);
    ASSERT_TRUE(running);
    EXPECT_EQ(*running, *end);

    size_t count = config.count();
    PostMessageW(other, WM_COMMAND, IDM_CLOSE, 0);
    PostMessageW(found, WM_COMMAND, IDM_CLOSE, 0);
    EXPECT_TRUE(one.waitForExit(10000));
    EXPECT_TRUE(two.waitForExit(10000));
    EXPECT_EQ(one.exitCode(), 0u);
    EXPECT_EQ(two.exitCode(), 0u);
    // The agent with the session ended it on its way out.
    pumpPending();
    ASSERT_GT(config.count(), count);
    EXPECT_EQ(config.last(), 0u);
    EXPECT_EQ(readSetting(L"VigilorActive"), 0u);
}

// Explorer restarting comes to a program as the loss of its icon and the
// "TaskbarCreated" broadcast. The icon is taken away here as a new Explorer
// would not know it; after the broadcast the agent shows it again, and a
// running session can still be cancelled from its menu.
TEST(FaultsOnTheRootDesktop, TaskbarCreatedBringsTheIconBack) {
    ASSERT_EQ(findAgentWindow(0), nullptr) << "another VigilorTaskbar is running";
    deleteSettings();
    StateRecorder config;
    AgentProcess agent;
    ASSERT_TRUE(agent.start(agentProgram()));
    ASSERT_TRUE(pumpUntil([] { return trayIcons() == 1; }, 10000))
        << "no tray icon for the agent (" << trayIcons() << " icons)";
    ASSERT_TRUE(agent.post(WM_VIGILOR_START));
    ASSERT_TRUE(config.waitForStates(1, 5000));
    ASSERT_NE(config.last(), 0u);

    NOTIFYICONDATAW icon = {sizeof(icon)};
    icon.hWnd = agent.window();
    icon.uID = kTrayIconId;
    ASSERT_TRUE(Shell_NotifyIconW(NIM_DELETE, &icon));
    ASSERT_TRUE(pumpUntil([] { return trayIcons() == 0; }, 10000)) << "the icon did not go";

    UINT taskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
    ASSERT_NE(taskbarCreated, 0u);
    PostMessageW(HWND_BROADCAST, taskbarCreated, 0, 0);
    EXPECT_TRUE(pumpUntil([] { return trayIcons() == 1; }, 10000))
        << "the icon did not come back (" << trayIcons() << " icons)";

    // The menu's session item still answers.
    size_t count = config.count();
    ASSERT_TRUE(agent.post(WM_COMMAND, IDM_SESSION));
    ASSERT_TRUE(config.waitForStates(count + 1, 5000));
    EXPECT_EQ(config.last(), 0u);

    ASSERT_TRUE(agent.post(WM_COMMAND, IDM_CLOSE));
    EXPECT_TRUE(agent.waitForExit(10000));
    EXPECT_TRUE(pumpUntil([] { return trayIcons() == 0; }, 10000)) << "the icon stayed after Close";
    deleteSettings();
}

} // namespace
} // namespace reliability
