// What the notifications tell where only stand-ins can play Windows: the
// battery as Windows shows it, notifications the user could not see or that
// wait for the tray icon, a Remote Desktop session's idle limit.
#include "agent_test_support.h"

#include "agent.h"
#include "fake_powrprof.h"
#include "fake_user_session.h"
#include "session.h"
#include "tray_stand_in.h"

using namespace test;

namespace {

using Texts = std::vector<std::wstring>;

// The battery subgroup of a power plan, its critical and low actions and
// levels.
GUID const kBattery = {
    0xe73a048d, 0xbf27, 0x4f12, {0x97, 0x31, 0x8b, 0x20, 0x76, 0xe8, 0x89, 0x1f}};
GUID const kAction = {0x637ea02f, 0xbbcb, 0x4015, {0x8e, 0x2c, 0xa1, 0xc7, 0xb9, 0xc0, 0xb5, 0x46}};
GUID const kLevel = {0x9a66d8d7, 0x4ff7, 0x4ef9, {0xb5, 0xa2, 0x5a, 0x32, 0x6c, 0xa2, 0xa4, 0x69}};
GUID const kLowAction = {
    0xd8742dcb, 0x3e6a, 0x4b3c, {0xb3, 0xfe, 0x37, 0x46, 0x23, 0xcd, 0xcf, 0x06}};
GUID const kLowLevel = {
    0x8183ba9a, 0xe910, 0x48da, {0x87, 0x69, 0x14, 0xae, 0x6d, 0xc1, 0x17, 0x0a}};

const wchar_t kStandby[] = L"On battery, Windows ends requests to keep this PC awake five "
                           L"minutes after its sleep timeout. Keeping the display on avoids it.";

// A worn battery with Modern Standby: 40 Wh full, 50 Wh when new, its own
// alert at 4 Wh (10 % of full, 8 % when new).
void useWornBattery(BYTE percent) {
    fake_power::setBattery({false, percent, 50000, percent * 400u, 4000, true});
}

class Notices : public AgentTest {
  protected:
    void TearDown() override {
        tray.refuseFirstRecords(0); // what waits for the icon goes with this test
        SendMessageW(agentWindow, taskbarCreated, 0, 0);
        AgentTest::TearDown();
    }
    template <typename Look> Texts told(Look look) {
        size_t seen = tray.records().size();
        look();
        return tray.notificationsSince(seen);
    }
    static void powerSourceChanged() {
        SendMessageW(agentWindow, WM_POWERBROADCAST, PBT_APMPOWERSTATUSCHANGE, 0);
    }
    bool sleptWithBatteryNearlyEmpty() {
        Texts texts = told([] {
            SendMessageW(agentWindow, WM_POWERBROADCAST, PBT_APMSUSPEND, 0);
            SendMessageW(agentWindow, WM_POWERBROADCAST, PBT_APMRESUMESUSPEND, 0);
        });
        EXPECT_EQ(texts.size(), 1u);
        return !texts.empty() && texts[0].find(L"battery nearly empty") != std::wstring::npos;
    }

    vigilor_test::TrayStandIn& tray = processTray();
    UINT taskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
};

Texts batteryAt(int charge, int level, const wchar_t* action = L"hibernates the PC") {
    return {L"The battery is at " + std::to_wstring(charge) + L" percent. At " +
            std::to_wstring(level) + L" percent, Windows " + action +
            L" whatever PC-Vigilor asks. Plug in the charger to keep it awake."};
}

} // namespace

// Windows' own charge, not one of the capacity when new; the plan's level
// before the battery's alert, which serves where the plan's cannot be read;
// the low battery action before the critical one; a sleep is the battery's
// only where that level was reached (12 % shown is 9.6 % of the capacity
// when new).
TEST_F(Notices, TheBatteryIsToldAsWindowsShowsIt) {
    useWornBattery(9);
    fake_power::setPlanValue(kBattery, kAction, true, 2);
    fake_power::setPlanValue(kBattery, kLevel, true, 5);
    EXPECT_EQ(told(startVigilorSession), batteryAt(9, 5));
    fake_power::forgetPlanValue(kBattery, kLevel, true);
    EXPECT_EQ(told(startVigilorSession), batteryAt(9, 10));
    useWornBattery(255); // not known
    EXPECT_EQ(told(startVigilorSession), Texts{});
    useWornBattery(9);
    fake_power::setPlanValue(kBattery, kLowAction, true, 1);
    fake_power::setPlanValue(kBattery, kLowLevel, true, 11);
    EXPECT_EQ(told(startVigilorSession), batteryAt(9, 11, L"puts the PC to sleep"));
    useWornBattery(12);
    EXPECT_FALSE(sleptWithBatteryNearlyEmpty());
    useWornBattery(10);
    EXPECT_TRUE(sleptWithBatteryNearlyEmpty());
}

