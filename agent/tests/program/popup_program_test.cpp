// The notice popups as another program sees them: windows of the agent's
// class and title, found on the desktop.
#include "agent_program_fixture.h"

namespace vigilor_test {
namespace {

using Popups = AgentProgram;

DWORD const kPopupGoneTimeoutMs = 6000;

// Without a window manager, Wine waits two seconds in vain for one to
// acknowledge each hide before the window is destroyed; what the user sees
// ends with the hide. How close to two seconds that comes is measured by the
// benchmark; here the notice only has to go, and not before its time.
bool waitUntilNoPopupShows(DWORD processId) {
    return pumpUntil(
        [&] {
            for (HWND popup : findPopups(processId)) {
                if (IsWindowVisible(popup)) {
                    return false;
                }
            }
            return true;
        },
        kPopupGoneTimeoutMs);
}

bool waitUntilNoPopupExists(DWORD processId) {
    return pumpUntil([&] { return findPopups(processId).empty(); }, kPopupGoneTimeoutMs);
}

TEST_F(Popups, StartShowsOneNoticeAtTheTopCentreForTwoSeconds) {
    ASSERT_NO_FATAL_FAILURE(startAgent());
    std::optional<WPARAM> end = exchange(WM_VIGILOR_START);
    ULONGLONG shown = GetTickCount64();
    ASSERT_TRUE(end);

    std::vector<HWND> popups = findPopups(agent.id());
    ASSERT_EQ(popups.size(), 1u);
    HWND popup = popups.front();
    RECT workArea = {};
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETWORKAREA, 0, &workArea, 0));
    RECT rect = {};
    ASSERT_TRUE(GetWindowRect(popup, &rect));
    int left = (workArea.right - kPopupWidth) / 2;
    EXPECT_EQ(rect.left, left);
    EXPECT_EQ(rect.top, 10);
    EXPECT_EQ(rect.right, left + kPopupWidth);
    EXPECT_EQ(rect.bottom, 10 + kPopupHeight);
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongPtrW(popup, GWL_EXSTYLE)), kNoticeExStyle);
    // Windows adds WS_CLIPSIBLINGS to every top-level window.
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongPtrW(popup, GWL_STYLE)) & ~DWORD{WS_CLIPSIBLINGS},
              DWORD{WS_POPUP | WS_VISIBLE});
    EXPECT_EQ(GetWindow(popup, GW_OWNER), nullptr);
    EXPECT_EQ(GetWindow(popup, GW_CHILD), nullptr) << "a notice has no button";

    ASSERT_TRUE(waitUntilNoPopupShows(agent.id())) << "the notice did not go";
    EXPECT_GE(GetTickCount64() - shown, 1500u);
    EXPECT_TRUE(waitUntilNoPopupExists(agent.id())) << "the popup was hidden, not destroyed";

    // Its end neither ends the agent nor the session.
    EXPECT_EQ(exchange(WM_VIGILOR_QUERY), end);
    EXPECT_TRUE(agent.running());
}

TEST_F(Popups, ANoticeWithinTwoSecondsReusesThePopupAndStaysTwoSecondsFromThen) {
    ASSERT_NO_FATAL_FAILURE(startAgent());
    ASSERT_TRUE(exchange(WM_VIGILOR_START));
    ULONGLONG started = GetTickCount64();
    std::vector<HWND> first = findPopups(agent.id());
    ASSERT_EQ(first.size(), 1u);

    // Halfway through the first notice's two seconds.
    pumpUntil([] { return false; }, 1000);
    ASSERT_EQ(exchange(WM_VIGILOR_CANCEL), WPARAM{0});
    ULONGLONG cancelled = GetTickCount64();
    EXPECT_EQ(findPopups(agent.id()), first) << "the cancel notice made a window of its own";

    ASSERT_TRUE(waitUntilNoPopupShows(agent.id())) << "the cancel notice did not go";
    ULONGLONG gone = GetTickCount64();
    EXPECT_GE(gone - cancelled, 1500u);
    EXPECT_GE(gone - started, 2500u) << "the first notice's time was not restarted";
}

TEST_F(Popups, ControlMessagesThatReachAPopupActAsOnTheAgentWindow) {
    ASSERT_NO_FATAL_FAILURE(startAgent());
    std::optional<WPARAM> end = exchange(WM_VIGILOR_START);
    ASSERT_TRUE(end);
    // Popups are topmost and share the agent window's class and title, so
    // the configuration application's FindWindowW may well return one.
    std::vector<HWND> popups = findPopups(agent.id());
    ASSERT_EQ(popups.size(), 1u);
    HWND popup = popups.front();

    EXPECT_EQ(exchange(WM_VIGILOR_QUERY, 0, popup), end);
    EXPECT_EQ(exchange(WM_VIGILOR_CANCEL, 0, popup), WPARAM{0});
    EXPECT_EQ(readSetting(L"VigilorActive"), DWORD{0});

    ASSERT_TRUE(writeSetting(L"duration", 20));
    ASSERT_TRUE(PostMessageW(popup, WM_VIGILOR_RELOAD, 0, 0));
    DWORD before = minuteOfDay();
    std::optional<WPARAM> restarted = exchange(WM_VIGILOR_START, 0, popup);
    DWORD after = minuteOfDay();
    ASSERT_TRUE(restarted);
    EXPECT_TRUE(isEndMinute(*restarted, before, after, 20));
    EXPECT_EQ(readSetting(L"VigilorActive"), DWORD{1});
    EXPECT_EQ(exchange(WM_VIGILOR_QUERY), restarted);
}

TEST_F(Popups, APopupClosedByAnotherProgramLeavesTheAgentAndLaterNoticesWorking) {
    ASSERT_NO_FATAL_FAILURE(startAgent());
    std::optional<WPARAM> end = exchange(WM_VIGILOR_START);
    ASSERT_TRUE(end);
    std::vector<HWND> popups = findPopups(agent.id());
    ASSERT_EQ(popups.size(), 1u);

    ASSERT_TRUE(PostMessageW(popups.front(), WM_CLOSE, 0, 0));
    ASSERT_TRUE(pumpUntil([&] { return !IsWindow(popups.front()); }, 5000));
    EXPECT_EQ(exchange(WM_VIGILOR_QUERY), end);
    EXPECT_TRUE(agent.running());

    // The next notice needs a window of its own, not the handle of the
    // closed one. A cancel reports before it shows its notice.
    ASSERT_EQ(exchange(WM_VIGILOR_CANCEL), WPARAM{0});
    EXPECT_TRUE(pumpUntil([&] { return findPopups(agent.id()).size() == 1; }, 5000))
        << "no notice after the cancel";
}

} // namespace
} // namespace vigilor_test
