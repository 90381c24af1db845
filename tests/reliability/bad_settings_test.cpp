// The real agent started over stored settings that only another tool could
// write: every option missing, of the wrong type or at awkward numbers, and
// "Path" in every shape that can go wrong. Each time the program starts, runs
// a session, answers queries and ends cleanly, and the session lasts what the
// stored values say (a length of 0 counting as one minute, the end minute
// kept within what the configuration application can show).
#include "agent_driver.h"
#include "process_watch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

using namespace vigilor_test;

namespace reliability {
namespace {

struct StoredValue {
    const char* label;
    DWORD type; // REG_NONE: no value at all
    std::vector<BYTE> data;
};

StoredValue dwordValue(const char* label, DWORD value) {
    const BYTE* bytes = reinterpret_cast<const BYTE*>(&value);
    return {label, REG_DWORD, std::vector<BYTE>(bytes, bytes + sizeof(value))};
}

std::vector<StoredValue> awkwardValues() {
    uint64_t wide = 5;
    const BYTE* wideBytes = reinterpret_cast<const BYTE*>(&wide);
    const wchar_t text[] = L"5";
    const BYTE* textBytes = reinterpret_cast<const BYTE*>(text);
    return {
        {"missing", REG_NONE, {}},
        {"text", REG_SZ, std::vector<BYTE>(textBytes, textBytes + sizeof(text))},
        {"QWORD", REG_QWORD, std::vector<BYTE>(wideBytes, wideBytes + sizeof(wide))},
        {"2-byte binary", REG_BINARY, {5, 0}},
        dwordValue("0", 0),
        dwordValue("1", 1),
        dwordValue("2", 2),
        dwordValue("1000", 1000),
        dwordValue("1001", 1001),
        dwordValue("5000", 5000),
        dwordValue("0xFFFFFFFF", 0xFFFFFFFF),
    };
}

void store(const wchar_t* name, const StoredValue& value) {
    deleteValue(kSettingsKey, name);
    if (value.type == REG_NONE) {
        return;
    }
    EXPECT_TRUE(writeValue(kSettingsKey, name, value.type, value.data.data(),
                           static_cast<DWORD>(value.data.size())));
}

// What the agent takes from a stored value: a REG_DWORD as it is, anything
// else not at all.
DWORD effective(const StoredValue& value, DWORD fallback) {
    if (value.type != REG_DWORD) {
        return fallback;
    }
    DWORD v = 0;
    std::memcpy(&v, value.data.data(), sizeof(v));
    return v;
}

std::string narrow(const std::wstring& text) {
    return std::string(text.begin(), text.end());
}

class BadSettings : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(findAgentWindow(0), nullptr) << "another VigilorTaskbar is running";
        deleteSettings();
        ASSERT_NE(config.handle(), nullptr);
    }

    void TearDown() override { deleteSettings(); }

    // Starts the agent, runs one session of `lengthMinutes`, cancels it and
    // closes the agent, checking each step from the outside.
    void runSession(uint64_t lengthMinutes, const std::wstring& program = agentProgram()) {
        AgentProcess agent;
        ASSERT_TRUE(agent.start(program))
            << "the agent did not start (exit code " << agent.exitCode() << ")";
        auto idle = config.query(agent.window(), 5000);
        ASSERT_TRUE(idle) << "no answer to a query";
        EXPECT_EQ(idle->first, 0u);

        size_t count = config.count();
        DWORD before = minuteOfDay();
        ASSERT_TRUE(agent.post(WM_VIGILOR_START));
        ASSERT_TRUE(config.waitForStates(count + 1, 5000)) << "the start was not reported";
        DWORD after = minuteOfDay();
        uint64_t end = config.states()[count];
        auto expectedEnd = [lengthMinutes](DWORD minute) {
            return std::min<uint64_t>(minute + lengthMinutes, INT32_MAX);
        };
        EXPECT_TRUE(end == expectedEnd(before) || end == expectedEnd(after))
            << "end minute " << end << " for a session of " << lengthMinutes
            << " minutes started at minute " << before;
        EXPECT_EQ(readSetting(L"VigilorActive"), 1u);
        auto running = config.query(agent.window(), 5000);
        ASSERT_TRUE(running);
        EXPECT_EQ(running->first, end);

        count = config.count();
        ASSERT_TRUE(agent.post(WM_VIGILOR_CANCEL));
        ASSERT_TRUE(config.waitForStates(count + 1, 5000)) << "the cancel was not reported";
        EXPECT_EQ(config.states()[count], 0u);
        EXPECT_EQ(readSetting(L"VigilorActive"), 0u);
        EXPECT_LE(findPopups(agent.id()).size(), 1u);
        std::wstring stray = strayWindows(agent.id());
        EXPECT_TRUE(stray.empty()) << "left open: " << narrow(stray);

        ASSERT_TRUE(agent.post(WM_COMMAND, IDM_CLOSE));
        EXPECT_TRUE(agent.waitForExit(10000)) << "Close did not end the agent";
        EXPECT_EQ(agent.exitCode(), 0u);
    }

