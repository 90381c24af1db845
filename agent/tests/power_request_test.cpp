#include "agent_test_support.h"

#include "agent.h"
#include "fake_powrprof.h"
#include "popup.h"
#include "session.h"
#include "session_texts.h"
#include "shutdown.h"
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
DWORD shutdownError = ERROR_SUCCESS; // what Windows answers

BOOL WINAPI fakeExitWindowsEx(UINT flags, DWORD reason) {
    ++shutdownRequests;
    requestsOpenAtShutdown = openRequests();
    shutdownFlags = flags;
    shutdownReason = reason;
    SetLastError(shutdownError);
    return shutdownError == ERROR_SUCCESS;
}

// The text of the latest notification of the agent's icon, if it is later
// than the first `count` records.
std::wstring notificationAfter(size_t count) {
    const std::vector<vigilor_test::TrayRecord>& records = processTray().records();
    for (size_t i = records.size(); i > count; --i) {
        if ((records[i - 1].flags & NIF_INFO) != 0) {
            return records[i - 1].info;
        }
    }
    return {};
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

// Windows may take minutes to shut down, or not do it at all: the session
// ends before the request, and the user hears when Windows refused it.
TEST_F(AgentTest, ShutdownEndsTheSessionAndGivesThePowerRequestBackFirst) {
    const std::wstring notShutDown = L"Windows did not shut down: ";
    for (DWORD error : {DWORD{ERROR_ACCESS_DENIED}, DWORD{ERROR_SUCCESS}}) {
        shutdownError = error;
        setDword(L"shutdownWindows", 1);
        startVigilorSession();
        startShutdownCountdown(agentWindow, WM_TIMER, SESSION_TIMER, 0);
        shutdownRequests = 0;
        size_t records = processTray().records().size();
        for (int i = 0; i < 10; ++i) {
            shutdownCountdownTick(agentWindow, WM_TIMER, SESSION_TIMER, 0);
        }
        ASSERT_EQ(shutdownRequests, 1);
        EXPECT_EQ(shutdownFlags, UINT{EWX_POWEROFF | EWX_FORCEIFHUNG});
        EXPECT_EQ(shutdownReason, DWORD{SHTDN_REASON_FLAG_PLANNED}); // "Other (Planned)"
        EXPECT_EQ(requestsOpenAtShutdown, 0);
        EXPECT_EQ(sessionEndMinute, 0u);
        EXPECT_EQ(readDword(L"VigilorActive"), 0u);
        EXPECT_EQ(msgHWnd, nullptr);
        EXPECT_EQ(shutdownCountdown, 0);
        EXPECT_FALSE(timerRunning(SESSION_TIMER));
        EXPECT_EQ(processTray().records().back().tip, L"Vigilor Helper");
        std::wstring told = notificationAfter(records);
        EXPECT_EQ(told.compare(0, notShutDown.size(), notShutDown) == 0, error != ERROR_SUCCESS)
            << std::string(told.begin(), told.end());
    }
    // Taken, then called off by Windows.
    size_t records = processTray().records().size();
    SendMessageW(agentWindow, WM_ENDSESSION, FALSE, 0);
    EXPECT_EQ(notificationAfter(records).compare(0, notShutDown.size(), notShutDown), 0);
}
