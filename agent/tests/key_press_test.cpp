#include "agent_test_support.h"

#include "agent.h"
#include "key_press.h"
#include "session.h"

#include <vector>

using namespace test;

// The agent's calls to GetAsyncKeyState and SendInput go through their
// import slots; this program fills those slots itself, so the tests decide
// which keys are down and see exactly what would be injected.
namespace {

bool rightControlDown = false;
int sendInputCalls = 0;
std::vector<INPUT> injected;

SHORT WINAPI fakeGetAsyncKeyState(int key) {
    return key == VK_RCONTROL && rightControlDown ? SHORT(0x8000) : SHORT(0);
}

UINT WINAPI fakeSendInput(UINT count, LPINPUT inputs, int size) {
    ++sendInputCalls;
    if (size == sizeof(INPUT)) {
        injected.assign(inputs, inputs + count);
    }
    return count;
}

} // namespace

extern "C" {
void* __imp_GetAsyncKeyState = reinterpret_cast<void*>(&fakeGetAsyncKeyState);
void* __imp_SendInput = reinterpret_cast<void*>(&fakeSendInput);
}

class KeyPressTest : public AgentTest {
  protected:
    void SetUp() override {
        AgentTest::SetUp();
        rightControlDown = false;
        sendInputCalls = 0;
        injected.clear();
    }
};

TEST_F(KeyPressTest, HeldRightControlIsReleased) {
    rightControlDown = true;
    simulatePressProc(nullptr, WM_TIMER, KEY_PRESS_TIMER, 0);
    EXPECT_EQ(sendInputCalls, 1);
    ASSERT_EQ(injected.size(), 1u);
    EXPECT_EQ(injected[0].type, DWORD(INPUT_KEYBOARD));
    EXPECT_EQ(injected[0].ki.wVk, VK_RCONTROL);
    EXPECT_EQ(injected[0].ki.wScan, 0);
    EXPECT_EQ(injected[0].ki.dwFlags, DWORD(KEYEVENTF_KEYUP));
    EXPECT_EQ(injected[0].ki.time, 0u);
    EXPECT_EQ(injected[0].ki.dwExtraInfo, 0u);
}

TEST_F(KeyPressTest, NothingIsInjectedWhenNoKeyIsHeld) {
    injected.resize(3);
    simulatePressProc(nullptr, WM_TIMER, KEY_PRESS_TIMER, 0);
    EXPECT_EQ(sendInputCalls, 1);
    EXPECT_TRUE(injected.empty());
}

TEST_F(KeyPressTest, TimerRunsOnlyDuringASessionThatAsksForIt) {
    startVigilorSession();
    EXPECT_FALSE(timerRunning(KEY_PRESS_TIMER));
    setDword(L"simulatePress", 1);
    startVigilorSession();
    EXPECT_TRUE(timerRunning(KEY_PRESS_TIMER));
    startVigilorSession();
    cancelVigilorSession();
    EXPECT_FALSE(timerRunning(KEY_PRESS_TIMER));
}

TEST_F(KeyPressTest, TimerTicksReachTheCallback) {
    // A real tick through the message loop: 60 ms instead of minutes.
    rightControlDown = true;
    SetTimer(agentWindow, KEY_PRESS_TIMER, 60, simulatePressProc);
    EXPECT_TRUE(pumpUntil([] { return sendInputCalls >= 2; }, 3000));
    endVigilorSession();
    int calls = sendInputCalls;
    pumpMessages(300);
    EXPECT_EQ(sendInputCalls, calls);
}

TEST(KeyPressInterval, MinutesToMilliseconds) {
    SessionOptions options;
    EXPECT_EQ(keyPressIntervalMilliseconds(options), 60000u);
    options.simulatePressTimeOut = 10;
    EXPECT_EQ(keyPressIntervalMilliseconds(options), 600000u);
    // 0 would make a timer of the shortest period, injecting all the time.
    options.simulatePressTimeOut = 0;
    EXPECT_EQ(keyPressIntervalMilliseconds(options), 60000u);
    options.simulatePressTimeOut = 0xFFFFFFFF;
    EXPECT_EQ(keyPressIntervalMilliseconds(options), uint64_t{USER_TIMER_MAXIMUM});
}
