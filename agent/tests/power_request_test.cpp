#include "agent_test_support.h"

#include "agent.h"
#include "fake_powrprof.h"
#include "session.h"
#include "session_texts.h"
#include "shutdown.h"
#include "texts.h"
#include "tray_stand_in.h"

using namespace test;
using fake_power::openRequests;
using fake_power::requests;

// A forced shutdown goes through this program's own import slot: it must
// find the power request already given back, as nothing runs after it.
namespace {

int shutdownRequests = 0;
int requestsOpenAtShutdown = -1;
UINT shutdownFlags = 0;
DWORD shutdownReason = 0;
DWORD shutdownError = ERROR_SUCCESS; // Windows' answer

BOOL WINAPI fakeExitWindowsEx(UINT flags, DWORD reason) {
    ++shutdownRequests;
    requestsOpenAtShutdown = openRequests();
    shutdownFlags = flags;
    shutdownReason = reason;
    SetLastError(shutdownError);
    return shutdownError == ERROR_SUCCESS;
}

std::wstring expectedReason() {
    SYSTEMTIME now = {};
    GetLocalTime(&now);
    return L"PC-Vigilor keeps this PC awake until " + sessionEndText(now, sessionEnd);
}

} // namespace

extern "C" {
void* __imp_ExitWindowsEx = reinterpret_cast<void*>(&fakeExitWindowsEx);
}

TEST_F(AgentTest, SessionHoldsANamedPowerRequestUntilItEnds) {
    startVigilorSession();
    ASSERT_EQ(requests().size(), 1u);
    const fake_power::PowerRequest& request = requests()[0];
    EXPECT_EQ(request.version, ULONG(POWER_REQUEST_CONTEXT_VERSION));
    EXPECT_EQ(request.flags, DWORD(POWER_REQUEST_CONTEXT_SIMPLE_STRING));
    EXPECT_EQ(request.reason, expectedReason());
    EXPECT_TRUE(request.systemSet);
    EXPECT_TRUE(request.displaySet) << "monitorOn is 1 by default";
    EXPECT_FALSE(request.closed);

    cancelVigilorSession();
    EXPECT_EQ(requests()[0].systemClears, 1);
    EXPECT_EQ(requests()[0].displayClears, 1);
    EXPECT_TRUE(requests()[0].closed);
    EXPECT_EQ(executionState(), ES_CONTINUOUS);
}

TEST_F(AgentTest, NewStartReplacesThePowerRequestAndEveryEndGivesItBack) {
    setDword(L"monitorOn", 0);
    startVigilorSession();
    startVigilorSession();
    ASSERT_EQ(requests().size(), 2u);
    EXPECT_TRUE(requests()[0].closed);
    EXPECT_EQ(requests()[0].systemClears, 1);
    EXPECT_FALSE(requests()[1].displaySet) << "the display is not kept on";
    EXPECT_EQ(requests()[1].displayClears, 0);
    handleSessionTimeout(agentWindow, WM_TIMER, SESSION_TIMER, 0);
    EXPECT_EQ(openRequests(), 0);

    startVigilorSession();
    PostMessageW(agentWindow, WM_COMMAND, IDM_CLOSE, 0);
    EXPECT_TRUE(pumpMessages(200));
    EXPECT_EQ(openRequests(), 0) << "Close left the request held";
}

TEST_F(AgentTest, FailingPowerRequestChangesNothingElse) {
    fake_power::resetRequests(true, false);
    startVigilorSession();
    EXPECT_NE(sessionEndMinute, 0u);
    EXPECT_EQ(executionState(), ES_CONTINUOUS | ES_SYSTEM_REQUIRED | ES_DISPLAY_REQUIRED);
    cancelVigilorSession();
    EXPECT_EQ(executionState(), ES_CONTINUOUS);

    // Made, but refused: nothing to clear, yet it is closed.
    fake_power::resetRequests(false, true);
    startVigilorSession();
    cancelVigilorSession();
    ASSERT_EQ(requests().size(), 1u);
    EXPECT_EQ(requests()[0].systemClears + requests()[0].displayClears, 0);
    EXPECT_TRUE(requests()[0].closed);
}

TEST_F(AgentTest, AutomaticResumeAsksAgainToKeepThePcAwake) {
    // Without a session there is nothing to ask for.
    SendMessageW(agentWindow, WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0);
    EXPECT_TRUE(requests().empty());

    setDword(L"monitorOn", 0);
    startVigilorSession();
    // What the PC lost while it slept.
    SetThreadExecutionState(ES_CONTINUOUS);
    SendMessageW(agentWindow, WM_POWERBROADCAST, PBT_APMSUSPEND, 0);
    EXPECT_EQ(requests().size(), 1u);
    SendMessageW(agentWindow, WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0);
    EXPECT_EQ(executionState(), ES_CONTINUOUS | ES_SYSTEM_REQUIRED);
    ASSERT_EQ(requests().size(), 2u);
    EXPECT_TRUE(requests()[0].closed);
    EXPECT_TRUE(requests()[1].systemSet);
    EXPECT_FALSE(requests()[1].displaySet);
    EXPECT_EQ(requests()[1].reason, expectedReason());
}

TEST_F(AgentTest, ShutdownGivesThePowerRequestBackFirst) {
    setDword(L"shutdownWindows", 1);
    startVigilorSession();
    startShutdownCountdown(agentWindow, WM_TIMER, SESSION_TIMER, 0);
    shutdownRequests = 0;
    for (int i = 0; i < 10; ++i) {
        shutdownCountdownTick(agentWindow, WM_TIMER, SESSION_TIMER, 0);
    }
    ASSERT_EQ(shutdownRequests, 1);
    EXPECT_EQ(requestsOpenAtShutdown, 0);
    EXPECT_EQ(shutdownFlags, UINT{EWX_POWEROFF | EWX_FORCEIFHUNG});
    EXPECT_EQ(shutdownReason, DWORD{SHTDN_REASON_FLAG_PLANNED}); // "Other (Planned)"
    size_t records = processTray().records().size();
    SendMessageW(agentWindow, WM_ENDSESSION, FALSE, 0);
    EXPECT_EQ(processTray().notificationsSince(records),
              std::vector<std::wstring>{L"Windows did not shut down: the "
                                        L"shutdown was cancelled, or a program "
                                        L"kept it from happening."});
    shutdownError = ERROR_ACCESS_DENIED;
    startVigilorSession();
    startShutdownCountdown(agentWindow, WM_TIMER, SESSION_TIMER, 0);
    records = processTray().records().size();
    for (int i = 0; i < 10; ++i) {
        shutdownCountdownTick(agentWindow, WM_TIMER, SESSION_TIMER, 0);
    }
    shutdownError = ERROR_SUCCESS;
    // Windows' own words for the reason, in the user's language.
    EXPECT_EQ(processTray().notificationsSince(records),
              std::vector<std::wstring>{L"Windows did not shut down: " +
                                        systemErrorText(ERROR_ACCESS_DENIED)});
}
