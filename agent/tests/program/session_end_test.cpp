// A session that ends without the agent's own end steps: the agent killed, or
// Windows ending the user's session. The power scheme comes back either way.
#include "agent_program_fixture.h"
#include "stand_in_powrprof.h"
#include "tray_stand_in.h"

namespace vigilor_test {
namespace {

class SchemeLeftBehind : public AgentProgram {
  protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(AgentProgram::SetUp());
        ASSERT_TRUE(usePowerStandIn(kBalanced));
        program = placeBesidePowerStandIn(windowsPath(VIGILOR_AGENT_EXE),
                                          windowsPath(VIGILOR_STAND_IN_POWRPROF), folder.path());
        ASSERT_FALSE(program.empty());
        writeSetting(L"powerSchemeOn", 1);
        writeSetting(L"powerSchemeIndex", 2);
    }
    void TearDown() override {
        AgentProgram::TearDown();
        removePowerStandIn();
    }

    // Starts a copy of the agent and waits until it has finished starting up.
    void start(AgentProcess& process) {
        ASSERT_TRUE(process.start(program));
        ASSERT_TRUE(exchange(WM_VIGILOR_QUERY, 0, process.window()));
    }

    // A session under High performance, switched from Balanced.
    void startSession(AgentProcess& process) {
        ASSERT_NO_FATAL_FAILURE(start(process));
        std::optional<WPARAM> end = exchange(WM_VIGILOR_START, 0, process.window());
        ASSERT_TRUE(end && *end != 0);
        ASSERT_EQ(activeScheme(), kHighPerformance);
        ASSERT_EQ(readSettingText(L"restoreScheme"),
                  L"v2 plan " + std::wstring(kBalanced) + L" " + kHighPerformance);
    }

    TempFolder folder;
    std::wstring program;
};

TEST_F(SchemeLeftBehind, KilledAgentsSchemeIsPutBackByTheNextAgentOnly) {
    AgentProcess first;
    ASSERT_NO_FATAL_FAILURE(startSession(first));

    // A second agent beside a running one leaves that one's session alone.
    AgentProcess second;
    ASSERT_NO_FATAL_FAILURE(start(second));
    EXPECT_EQ(activeScheme(), kHighPerformance);
    EXPECT_TRUE(readSettingText(L"restoreScheme"));
    second.terminate();

    first.terminate();
    ASSERT_EQ(activeScheme(), kHighPerformance);
    ASSERT_EQ(readSetting(L"VigilorActive"), DWORD{1});

    AgentProcess next;
    ASSERT_NO_FATAL_FAILURE(start(next));
    EXPECT_EQ(activeScheme(), kBalanced);
    EXPECT_EQ(schemeActivations(), 2u);
    EXPECT_EQ(readSettingText(L"restoreScheme"), std::nullopt);
    EXPECT_EQ(readSetting(L"VigilorActive"), DWORD{0});
}

// What Wine 8 sends each top-level window when the user's session ends
// (wineboot --end-session, ExitWindowsEx without EWX_FORCE): the query, then
// WM_ENDSESSION with wParam TRUE and lParam 0. FALSE would mean that the end
// was called off.
TEST_F(SchemeLeftBehind, EndOfTheWindowsSessionPutsTheSchemeBackAtOnce) {
    AgentProcess process;
    ASSERT_NO_FATAL_FAILURE(startSession(process));
    HWND window = process.window();
    size_t popups = findPopups(process.id()).size();

    DWORD_PTR answer = FALSE;
    ASSERT_TRUE(SendMessageTimeoutW(window, WM_QUERYENDSESSION, 0, 0, SMTO_BLOCK, 5000, &answer));
    EXPECT_EQ(answer, DWORD_PTR{TRUE});
    SendMessageW(window, WM_ENDSESSION, FALSE, 0);
    EXPECT_EQ(activeScheme(), kHighPerformance);
    EXPECT_EQ(readSetting(L"VigilorActive"), DWORD{1});
    EXPECT_NE(exchange(WM_VIGILOR_QUERY, 0, window), WPARAM{0});

    // Done by the time the message has been answered: Windows may end the
    // agent right after.
    SendMessageW(window, WM_ENDSESSION, TRUE, 0);
    EXPECT_EQ(activeScheme(), kBalanced);
    EXPECT_EQ(readSetting(L"VigilorActive"), DWORD{0});
    EXPECT_EQ(readSettingText(L"restoreScheme"), std::nullopt);
    EXPECT_EQ(schemeActivations(), 2u);
    EXPECT_LE(findPopups(process.id()).size(), popups);
    EXPECT_EQ(findProcessWindow(process.id(), L"#32770", nullptr), nullptr);
}

// Only Balanced: Windows 10 warns; 11 sets the nearest power modes, then the user's.
TEST_F(SchemeLeftBehind, MissingPlanIsToldAndReplacedByPowerModesWhereThereAreAny) {
    using namespace stand_in_powrprof;
    const std::wstring balanced = L"{00000000-0000-0000-0000-000000000000}";
    const std::wstring efficient = L"{961CC777-2547-4F9D-8174-7D86181B8A7A}";
    const std::wstring fast = L"{DED574B5-45A0-4F42-8737-46345C09C238}";
    writeText(kStateKey, kPlansValue, kBalanced);
    writeText(kStateKey, kBatteryModeValue, efficient);
    TrayStandIn tray;
    AgentProcess process;
    ASSERT_NO_FATAL_FAILURE(start(process));
    ASSERT_NE(exchange(WM_VIGILOR_START, 0, process.window()), WPARAM{0});
    EXPECT_EQ(tray.records().back().infoFlags, DWORD{NIIF_WARNING});
    EXPECT_NE(tray.records().back().info.find(L"High performance"), std::wstring::npos);
    EXPECT_EQ(readSettingText(L"restoreScheme"), std::nullopt);
    process.terminate();
    program = placeBesidePowerStandIn(windowsPath(VIGILOR_AGENT_EXE),
                                      windowsPath(VIGILOR_STAND_IN_POWRPROF_MODES), folder.path());
    ASSERT_NO_FATAL_FAILURE(start(process));
    for (bool crash : {false, true}) {
        ASSERT_NE(exchange(WM_VIGILOR_START, 0, process.window()), WPARAM{0});
        EXPECT_EQ(tray.records().back().infoFlags, DWORD{NIIF_INFO});
        EXPECT_EQ(readText(kStateKey, kMainsModeValue), fast);
        EXPECT_EQ(readText(kStateKey, kBatteryModeValue), fast);
        EXPECT_EQ(readSettingText(L"restoreScheme"),
                  L"v2 modes " + balanced + L" " + efficient + L" " + fast);
        if (crash) {
            process.terminate();
            writeText(kStateKey, kBatteryModeValue, balanced); // by hand
            ASSERT_NO_FATAL_FAILURE(start(process));
        } else {
            exchange(WM_VIGILOR_CANCEL, 0, process.window());
        }
        EXPECT_EQ(readText(kStateKey, kMainsModeValue), balanced);
        EXPECT_EQ(readText(kStateKey, kBatteryModeValue), crash ? balanced : efficient);
        EXPECT_EQ(readSettingText(L"restoreScheme"), std::nullopt);
    }
    EXPECT_EQ(schemeActivations(), 0u);
}

} // namespace
} // namespace vigilor_test
