#include "agent_test_support.h"

#include "agent.h"
#include "peer_window.h"
#include "popup.h"
#include "program_support.h"
#include "session.h"

#include <string>
#include <vector>

using namespace test;

// The agent's trace lines go through the import slots of the debugger-output
// calls; this program fills those slots itself to read them.
namespace {

std::vector<std::wstring> traces;

void WINAPI recordTraceA(LPCSTR text) {
    traces.emplace_back(text, text + strlen(text));
}

void WINAPI recordTraceW(LPCWSTR text) {
    traces.emplace_back(text);
}

} // namespace

extern "C" {
void* __imp_OutputDebugStringA = reinterpret_cast<void*>(&recordTraceA);
void* __imp_OutputDebugStringW = reinterpret_cast<void*>(&recordTraceW);
}

namespace {

size_t count(const std::wstring& line) {
    size_t n = 0;
    for (const std::wstring& trace : traces) {
        n += trace == line;
    }
    return n;
}

} // namespace

class TraceTest : public AgentTest {
  protected:
    void SetUp() override {
        AgentTest::SetUp();
        traces.clear();
    }
};

TEST_F(TraceTest, EveryReportIsPostedAndTraced) {
    vigilor_test::StateRecorder config;
    ASSERT_NE(config.handle(), nullptr);
    SendMessageW(agentWindow, WM_VIGILOR_QUERY, 0, 0);
    SendMessageW(agentWindow, WM_COMMAND, IDM_SESSION, 0);
    DWORD end = sessionEndMinute;
    SendMessageW(agentWindow, WM_VIGILOR_CANCEL, 0, 0);
    // A session that runs out is reported unasked too.
    SendMessageW(agentWindow, WM_VIGILOR_START, 0, 0);
    DWORD secondEnd = sessionEndMinute;
    handleSessionTimeout(agentWindow, WM_TIMER, SESSION_TIMER, 0);
    ASSERT_TRUE(config.waitForStates(5, 1000));
    EXPECT_EQ(config.states(), (std::vector<WPARAM>{0, end, 0, secondEnd, 0}));
    EXPECT_EQ(count(L"PC-Vigilor Found"), 5u);
    EXPECT_EQ(count(L"startVigilorSession\n"), 1u);
}

TEST_F(TraceTest, NothingIsPostedWithoutTheConfigurationWindow) {
    SendMessageW(agentWindow, WM_VIGILOR_QUERY, 0, 0);
    startVigilorSession();
    cancelVigilorSession();
    EXPECT_EQ(count(L"PC-Vigilor Found"), 0u);
}

TEST_F(TraceTest, PopupsLeaveTheirTraceLines) {
    showMsgWnd(L" one ");
    showMsgWnd(L" two ");
    EXPECT_EQ(count(L"msgHWnd != NULL\n"), 1u);
    closeMsgWnd();
    EXPECT_EQ(count(L"closeMsgWnd"), 1u);

    showCountdownWnd(L" Shut down in 10 seconds. ");
    SendMessageW(msgHWnd, WM_COMMAND, IDC_COUNTDOWN_CANCEL, 0);
    EXPECT_EQ(count(L"BN_CLICKED\n"), 1u);
    EXPECT_EQ(msgHWnd, nullptr);
}
