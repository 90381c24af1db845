// What may let the PC sleep in a session, as the real agent tells it, and
// what an organisation's Group Policy lets a session do.
#include "agent_program_fixture.h"
#include "stand_in_powrprof.h"
#include "tray_stand_in.h"

namespace vigilor_test {
namespace {

using namespace stand_in_powrprof;
using Texts = std::vector<std::wstring>;

const wchar_t kPolicyKey[] =
    L"SOFTWARE\\Policies\\Microsoft\\Power\\PowerSettings\\A4B195F5-8225-47D8-8012-9D41369786E2";
const wchar_t kOverrideKey[] =
    L"SYSTEM\\CurrentControlSet\\Control\\Power\\PowerRequestOverride\\Process";
const wchar_t kVigilorPolicyKey[] = L"SOFTWARE\\Policies\\Quorvex\\PC-Vigilor";
UINT const IDM_ADD_HOUR = 318;

void setMachineValue(const wchar_t* key, const wchar_t* name, DWORD value,
                     HKEY root = HKEY_LOCAL_MACHINE) {
    RegSetKeyValueW(root, key, name, REG_DWORD, &value, sizeof(value));
}

class SleepGuard : public AgentProgram {
  protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(AgentProgram::SetUp());
        ASSERT_TRUE(usePowerStandIn(kBalanced));
        ASSERT_TRUE(agent.start(placeBesidePowerStandIn(windowsPath(VIGILOR_AGENT_EXE),
                                                        windowsPath(VIGILOR_STAND_IN_POWRPROF),
                                                        folder.path())));
    }
    void TearDown() override {
        AgentProgram::TearDown();
        removePowerStandIn();
        RegDeleteKeyW(HKEY_LOCAL_MACHINE, kPolicyKey); // made here, with its values
        RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kOverrideKey, L"VigilorTaskbar.exe");
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, kVigilorPolicyKey);
        RegDeleteTreeW(HKEY_CURRENT_USER, kVigilorPolicyKey);
    }

    // The notifications' texts that the agent shows for `message`.
    Texts told(UINT message, WPARAM wParam = 0) {
        size_t seen = tray.records().size();
        agent.post(message, wParam);
        waitUntilAgentIdle();
        return tray.notificationsSince(seen);
    }

    TrayStandIn tray;
    TempFolder folder;
};

// A quiet start with each cause near, then each cause once, together.
TEST_F(SleepGuard, EachCauseThatHoldsIsToldOnce) {
    writeSetting(L"monitorOn", 0);
    setMachineValue(kOverrideKey, L"VigilorTaskbar.exe", 1); // the display, not asked for
    writeDword(kStateKey, kAllowOnMainsValue, 0);
    setMachineValue(kPolicyKey, L"ACSettingIndex", 1); // decides over the plan
    setMachineValue(kPolicyKey, L"DCSettingIndex", 0);
    writeDword(kStateKey, kAoAcValue, 1);
    agent.post(WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE, 16); // no report there
    EXPECT_EQ(told(WM_COMMAND, IDM_SLEEP_CHECK),
              Texts{L"Nothing found that would let Windows put this PC to sleep during a session. "
                    L"The power button and Start > Sleep still end every request to stay awake."});
    EXPECT_EQ(told(WM_VIGILOR_START), Texts{});
    writeDword(kStateKey, kAcOnLineValue, 0);
    std::wstring policy = L"Windows is set to ignore requests to keep this PC awake. Only your "
                          L"activity or keeping the display on holds it awake.";
    std::wstring standby = L"On battery, this PC sleeps a few minutes after the screen turns "
                           L"off. Keeping the display on avoids it.";
    EXPECT_EQ(told(WM_POWERBROADCAST, PBT_APMPOWERSTATUSCHANGE), Texts{policy + L"\n" + standby});
    EXPECT_EQ(told(WM_POWERBROADCAST, PBT_APMPOWERSTATUSCHANGE), Texts{});
    RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kPolicyKey, L"DCSettingIndex"); // the plan decides
    writeDword(kStateKey, kAllowOnBatteryValue, 0);
    setMachineValue(kOverrideKey, L"VigilorTaskbar.exe", 2); // the system
    std::wstring override = L"Windows is told to ignore PC-Vigilor's requests (powercfg "
                            L"/requestsoverride). An administrator can remove that override.";
    EXPECT_EQ(told(WM_VIGILOR_START), (Texts{policy + L"\n" + override, standby}));
    // The user asks: told again, all of it.
    EXPECT_EQ(told(WM_COMMAND, IDM_SLEEP_CHECK), (Texts{policy + L"\n" + override, standby}));
}

