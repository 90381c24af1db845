// What may let the PC sleep in a session, as the real agent tells it. The
// battery's charge is Windows' own (kernel32's GetSystemPowerStatus), which
// no DLL beside the agent can play: the in-process tests tell the battery's
// notices.
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

void setMachineValue(const wchar_t* key, const wchar_t* name, DWORD value) {
    RegSetKeyValueW(HKEY_LOCAL_MACHINE, key, name, REG_DWORD, &value, sizeof(value));
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

} // namespace
} // namespace vigilor_test
