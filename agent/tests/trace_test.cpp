#include "agent_test_support.h"

#include "agent.h"
#include "peer_window.h"
#include "popup.h"
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

// A window of the class and title under which the configuration application
// shows its main window; it keeps the state reports posted to it.
struct ConfigWindowStandIn {
    HWND window = nullptr;
    ConfigWindowStandIn() {
        WNDCLASSEXW wc = {sizeof(wc)};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = VIGILOR_CONFIG_WINDOW_CLASS;
        RegisterClassExW(&wc);
        window = CreateWindowExW(0, VIGILOR_CONFIG_WINDOW_CLASS, L"PC-Vigilor", WS_OVERLAPPED, 0, 0,
                                 10, 10, nullptr, nullptr, wc.hInstance, nullptr);
    }
    ~ConfigWindowStandIn() { DestroyWindow(window); }

    // The state reports waiting in the queue, oldest first.
    std::vector<WPARAM> reports() {
        std::vector<WPARAM> found;
        MSG msg;
        while (PeekMessageW(&msg, window, WM_VIGILOR_STATE, WM_VIGILOR_STATE, PM_REMOVE)) {
            found.push_back(msg.wParam);
        }
        return found;
    }
};

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
    ConfigWindowStandIn config;
    ASSERT_NE(config.window, nullptr);
    SendMessageW(agentWindow, WM_VIGILOR_QUERY, 0, 0);
    SendMessageW(agentWindow, WM_COMMAND, IDM_SESSION, 0);
    DWORD end = sessionEndMinute;
    SendMessageW(agentWindow, WM_VIGILOR_CANCEL, 0, 0);
    // A session that runs out is reported unasked too.
    SendMessageW(agentWindow, WM_VIGILOR_START, 0, 0);
    DWORD secondEnd = sessionEndMinute;
    handleSessionTimeout(agentWindow, WM_TIMER, SESSION_TIMER, 0);
    EXPECT_EQ(config.reports(), (std::vector<WPARAM>{0, end, 0, secondEnd, 0}));
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