    StateRecorder config;
};

struct OptionCase {
    const wchar_t* name;
    // Another option set alongside, so that the swept one takes effect.
    const wchar_t* companion;
    DWORD companionValue;
};

// Each option swept alone over the awkward values. The session length
// follows "duration" and "durationUnit" only; the other options must not
// disturb the start, the reports or the end. "shutdownWindows" at 1 arms the
// countdown ten seconds before the default hour, long after the cancel.
TEST_F(BadSettings, EveryOptionAtEveryAwkwardValue) {
    const OptionCase options[] = {
        {L"duration", nullptr, 0},
        {L"durationUnit", nullptr, 0},
        {L"monitorOn", nullptr, 0},
        {L"powerSchemeOn", L"powerSchemeIndex", 2},
        {L"powerSchemeIndex", L"powerSchemeOn", 1},
        {L"simulatePress", L"simulatePressTimeOut", 1},
        {L"simulatePressTimeOut", L"simulatePress", 1},
        {L"shutdownWindows", nullptr, 0},
    };
    for (const OptionCase& option : options) {
        for (const StoredValue& value : awkwardValues()) {
            SCOPED_TRACE(narrow(option.name) + " " + value.label);
            deleteSettings();
            if (option.companion != nullptr) {
                ASSERT_TRUE(writeSetting(option.companion, option.companionValue));
            }
            ASSERT_NO_FATAL_FAILURE(store(option.name, value));
            uint64_t minutes = 60;
            if (std::wstring(option.name) == L"duration") {
                minutes = std::max<uint64_t>(effective(value, 60), 1);
            } else if (std::wstring(option.name) == L"durationUnit") {
                minutes = effective(value, 0) != 0 ? 3600 : 60;
            }
            ASSERT_NO_FATAL_FAILURE(runSession(minutes));
        }
    }
}

// The longest lengths the two options allow together: the end minute is
// kept within the positive 32-bit range instead of wrapping to a small or
// zero value, and the session timer is armed without overflow.
TEST_F(BadSettings, LongestSessionKeepsItsEndMinuteInRange) {
    ASSERT_TRUE(writeSetting(L"duration", DWORD{0xFFFFFFFF}));
    ASSERT_TRUE(writeSetting(L"durationUnit", DWORD{1}));
    ASSERT_TRUE(writeSetting(L"simulatePress", DWORD{1}));
    ASSERT_TRUE(writeSetting(L"simulatePressTimeOut", DWORD{0xFFFFFFFF}));
    ASSERT_NO_FATAL_FAILURE(runSession(uint64_t{0xFFFFFFFF} * 60));
}

struct PathCase {
    std::string label;
    DWORD type;
    std::wstring text; // may hold a null of its own
    const std::wstring* expectedFolder;
};

void storePath(const PathCase& path) {
    deleteValue(kSettingsKey, L"Path");
    if (path.type == REG_NONE) {
        return;
    }
    EXPECT_TRUE(writeText(kSettingsKey, L"Path", path.text, path.type));
}

std::wstring standInMarker(const std::wstring& folder) {
    return folder + L"\\started.txt";
}

