// What may let the PC sleep or lock in a session, as the real agent tells
// it. The battery's charge is Windows' own (kernel32's
// GetSystemPowerStatus), which no DLL beside the agent can play: the
// in-process tests tell the battery's notices.
#include "agent_program_fixture.h"
#include "stand_in_powrprof.h"
#include "tray_stand_in.h"

namespace vigilor_test {
namespace {

using namespace stand_in_powrprof;
using Texts = std::vector<std::wstring>;

const wchar_t kNothingFound[] =
    L"Nothing found that would let Windows put this PC to sleep or lock it during a session. The "
    L"power button and Start > Sleep still end every request to stay awake.";

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

// Where an administrator, a policy or the user sets what can lock the PC.
const wchar_t kSystemPolicyKey[] =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System";
const wchar_t kDesktopKey[] = L"Control Panel\\Desktop";
const wchar_t kDesktopPolicyKey[] =
    L"Software\\Policies\\Microsoft\\Windows\\Control Panel\\Desktop";
const wchar_t kRemoteDesktopPolicyKey[] =
    L"SOFTWARE\\Policies\\Microsoft\\Windows NT\\Terminal Services";
const wchar_t kWinlogonKey[] = L"Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";

// Wine's own prefix has none of them.
void clearLockCauses() {
    RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kSystemPolicyKey, L"InactivityTimeoutSecs");
    for (const wchar_t* name :
         {L"ScreenSaveActive", L"ScreenSaveTimeOut", L"ScreenSaverIsSecure", L"SCRNSAVE.EXE"}) {
        deleteValue(kDesktopKey, name);
    }
    RegDeleteTreeW(HKEY_CURRENT_USER, kDesktopPolicyKey);
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, kRemoteDesktopPolicyKey);
    deleteValue(kWinlogonKey, L"EnableGoodbye");
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
        clearLockCauses();
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
    writeSetting(L"simulatePress", 1); // else the check tells chat programs' "Away"
    setMachineValue(kOverrideKey, L"VigilorTaskbar.exe", 1); // the display, not asked for
    writeDword(kStateKey, kAllowOnMainsValue, 0);
    setMachineValue(kPolicyKey, L"ACSettingIndex", 1); // decides over the plan
    setMachineValue(kPolicyKey, L"DCSettingIndex", 0);
    writeDword(kStateKey, kAoAcValue, 1);
    agent.post(WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE, 16); // no report there
    EXPECT_EQ(told(WM_COMMAND, IDM_SLEEP_CHECK), Texts{kNothingFound});
    EXPECT_EQ(told(WM_VIGILOR_START), Texts{});
    writeDword(kStateKey, kAcOnLineValue, 0);
    std::wstring policy = L"Windows is set to ignore requests to keep this PC awake: unless you "
                          L"use it, it sleeps as usual, even with the display on.";
    std::wstring standby = L"On battery, Windows ends requests to keep this PC awake five minutes "
                           L"after its sleep timeout. Keeping the display on avoids it.";
    EXPECT_EQ(told(WM_POWERBROADCAST, PBT_APMPOWERSTATUSCHANGE), Texts{policy + L"\n" + standby});
    EXPECT_EQ(told(WM_POWERBROADCAST, PBT_APMPOWERSTATUSCHANGE), Texts{});
    RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kPolicyKey, L"DCSettingIndex"); // the plan decides
    writeDword(kStateKey, kAllowOnBatteryValue, 0);
    setMachineValue(kOverrideKey, L"VigilorTaskbar.exe", 2); // the system
    std::wstring override = L"Windows is told to ignore PC-Vigilor's requests (powercfg "
                            L"/requestsoverride). An administrator can remove that override.";
    // What closing the lid does only when the user asks: nearly every laptop
    // is set so, and it comes true only when the lid closes.
    writeDword(kStateKey, kLidValue, 1);
    writeDword(kStateKey, kLidActionValue, 1);
    EXPECT_EQ(told(WM_VIGILOR_START), (Texts{policy + L"\n" + override, standby}));
    // The user asks: told again, all of it.
    std::wstring lid = L"Closing the lid ends every request to keep this PC awake. To keep it "
                       L"awake with the lid closed, set closing the lid to \u201cDo nothing\u201d "
                       L"in Windows' power options.";
    EXPECT_EQ(told(WM_COMMAND, IDM_SLEEP_CHECK), (Texts{policy + L"\n" + override, standby, lid}));
}

