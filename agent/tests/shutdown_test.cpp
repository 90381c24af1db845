#include "agent_test_support.h"

#include "agent.h"
#include "popup.h"
#include "session.h"
#include "shutdown.h"

using namespace test;

TEST(CountdownText, CountsDownThroughZeroAndBelow) {
    EXPECT_EQ(countdownText(10), L" Shut down in 10 seconds. ");
    EXPECT_EQ(countdownText(1), L" Shut down in 1 seconds. ");
    EXPECT_EQ(countdownText(0), L" Shut down in 0 seconds. ");
    EXPECT_EQ(countdownText(-2), L" Shut down in -2 seconds. ");
}

TEST_F(AgentTest, CountdownStartsAtTenAndTicksEverySecond) {
    setDword(L"shutdownWindows", 1);
    startVigilorSession();
    startShutdownCountdown(agentWindow, WM_TIMER, SESSION_TIMER, 0);
    EXPECT_EQ(shutdownCountdown, 10);
    EXPECT_EQ(msgWndKind, kPopupCountdown);
    EXPECT_EQ(msgText, L" Shut down in 10 seconds. ");
    // The countdown is still the running session.
    EXPECT_NE(sessionEndMinute, 0u);
    EXPECT_EQ(readDword(L"VigilorActive"), 1u);

    // One real tick through the message loop.
    EXPECT_TRUE(pumpUntil([] { return shutdownCountdown == 9; }, 3000));
    EXPECT_EQ(msgText, L" Shut down in 9 seconds. ");
    for (int i = 0; i < 7; ++i) {
        shutdownCountdownTick(agentWindow, WM_TIMER, SESSION_TIMER, 0);
    }
    EXPECT_EQ(msgText, L" Shut down in 2 seconds. ");
    EXPECT_TRUE(IsWindow(msgHWnd));
}

TEST_F(AgentTest, StartDuringTheCountdownStopsIt) {
    setDword(L"shutdownWindows", 1);
    startVigilorSession();
    startShutdownCountdown(agentWindow, WM_TIMER, SESSION_TIMER, 0);
    setDword(L"shutdownWindows", 0);
    startVigilorSession();
    EXPECT_EQ(sessionTimerTarget, handleSessionTimeout);
    EXPECT_EQ(msgWndKind, kPopupNotice);
    pumpMessages(1300);
    EXPECT_EQ(shutdownCountdown, 10);
}

TEST_F(AgentTest, CancelFromTheMenuDuringTheCountdownStopsIt) {
    setDword(L"shutdownWindows", 1);
    startVigilorSession();
    startShutdownCountdown(agentWindow, WM_TIMER, SESSION_TIMER, 0);
    HWND countdown = msgHWnd;
    SendMessageW(agentWindow, WM_COMMAND, IDM_SESSION, 0);
    EXPECT_EQ(sessionEndMinute, 0u);
    EXPECT_EQ(msgText, L" Vigilor Session Canceled ");
    EXPECT_EQ(msgHWnd, countdown);
    pumpMessages(1300);
    EXPECT_EQ(shutdownCountdown, 10);
    EXPECT_TRUE(pumpUntil([&] { return !IsWindow(countdown); }, 2500));
}