bool exists(const std::wstring& file) {
    return GetFileAttributesW(file.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// A folder holding the stand-in configuration program.
std::wstring makeStandInFolder(const std::wstring& folder) {
    CreateDirectoryW(folder.c_str(), nullptr);
    CopyFileW(standInConfigProgram().c_str(), (folder + L"\\PCVigilor.exe").c_str(), FALSE);
    return folder;
}

// "Path" in every shape. The "Configuration" command starts the program in
// the folder "Path" names when "\PCVigilor.exe" fits behind it within
// MAX_PATH, and otherwise the one beside the agent, never one from a folder
// cut short or from the root of the drive.
TEST_F(BadSettings, PathInEveryShape) {
    TempFolder own;
    std::wstring agentCopy = own.path() + L"\\VigilorTaskbar.exe";
    ASSERT_TRUE(CopyFileW(agentProgram().c_str(), agentCopy.c_str(), FALSE));
    makeStandInFolder(own.path());

    TempFolder named;
    const std::wstring plain = makeStandInFolder(named.path() + L"\\plain");
    const std::wstring spaced = makeStandInFolder(named.path() + L"\\with  spaces in it");
    const std::wstring foreign =
        makeStandInFolder(named.path() + L"\\\u00dcnic\u00f6de \u00df \u65e5\u672c \u0416");
    // The longest folder that leaves room for the file name, and one more.
    const size_t fits = MAX_PATH - 1 - std::wcslen(L"\\PCVigilor.exe");
    auto folderOfLength = [&](size_t length) {
        std::wstring base = named.path() + L"\\";
        return base + std::wstring(length - base.size(), L'd');
    };
    const std::wstring longest = makeStandInFolder(folderOfLength(fits));
    const std::wstring tooLong = makeStandInFolder(folderOfLength(fits + 1));
    ASSERT_TRUE(exists(longest + L"\\PCVigilor.exe"));
    ASSERT_TRUE(exists(tooLong + L"\\PCVigilor.exe"));

    wchar_t temp[MAX_PATH] = {};
    GetEnvironmentVariableW(L"TEMP", temp, MAX_PATH);
    std::wstring expandable = plain;
    if (temp[0] != L'\0' && expandable.rfind(temp, 0) == 0) {
        expandable = L"%TEMP%" + expandable.substr(std::wcslen(temp));
    }
    const std::wstring& ownFolder = own.path();
    auto letters = [](size_t n) { return L"Z:\\" + std::wstring(n - 3, L'p'); };
    const std::vector<PathCase> cases = {
        {"missing", REG_NONE, L"", &ownFolder},
        {"empty", REG_SZ, L"", &ownFolder},
        {"REG_EXPAND_SZ", REG_EXPAND_SZ, expandable, &plain},
        {"259 characters", REG_SZ, letters(259), &ownFolder},
        {"260 characters", REG_SZ, letters(260), &ownFolder},
        {"261 characters", REG_SZ, letters(261), &ownFolder},
        {"32767 characters", REG_SZ, letters(32767), &ownFolder},
        {"longest that fits", REG_SZ, longest, &longest},
        {"one character longer", REG_SZ, tooLong, &ownFolder},
        {"embedded null", REG_SZ, plain + std::wstring(1, L'\0') + L"junk", &plain},
        {"non-ASCII", REG_SZ, foreign, &foreign},
        {"trailing backslash", REG_SZ, plain + L"\\", &plain},
        {"spaces", REG_SZ, spaced, &spaced},
    };
    const std::wstring* folders[] = {&ownFolder, &plain, &spaced, &foreign, &longest, &tooLong};
    for (const PathCase& path : cases) {
        SCOPED_TRACE("Path " + path.label);
        for (const std::wstring* folder : folders) {
            DeleteFileW(standInMarker(*folder).c_str());
        }
        ASSERT_NO_FATAL_FAILURE(storePath(path));

        AgentProcess agent;
        ASSERT_TRUE(agent.start(agentCopy)) << "the agent did not start";
        ASSERT_TRUE(agent.post(WM_COMMAND, IDM_CONFIGURATION));
        bool started =
            pumpUntil([&] { return exists(standInMarker(*path.expectedFolder)); }, 15000);
        std::wstring stray = strayWindows(agent.id());
        EXPECT_TRUE(started) << "nothing started in " << narrow(*path.expectedFolder)
                             << "; open: " << narrow(stray);
        for (const std::wstring* folder : folders) {
            if (folder != path.expectedFolder) {
                EXPECT_FALSE(exists(standInMarker(*folder))) << "started in " << narrow(*folder);
            }
        }
        // The session is not disturbed by whatever "Path" held.
        auto answer = config.query(agent.window(), 5000);
        ASSERT_TRUE(answer) << "no answer to a query";
        EXPECT_EQ(answer->first, 0u);
        ASSERT_TRUE(agent.post(WM_COMMAND, IDM_CLOSE));
        EXPECT_TRUE(agent.waitForExit(10000)) << "Close did not end the agent";
    }
}

} // namespace
} // namespace reliability
