#include "agent_test_support.h"

#include "agent.h"
#include "session.h"
#include "settings.h"

using namespace test;

namespace {

bool sameOptions(const SessionOptions& a, const SessionOptions& b) {
    return a.duration == b.duration && a.durationUnit == b.durationUnit &&
           a.monitorOn == b.monitorOn && a.powerSchemeOn == b.powerSchemeOn &&
           a.powerSchemeIndex == b.powerSchemeIndex && a.simulatePress == b.simulatePress &&
           a.simulatePressTimeOut == b.simulatePressTimeOut &&
           a.shutdownWindows == b.shutdownWindows;
}

} // namespace

TEST_F(AgentTest, WithoutSettingsKeyTheDefaultsHold) {
    EXPECT_TRUE(sameOptions(sessionOptions, SessionOptions{}));
    EXPECT_EQ(sessionOptions.duration, 60u);
    EXPECT_EQ(sessionOptions.monitorOn, 1u);
    EXPECT_EQ(sessionOptions.powerSchemeIndex, 1u);
    EXPECT_EQ(sessionOptions.simulatePressTimeOut, 1u);
    EXPECT_EQ(sessionItemText(), L"Keep your PC awake for 60 minute(s)");
}

TEST_F(AgentTest, StoredOptionsAreReadInFull) {
    const wchar_t* names[] = {L"duration",
                              L"durationUnit",
                              L"monitorOn",
                              L"powerSchemeOn",
                              L"powerSchemeIndex",
                              L"simulatePress",
                              L"simulatePressTimeOut",
                              L"shutdownWindows"};
    DWORD values[] = {5000, 1, 0, 1, 2, 1, 10, 1};
    for (int i = 0; i < 8; ++i) {
        setDword(names[i], values[i]);
    }
    loadSessionOptions();
    SessionOptions expected{5000, 1, 0, 1, 2, 1, 10, 1};
    EXPECT_TRUE(sameOptions(sessionOptions, expected));
}

TEST_F(AgentTest, ValuesOfAnotherTypeLeaveTheLastGoodValue) {
    setDword(L"duration", 90);
    loadSessionOptions();
    ASSERT_EQ(sessionOptions.duration, 90u);

    setString(L"duration", L"120");
    loadSessionOptions();
    EXPECT_EQ(sessionOptions.duration, 90u);

    unsigned long long wide = 7;
    setBinary(L"duration", &wide, sizeof(wide), REG_QWORD);
    WORD narrow = 7;
    setBinary(L"monitorOn", &narrow, sizeof(narrow), REG_BINARY);
    DWORD asBinary = 0;
    setBinary(L"shutdownWindows", &asBinary, sizeof(asBinary), REG_BINARY);
    sessionOptions.shutdownWindows = 1;
    loadSessionOptions();
    EXPECT_EQ(sessionOptions.duration, 90u);
    EXPECT_EQ(sessionOptions.monitorOn, 1u);
    EXPECT_EQ(sessionOptions.shutdownWindows, 1u);

    // Deleting a value keeps the agent's copy too.
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kSettingsKey, L"duration");
    loadSessionOptions();
    EXPECT_EQ(sessionOptions.duration, 90u);
}

TEST_F(AgentTest, VigilorActiveIsWrittenEvenWithoutTheKey) {
    deleteSettingsKey();
    writeVigilorActive(1);
    EXPECT_EQ(readDword(L"VigilorActive"), 1u);
    writeVigilorActive(0);
    EXPECT_EQ(readDword(L"VigilorActive"), 0u);
}

TEST_F(AgentTest, InstallFolderComesFromPath) {
    setString(L"Path", L"C:\\Program Files\\PC-Vigilor");
    EXPECT_TRUE(readAppPath());
    EXPECT_EQ(programFolder, L"C:\\Program Files\\PC-Vigilor");

    // Text after an embedded null is not part of the folder.
    std::wstring withNull(L"C:\\Tools\0C:\\Elsewhere", 20);
    setString(L"Path", withNull);
    EXPECT_TRUE(readAppPath());
    EXPECT_EQ(programFolder, L"C:\\Tools");

    // The folder is used as stored, trailing backslash and all.
    setString(L"Path", L"C:\\Tools\\");
    EXPECT_TRUE(readAppPath());
    EXPECT_EQ(programFolder, L"C:\\Tools\\");

    setString(L"Path", L"C:\\\u00c9t\u00e9 \u65e5\u672c");
    EXPECT_TRUE(readAppPath());
    EXPECT_EQ(programFolder, L"C:\\\u00c9t\u00e9 \u65e5\u672c");
}

TEST_F(AgentTest, WithoutAUsablePathTheAgentsOwnFolderIsUsed) {
    const std::wstring own = moduleFolder();
    deleteSettingsKey();
    EXPECT_FALSE(readAppPath());
    EXPECT_EQ(programFolder, own);

    setString(L"Path", L"");
    EXPECT_FALSE(readAppPath());
    EXPECT_EQ(programFolder, own);

    setDword(L"Path", 5);
    EXPECT_FALSE(readAppPath());
    EXPECT_EQ(programFolder, own);

    // "\PCVigilor.exe" (14 characters) and the terminator must fit in
    // MAX_PATH behind the folder.
    std::wstring longest = L"C:\\" + std::wstring(245 - 3, L'a');
    setString(L"Path", longest);
    EXPECT_TRUE(readAppPath());
    EXPECT_EQ(programFolder, longest);

    for (size_t length : {246u, 259u, 260u, 261u, 32767u}) {
        setString(L"Path", L"C:\\" + std::wstring(length - 3, L'b'));
        EXPECT_FALSE(readAppPath()) << length;
        EXPECT_EQ(programFolder, own) << length;
    }
}
