// How the agent ends, and what it shows when it cannot open the
// configuration application.
#include "agent_program_fixture.h"

namespace vigilor_test {
namespace {

// "Close" from the tray menu, and WM_CLOSE as any program may send it.
struct CloseRequest {
    UINT message;
    WPARAM wParam;
};
CloseRequest const kWindowClose{WM_CLOSE, 0};
CloseRequest const kCloseCommand{WM_COMMAND, IDM_CLOSE};

class AgentClose : public AgentProgram {
  protected:
    void closeRunningAgent(CloseRequest request) {
        ASSERT_NO_FATAL_FAILURE(startAgent());
        std::optional<WPARAM> end = exchange(WM_VIGILOR_START);
        ASSERT_TRUE(end);
        ASSERT_EQ(readSetting(L"VigilorActive"), DWORD{1});
        // The start notice is still up: its window shares the agent's
        // procedure, which must not take the agent window's end for a
        // popup's.
        ASSERT_EQ(findPopups(agent.id()).size(), 1u);

        ASSERT_TRUE(agent.post(request.message, request.wParam));
        ASSERT_TRUE(agent.waitForExit(10000)) << "the agent did not exit";
        EXPECT_EQ(agent.exitCode(), 0u);
        pumpPending();
        EXPECT_EQ(readSetting(L"VigilorActive"), DWORD{0});
        ASSERT_EQ(config->states().size(), 2u) << "the end of the session was not reported";
        EXPECT_EQ(config->states().back(), WPARAM{0});
    }

    void closeIdleAgent(CloseRequest request) {
        ASSERT_NO_FATAL_FAILURE(startAgent());
        ASSERT_TRUE(agent.post(request.message, request.wParam));
        ASSERT_TRUE(agent.waitForExit(10000)) << "the agent did not exit";
        EXPECT_EQ(agent.exitCode(), 0u);
        pumpPending();
        EXPECT_TRUE(config->states().empty());
        EXPECT_EQ(readSetting(L"VigilorActive"), std::nullopt);
    }
};

TEST_F(AgentClose, WindowCloseEndsTheRunningSessionBeforeTheAgentExits) {
    closeRunningAgent(kWindowClose);
}

TEST_F(AgentClose, CloseCommandEndsTheRunningSessionBeforeTheAgentExits) {
    closeRunningAgent(kCloseCommand);
}

TEST_F(AgentClose, WindowCloseEndsAnIdleAgentWithoutReports) {
    closeIdleAgent(kWindowClose);
}

TEST_F(AgentClose, CloseCommandEndsAnIdleAgentWithoutReports) {
    closeIdleAgent(kCloseCommand);
}

using ConfigurationLaunch = AgentProgram;

// Waits for the first dialog window of the agent's process and returns it,
// or nullptr. The agent's own box must be the first: a box of the shell in
// front of it would tell the user the same failure twice.
HWND waitForDialog(DWORD agentId) {
    HWND box = nullptr;
    pumpUntil(
        [&] {
            // Complete, with caption and text, once it shows.
            box = findProcessWindow(agentId, L"#32770", nullptr);
            return box != nullptr && IsWindowVisible(box);
        },
        10000);
    return box;
}

// The text of the box's message: its one static control with text (the
// icon is a static control without).
std::wstring messageText(HWND box) {
    for (HWND child = FindWindowExW(box, nullptr, L"Static", nullptr); child != nullptr;
         child = FindWindowExW(box, child, L"Static", nullptr)) {
        std::wstring text = windowText(child);
        if (!text.empty()) {
            return text;
        }
    }
    return {};
}

TEST_F(ConfigurationLaunch, MissingProgramShowsTheErrorBoxAndTheAgentRunsOn) {
    TempFolder emptyFolder;
    ASSERT_TRUE(writeSetting(L"Path", emptyFolder.path()));
    ASSERT_NO_FATAL_FAILURE(startAgent());

    // A single click is not a request to open anything.
    ASSERT_TRUE(agent.post(WM_TRAY_CALLBACK, 0, WM_LBUTTONDOWN));
    ASSERT_TRUE(agent.post(WM_TRAY_CALLBACK, 0, WM_LBUTTONUP));
    ASSERT_NO_FATAL_FAILURE(waitUntilAgentIdle());
    EXPECT_EQ(findProcessWindow(agent.id(), L"#32770", L"Error"), nullptr);

    // The double click, then the menu's "Configuration".
    const LPARAM kDoubleClick = WM_LBUTTONDBLCLK;
    for (auto [message, wParam, lParam] :
         {std::tuple{WM_TRAY_CALLBACK, WPARAM{0}, kDoubleClick},
          std::tuple{UINT{WM_COMMAND}, WPARAM{IDM_CONFIGURATION}, LPARAM{0}}}) {
        SCOPED_TRACE(message == WM_COMMAND ? "Configuration command" : "double click");
        ASSERT_TRUE(agent.post(message, wParam, lParam));
        HWND box = waitForDialog(agent.id());
        ASSERT_NE(box, nullptr) << "no error box";
        EXPECT_EQ(windowText(box), L"Error");
        EXPECT_EQ(messageText(box), L"Cannot open configuration dialog.");
        EXPECT_EQ(GetWindow(box, GW_OWNER), agent.window());
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        ASSERT_TRUE(pumpUntil([&] { return !IsWindow(box); }, 5000));
        EXPECT_EQ(exchange(WM_VIGILOR_QUERY), WPARAM{0}) << "the agent did not run on";
    }
}

} // namespace
} // namespace vigilor_test
