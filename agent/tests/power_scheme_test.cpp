#include "agent_test_support.h"

#include "agent.h"
#include "fake_powrprof.h"
#include "power_scheme.h"
#include "session.h"
#include "settings.h"
#include "tray_stand_in.h"

using namespace test;

namespace {

const std::wstring powerSaver = L"{A1841308-3541-4FAB-BC81-F71556F20B4A}";
const std::wstring balanced = L"{381B4222-F694-41F0-9685-FF5BB260DF2E}";
const std::wstring highPerformance = L"{8C5E7FDA-E8BF-4A96-9A85-A6E23A8C635C}";

bool isActive(const GUID& scheme) {
    return IsEqualGUID(fake_power::active(), scheme) != FALSE;
}

void chooseScheme(DWORD index) {
    setDword(L"powerSchemeOn", 1);
    setDword(L"powerSchemeIndex", index);
}

} // namespace

TEST_F(AgentTest, ActiveSchemeIsRecordedByItsCode) {
    struct Case {
        GUID scheme;
        int code;
    } cases[] = {{fake_power::kPowerSaver, 300},
                 {fake_power::kBalanced, 301},
                 {fake_power::kHighPerformance, 302},
                 {fake_power::kUserScheme, 1}};
    for (const Case& c : cases) {
        fake_power::reset(c.scheme);
        loadSessionOptions();
        EXPECT_EQ(previousSchemeCode, c.code);
    }
    fake_power::setReadFails(true);
    loadSessionOptions();
    EXPECT_EQ(previousSchemeCode, 1);
}

TEST(SchemeCodes, TextsCompareExactly) {
    EXPECT_EQ(schemeCodeForText(L"{A1841308-3541-4FAB-BC81-F71556F20B4A}"), 300);
    EXPECT_EQ(schemeCodeForText(L"{381B4222-F694-41F0-9685-FF5BB260DF2E}"), 301);
    EXPECT_EQ(schemeCodeForText(L"{8C5E7FDA-E8BF-4A96-9A85-A6E23A8C635C}"), 302);
    EXPECT_EQ(schemeCodeForText(L"{8c5e7fda-e8bf-4a96-9a85-a6e23a8c635c}"), 1);
    EXPECT_EQ(schemeCodeForText(L"{8C5E7FDA-E8BF-4A96-9A85-A6E23A8C635C} "), 1);
}

TEST_F(AgentTest, SessionRunsUnderTheChosenSchemeAndPutsTheOldOneBack) {
    chooseScheme(2);
    startVigilorSession();
    EXPECT_TRUE(isActive(fake_power::kHighPerformance));
    handleSessionTimeout(nullptr, 0, 0, 0);
    EXPECT_TRUE(isActive(fake_power::kBalanced));

    fake_power::reset(fake_power::kBalanced);
    chooseScheme(0);
    startVigilorSession();
    EXPECT_TRUE(isActive(fake_power::kPowerSaver));
    cancelVigilorSession();
    EXPECT_TRUE(isActive(fake_power::kBalanced));
    EXPECT_EQ(fake_power::activations(), 2);
}

TEST_F(AgentTest, UsersOwnSchemeComesBack) {
    fake_power::reset(fake_power::kUserScheme);
    chooseScheme(1);
    startVigilorSession();
    EXPECT_TRUE(isActive(fake_power::kBalanced));
    cancelVigilorSession();
    EXPECT_TRUE(isActive(fake_power::kUserScheme));
}

TEST_F(AgentTest, ReloadOrRestartDuringSessionStillReturnsToTheFirstScheme) {
    fake_power::reset(fake_power::kPowerSaver);
    chooseScheme(2);
    startVigilorSession();
    loadSessionOptions(); // sees High performance active now
    startVigilorSession();
    EXPECT_TRUE(isActive(fake_power::kHighPerformance));
    chooseScheme(1);
    startVigilorSession();
    EXPECT_TRUE(isActive(fake_power::kBalanced));
    cancelVigilorSession();
    EXPECT_TRUE(isActive(fake_power::kPowerSaver));
}

TEST_F(AgentTest, SwitchedSchemeComesBackEvenWhenTheOptionWasTurnedOff) {
    chooseScheme(2);
    startVigilorSession();
    setDword(L"powerSchemeOn", 0);
    loadSessionOptions();
    cancelVigilorSession();
    EXPECT_TRUE(isActive(fake_power::kBalanced));
}