// Shown while Windows kept it from the user, or where Windows did not say,
// a cause is told again at the next look. Quiet time holds back only the
// notifications that ask for it.
TEST_F(Notices, ACauseCountsAsToldOnlyWhereTheUserCouldSeeIt) {
    setDword(L"monitorOn", 0);
    useWornBattery(60);
    fake_user_session::setNotificationState(QUNS_NOT_PRESENT);
    EXPECT_EQ(told(startVigilorSession), Texts{kStandby});
    for (auto [state, fails] : {std::pair{QUNS_BUSY, false},
                                {QUNS_PRESENTATION_MODE, false},
                                {QUNS_RUNNING_D3D_FULL_SCREEN, false},
                                {QUNS_APP, false},
                                {QUNS_ACCEPTS_NOTIFICATIONS, true},
                                {QUNS_QUIET_TIME, false}}) {
        fake_user_session::setNotificationState(state, fails);
        EXPECT_EQ(told(powerSourceChanged), Texts{kStandby}) << state;
    }
    EXPECT_EQ(told(powerSourceChanged), Texts{});
}

// A new taskbar that takes no icon for longer than the agent tries, or one
// gone with the icon: what the session has to tell waits, once, for a later
// taskbar.
TEST_F(Notices, NoticesWaitForTheIconBeyondItsTries) {
    setDword(L"monitorOn", 0);
    useWornBattery(60);
    tray.refuseFirstRecords(SIZE_MAX);
    SendMessageW(agentWindow, taskbarCreated, 0, 0);
    size_t seen = tray.records().size();
    startVigilorSession();
    for (int tries = 0; tries < 100; ++tries) { // over two minutes' worth
        SendMessageW(agentWindow, WM_TIMER, TRAY_ADD_RETRY_TIMER, 0);
    }
    EXPECT_FALSE(timerRunning(TRAY_ADD_RETRY_TIMER)) << "still trying";
    powerSourceChanged();
    EXPECT_EQ(tray.notificationsSince(seen), Texts{});
    tray.refuseFirstRecords(0);
    EXPECT_EQ(told([this] { SendMessageW(agentWindow, taskbarCreated, 0, 0); }), Texts{kStandby});
    EXPECT_EQ(told(powerSourceChanged), Texts{});

    // A taskbar gone with the icon in place: a sleep, told once, waits too.
    tray.refuseFirstRecords(SIZE_MAX);
    SendMessageW(agentWindow, WM_POWERBROADCAST, PBT_APMSUSPEND, 0);
    SendMessageW(agentWindow, WM_POWERBROADCAST, PBT_APMRESUMESUSPEND, 0);
    tray.refuseFirstRecords(0);
    Texts woke = told([this] { SendMessageW(agentWindow, taskbarCreated, 0, 0); });
    ASSERT_EQ(woke.size(), 1u);
    EXPECT_EQ(woke[0].rfind(L"Windows put the PC to sleep at ", 0), 0u) << woke[0];
}

// Told with the display kept on too, in whole minutes; the machine's limit
// before the user's, and none where the machine's is 0.
TEST_F(Notices, ARemoteSessionsIdleLimitIsToldWithItsMinutes) {
    const wchar_t key[] = L"SOFTWARE\\Policies\\Microsoft\\Windows NT\\Terminal Services";
    auto limit = [&](HKEY root, DWORD ms) {
        RegSetKeyValueW(root, key, L"MaxIdleTime", REG_DWORD, &ms, sizeof(ms));
    };
    auto after = [](const wchar_t* minutes) {
        return Texts{std::wstring(L"This Remote Desktop session is disconnected after ") + minutes +
                     L" without input from the remote computer, which PC-Vigilor cannot prevent."};
    };
    limit(HKEY_LOCAL_MACHINE, 30 * 60000);
    limit(HKEY_CURRENT_USER, 90000);
    EXPECT_EQ(told(startVigilorSession), Texts{}) << "not a remote session";
    fake_user_session::setRemoteSession(true);
    EXPECT_EQ(told(startVigilorSession), after(L"30 minutes"));
    RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, key, L"MaxIdleTime");
    EXPECT_EQ(told(startVigilorSession), after(L"1 minute"));
    limit(HKEY_LOCAL_MACHINE, 0);
    EXPECT_EQ(told(startVigilorSession), Texts{});
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, key);
    RegDeleteKeyW(HKEY_CURRENT_USER, key);
}