// Windows' battery actions come whatever the agent asks: told once, near the
// charge at which Windows acts, and with what it does there.
TEST_F(SleepGuard, BatteryRunningOutIsToldNearTheChargeWhereWindowsActs) {
    writeDword(kStateKey, kAcOnLineValue, 0);
    writeDword(kStateKey, kCriticalActionValue, 2);
    writeDword(kStateKey, kCriticalLevelValue, 5);
    writeDword(kStateKey, kAlertValue, 7); // the battery's own level decides
    writeDword(kStateKey, kChargeValue, 13);
    EXPECT_EQ(told(WM_VIGILOR_START), Texts{});
    writeDword(kStateKey, kChargeValue, 12);
    EXPECT_EQ(
        told(WM_POWERBROADCAST, PBT_APMPOWERSTATUSCHANGE),
        Texts{L"The battery is at 12 percent. At 7 percent, Windows hibernates the PC whatever "
              L"PC-Vigilor asks. Plug in the charger to keep it awake."});
    writeDword(kStateKey, kChargeValue, 11);
    EXPECT_EQ(told(WM_POWERBROADCAST, PBT_APMPOWERSTATUSCHANGE), Texts{});
    // A low battery action comes first.
    writeDword(kStateKey, kLowActionValue, 1);
    writeDword(kStateKey, kLowLevelValue, 10);
    std::wstring battery = L"The battery is at 11 percent. At 10 percent, Windows puts the PC to "
                           L"sleep whatever PC-Vigilor asks. Plug in the charger to keep it awake.";
    EXPECT_EQ(told(WM_VIGILOR_START), Texts{battery});
    // The lid's action only when the user asks.
    writeDword(kStateKey, kLidValue, 1);
    writeDword(kStateKey, kLidActionValue, 1);
    EXPECT_EQ(
        told(WM_COMMAND, IDM_SLEEP_CHECK),
        (Texts{battery, L"Closing the lid ends every request to keep this PC awake. To keep it "
                        L"awake with the lid closed, set closing the lid to \u201cDo nothing\u201d "
                        L"in Windows' power options."}));
}

// The machine's values before the user's, values out of range ignored, and a
// running session kept to the rules it started with. Modern Standby on
// battery tells whether the display is kept on.
TEST_F(SleepGuard, GroupPolicyDecidesWhatEverySessionDoes) {
    writeSetting(L"duration", 90);
    writeSetting(L"powerSchemeOn", 1);
    writeSetting(L"powerSchemeIndex", 2);
    writeDword(kStateKey, kAcOnLineValue, 0);
    writeDword(kStateKey, kAoAcValue, 1);
    setMachineValue(kVigilorPolicyKey, L"MaxSessionHours", 2);
    setMachineValue(kVigilorPolicyKey, L"MaxSessionHours", 1, HKEY_CURRENT_USER);
    setMachineValue(kVigilorPolicyKey, L"AllowPowerScheme", 0);
    setMachineValue(kVigilorPolicyKey, L"AllowDisplayOn", 5);
    setMachineValue(kVigilorPolicyKey, L"AllowDisplayOn", 0, HKEY_CURRENT_USER);
    setMachineValue(kVigilorPolicyKey, L"Disabled", 0);
    setMachineValue(kVigilorPolicyKey, L"Disabled", 1, HKEY_CURRENT_USER);
    DWORD before = minuteOfDay();
    EXPECT_EQ(told(WM_VIGILOR_START).size(), 1u) << "the display was kept on";
    WPARAM end = config->last();
    EXPECT_TRUE(isEndMinute(end, before, minuteOfDay(), 90));
    EXPECT_EQ(schemeActivations(), 0u);
    setMachineValue(kVigilorPolicyKey, L"MaxSessionHours", 10);
    EXPECT_EQ(exchange(WM_COMMAND, IDM_ADD_HOUR), end + 30);

    setMachineValue(kVigilorPolicyKey, L"Disabled", 1);
    ASSERT_EQ(exchange(WM_VIGILOR_CANCEL), WPARAM{0});
    Texts off{L"PC-Vigilor is turned off by your organisation"};
    EXPECT_EQ(told(WM_VIGILOR_START), off);
    EXPECT_EQ(told(WM_COMMAND, IDM_SESSION), off);
    EXPECT_EQ(config->last(), WPARAM{0});

    RegDeleteTreeW(HKEY_LOCAL_MACHINE, kVigilorPolicyKey);
    RegDeleteTreeW(HKEY_CURRENT_USER, kVigilorPolicyKey);
    before = minuteOfDay();
    EXPECT_EQ(told(WM_VIGILOR_START), Texts{}) << "the display was not kept on";
    EXPECT_TRUE(isEndMinute(config->last(), before, minuteOfDay(), 90));
    EXPECT_EQ(activeScheme(), kHighPerformance);
}

} // namespace
} // namespace vigilor_test