// Each cause once a session, with its minutes: the inactivity limit and a
// screen saver that locks only without the display kept on; Dynamic Lock
// and chat programs' "Away" (without the key press) only when the user
// asks; a Remote Desktop idle limit never outside such a session, which
// Wine cannot play. Nothing on a clean PC.
TEST_F(SleepGuard, EachLockCauseIsToldOnceWithItsMinutes) {
    writeSetting(L"monitorOn", 0);
    writeSetting(L"simulatePress", 1);
    EXPECT_EQ(told(WM_COMMAND, IDM_SLEEP_CHECK), Texts{kNothingFound});
    EXPECT_EQ(told(WM_VIGILOR_START), Texts{});
    setMachineValue(kSystemPolicyKey, L"InactivityTimeoutSecs", 900);
    writeText(kDesktopKey, L"ScreenSaveActive", L"1");
    writeText(kDesktopKey, L"ScreenSaveTimeOut", L"600");
    writeText(kDesktopKey, L"ScreenSaverIsSecure", L"1");
    writeText(kDesktopKey, L"SCRNSAVE.EXE", L"C:\\windows\\system32\\scrnsave.scr");
    writeText(kDesktopPolicyKey, L"ScreenSaveTimeOut", L"90"); // decides over the user's
    setMachineValue(kRemoteDesktopPolicyKey, L"MaxIdleTime", 600000);
    std::wstring inactivity = L"A security policy locks this PC after 15 minutes without input. "
                              L"Keeping the display on avoids it.";
    std::wstring screenSaver = L"The screen saver locks this PC after 1 minute without input. "
                               L"Keeping the display on avoids it.";
    EXPECT_EQ(told(WM_VIGILOR_START), Texts{inactivity + L"\n" + screenSaver});
    EXPECT_EQ(told(WM_POWERBROADCAST, PBT_APMPOWERSTATUSCHANGE), Texts{});

    writeSetting(L"monitorOn", 1);
    EXPECT_EQ(told(WM_VIGILOR_START), Texts{});
    writeDword(kWinlogonKey, L"EnableGoodbye", 1);
    std::wstring dynamicLock = L"Dynamic Lock locks this PC when your paired phone goes out of "
                               L"range. A session keeps it awake, but locked.";
    std::wstring chat = L"Chat programs show you as \u201cAway\u201d after some minutes without "
                        L"input. Only \u201cSimulate keyboard press action\u201d avoids that.";
    EXPECT_EQ(told(WM_COMMAND, IDM_SLEEP_CHECK), Texts{dynamicLock});
    told(WM_VIGILOR_CANCEL);
    writeSetting(L"simulatePress", 0);
    EXPECT_EQ(told(WM_COMMAND, IDM_SLEEP_CHECK), Texts{dynamicLock + L"\n" + chat});
    writeSetting(L"monitorOn", 0);
    writeSetting(L"simulatePress", 1);
    EXPECT_EQ(told(WM_COMMAND, IDM_SLEEP_CHECK),
              (Texts{inactivity + L"\n" + screenSaver, dynamicLock}));

    // What is not a number counts as not set, a policy's too: the user's own
    // screen saver decides then.
    const wchar_t notANumber[] = L"15 min";
    RegSetKeyValueW(HKEY_LOCAL_MACHINE, kSystemPolicyKey, L"InactivityTimeoutSecs", REG_SZ,
                    notANumber, sizeof(notANumber));
    writeText(kDesktopPolicyKey, L"ScreenSaveTimeOut", std::wstring(300, L'9'));
    EXPECT_EQ(told(WM_VIGILOR_START),
              Texts{L"The screen saver locks this PC after 10 minutes without input. Keeping the "
                    L"display on avoids it."});

    clearLockCauses();
    EXPECT_EQ(told(WM_VIGILOR_START), Texts{});
    EXPECT_EQ(told(WM_COMMAND, IDM_SLEEP_CHECK), Texts{kNothingFound});
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
    EXPECT_EQ(told(WM_COMMAND, IDM_UNTIL_TIME), off) << "asked for a time first";
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