TEST_F(AgentTest, NothingSwitchedMeansNothingPutBack) {
    // The option turned on only after the start.
    startVigilorSession();
    chooseScheme(2);
    loadSessionOptions();
    cancelVigilorSession();
    // A cancel with no session at all.
    cancelVigilorSession();
    // An index that names no scheme.
    chooseScheme(3);
    startVigilorSession();
    cancelVigilorSession();
    EXPECT_EQ(fake_power::activations(), 0);
    EXPECT_TRUE(isActive(fake_power::kBalanced));
}

TEST_F(AgentTest, UnreadableActiveSchemeIsLeftAlone) {
    fake_power::setReadFails(true);
    chooseScheme(2);
    startVigilorSession();
    cancelVigilorSession();
    EXPECT_EQ(fake_power::activations(), 0);
    EXPECT_TRUE(isActive(fake_power::kBalanced));
}

TEST_F(AgentTest, ClosingTheAgentPutsTheSchemeBack) {
    chooseScheme(0);
    startVigilorSession();
    ASSERT_TRUE(isActive(fake_power::kPowerSaver));
    DestroyWindow(agentWindow);
    EXPECT_TRUE(isActive(fake_power::kBalanced));
}

// What a killed agent's successor does with the record it finds at start-up.
TEST_F(AgentTest, OnlyAWellFormedSchemeRecordIsPutBack) {
    struct Case {
        std::wstring text;
        DWORD type;
        bool switches;
    } const cases[] = {
        {L"{a1841308-3541-4fab-bc81-f71556f20b4a}", REG_SZ, true},
        {L"v2 plan " + powerSaver + L" " + balanced, REG_SZ, false}, // Balanced left since
        {powerSaver + L" ", REG_SZ, false},
        {L"{G1841308-3541-4FAB-BC81-F71556F20B4A}", REG_SZ, false},
        {L"A1841308-3541-4FAB-BC81-F71556F20B4A", REG_SZ, false},
        {std::wstring(5000, L'{'), REG_SZ, false},
        {powerSaver, REG_EXPAND_SZ, false},
        {powerSaver, REG_BINARY, false},
    };
    for (const Case& c : cases) {
        fake_power::reset(fake_power::kHighPerformance);
        setString(L"restoreScheme", c.text, c.type);
        setDword(L"VigilorActive", 1);
        restoreSchemeLeftBehind();
        EXPECT_EQ(fake_power::activations(), c.switches ? 1 : 0) << c.text;
        EXPECT_EQ(isActive(fake_power::kPowerSaver), c.switches) << c.text;
        EXPECT_FALSE(valueExists(L"restoreScheme")) << c.text;
        EXPECT_EQ(readDword(L"VigilorActive"), 0u) << c.text;
    }

    // Without a record nothing changes.
    fake_power::reset(fake_power::kHighPerformance);
    setDword(L"VigilorActive", 1);
    restoreSchemeLeftBehind();
    EXPECT_EQ(fake_power::activations(), 0);
    EXPECT_EQ(readDword(L"VigilorActive"), 1u);
}

TEST_F(AgentTest, ARecordLeftByACrashGivesWayToTheNewSessions) {
    setString(L"restoreScheme", L"v2 plan " + powerSaver + L" " + highPerformance);
    chooseScheme(2);
    startVigilorSession();
    std::wstring record;
    readSettingText(L"restoreScheme", 160, record);
    EXPECT_EQ(record, L"v2 plan " + balanced + L" " + highPerformance);
}

// The plan is the machine's: while an agent of another Windows session holds
// it switched, a session here leaves it alone and says so, and a crashed
// agent's record is not put back over it.
TEST_F(AgentTest, PlanSwitchedInAnotherWindowsSessionIsLeftAlone) {
    HANDLE other = CreateMutexW(nullptr, FALSE, L"Global\\Quorvex PC-Vigilor power plan switch");
    chooseScheme(2);
    size_t records = processTray().records().size();
    startVigilorSession();
    EXPECT_EQ(
        processTray().notificationsSince(records),
        std::vector<std::wstring>{
            L"Another PC-Vigilor session on this PC, perhaps another user's, has switched the "
            L"power plan: this session does not switch to \u201cHigh performance\u201d and "
            L"goes on under the current plan."});
    setString(L"restoreScheme", L"v2 plan " + powerSaver + L" " + balanced);
    cancelVigilorSession();
    restoreSchemeLeftBehind();
    EXPECT_EQ(fake_power::activations(), 0);
    CloseHandle(other);
    startVigilorSession();
    EXPECT_TRUE(isActive(fake_power::kHighPerformance));
}
