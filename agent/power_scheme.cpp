#include "power_scheme.h"

#include "agent.h"
#include "notification.h"
#include "plan_switch_mark.h"
#include "power_mode.h"
#include "resource.h"
#include "settings.h"
#include "texts.h"

#include <objbase.h>
#include <powrprof.h>

#include <cwchar>
#include <vector>

namespace {

const wchar_t* const kSchemeTexts[] = {
    L"{A1841308-3541-4FAB-BC81-F71556F20B4A}", // Power saver
    L"{381B4222-F694-41F0-9685-FF5BB260DF2E}", // Balanced
    L"{8C5E7FDA-E8BF-4A96-9A85-A6E23A8C635C}", // High performance
};
UINT const kSchemeNames[] = {IDS_PLAN_POWER_SAVER, IDS_PLAN_BALANCED, IDS_PLAN_HIGH_PERFORMANCE};
UINT const kModeNames[] = {IDS_MODE_BEST_EFFICIENCY, IDS_MODE_BALANCED, IDS_MODE_BEST_PERFORMANCE};

// The active scheme as seen by the last detection. When the platform would
// not tell, no plan is switched, since none could be put back; `detectError`
// then says why.
GUID detectedScheme = {};
bool detectedSchemeKnown = false;
DWORD detectError = ERROR_SUCCESS;

// What a session changed, to be put back at its end: the active plan, or,
// where the plan could not be switched, the user's power modes for mains and
// battery. Kept in the settings key too, as a "restoreScheme" record, so that
// an agent that was killed or crashed mid-session leaves a trace.
enum class Switched { Nothing, Plan, Modes };
struct SchemeSwitch {
    Switched what = Switched::Nothing;
    GUID userPlan = {};
    GUID userModes[2] = {}; // by PowerSupply
    GUID switchedTo = {};   // the plan or the mode the session chose
    // An older agent's record names only the user's plan.
    bool switchedToKnown = true;
};

SchemeSwitch sessionSwitch;

// Whether this agent wrote the record in the settings key. A record that
// another agent running beside this one wrote is that agent's to delete; one
// left by an agent that is gone has been dealt with when the session started.
bool ownsRestoreRecord = false;

constexpr wchar_t kRestoreRecord[] = L"restoreScheme";
constexpr size_t kSchemeTextLength = 38;
// "v2 modes" and three identifiers, with room to spare; anything longer is
// no record of ours.
constexpr size_t kRecordMaxLength = 160;
// The record's version, first in its text. An agent that reads only a bare
// scheme identifier deletes a record in this form without acting on it.
constexpr wchar_t kRecordVersion[] = L"v2";
constexpr wchar_t kRecordPlan[] = L"plan";
constexpr wchar_t kRecordModes[] = L"modes";

bool isHexDigit(wchar_t c) {
    return (c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'f') || (c >= L'A' && c <= L'F');
}

std::wstring guidText(const GUID& guid) {
    wchar_t text[kSchemeTextLength + 1] = {};
    StringFromGUID2(guid, text, ARRAYSIZE(text));
    return text;
}

// A scheme identifier in braced form ("{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}",
// either case), and nothing else.
bool guidFromText(const std::wstring& text, GUID& guid) {
    if (text.size() != kSchemeTextLength || text.front() != L'{' || text.back() != L'}') {
        return false;
    }
    for (size_t i = 1; i + 1 < text.size(); ++i) {
        bool hyphen = i == 9 || i == 14 || i == 19 || i == 24;
        if (hyphen ? text[i] != L'-' : !isHexDigit(text[i])) {
            return false;
        }
    }
    return SUCCEEDED(CLSIDFromString(text.c_str(), &guid));
}

// The words of a record, split at single spaces; a doubled, leading or
// trailing space gives an empty word, which no record holds.
std::vector<std::wstring> recordWords(const std::wstring& text) {
    std::vector<std::wstring> words(1);
    for (wchar_t c : text) {
        if (c == L' ') {
            words.emplace_back();
        } else {
            words.back() += c;
        }
    }
    return words;
}

std::wstring recordText(const SchemeSwitch& change) {
    std::wstring text = kRecordVersion;
    if (change.what == Switched::Plan) {
        text = text + L' ' + kRecordPlan + L' ' + guidText(change.userPlan);
    } else {
        text = text + L' ' + kRecordModes + L' ' + guidText(change.userModes[0]) + L' ' +
               guidText(change.userModes[1]);
    }
    return text + L' ' + guidText(change.switchedTo);
}

bool parseRecord(const std::wstring& text, SchemeSwitch& change) {
    std::vector<std::wstring> words = recordWords(text);
    if (words.size() == 1) {
        change.what = Switched::Plan;
        change.switchedToKnown = false;
        return guidFromText(words[0], change.userPlan);
    }
    if (words[0] != kRecordVersion) {
        return false;
    }
    if (words.size() == 4 && words[1] == kRecordPlan) {
        change.what = Switched::Plan;
        return guidFromText(words[2], change.userPlan) && guidFromText(words[3], change.switchedTo);
    }
    if (words.size() == 5 && words[1] == kRecordModes) {
        change.what = Switched::Modes;
        return guidFromText(words[2], change.userModes[0]) &&
               guidFromText(words[3], change.userModes[1]) &&
               guidFromText(words[4], change.switchedTo);
    }
    return false;
}

DWORD readActiveScheme(GUID& scheme) {
    GUID* active = nullptr;
    DWORD rc = PowerGetActiveScheme(nullptr, &active);
    if (rc == ERROR_SUCCESS && active == nullptr) {
        rc = ERROR_INVALID_DATA;
    }
    if (rc == ERROR_SUCCESS) {
        scheme = *active;
    }
    if (active != nullptr) {
        LocalFree(active);
    }
    return rc;
}

// Any window of the agent's class and title that another process owns: the
// agent window or a popup of an agent that still runs.
bool anotherAgentRuns() {
    HWND window = nullptr;
    while ((window = FindWindowExW(nullptr, window, szWindowClass, szTitle)) != nullptr) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner != GetCurrentProcessId()) {
            return true;
        }
    }
    return false;
}

// What a session switched comes back only while it is still what the
// session chose: the user may have chosen another plan or mode by hand since,
// and that choice stays.
void putBackWhereUnchanged(const SchemeSwitch& change) {
    if (change.what == Switched::Plan) {
        GUID active = {};
        if (!change.switchedToKnown ||
            (readActiveScheme(active) == ERROR_SUCCESS && IsEqualGUID(active, change.switchedTo))) {
            PowerSetActiveScheme(nullptr, &change.userPlan);
        }
        return;
    }
    for (PowerSupply supply : kPowerSupplies) {
        GUID mode = {};
        if (readPowerMode(supply, mode) == ERROR_SUCCESS && IsEqualGUID(mode, change.switchedTo)) {
            setPowerMode(supply, change.userModes[static_cast<int>(supply)]);
        }
    }
}

void recordSwitch() {
    std::wstring existing;
    if (!ownsRestoreRecord && readSettingText(kRestoreRecord, 0, existing) && anotherAgentRuns()) {
        return;
    }
    writeSettingText(kRestoreRecord, recordText(sessionSwitch));
    ownsRestoreRecord = true;
}

DWORD setModes(const GUID& mode) {
    DWORD result = ERROR_SUCCESS;
    for (PowerSupply supply : kPowerSupplies) {
        if (result == ERROR_SUCCESS) {
            result = setPowerMode(supply, mode);
        }
    }
    return result;
}

void putModesBack(const SchemeSwitch& change) {
    for (PowerSupply supply : kPowerSupplies) {
        setPowerMode(supply, change.userModes[static_cast<int>(supply)]);
    }
}

// Where the plan is missing (Modern Standby PCs, many Windows 11 images), the
// nearest power mode for mains and battery, with the user's to put back.
bool switchModesInstead(DWORD index) {
    SchemeSwitch change;
    change.what = Switched::Modes;
    change.switchedTo = powerModeForIndex(index);
    for (PowerSupply supply : kPowerSupplies) {
        if (readPowerMode(supply, change.userModes[static_cast<int>(supply)]) != ERROR_SUCCESS) {
            return false;
        }
    }
    if (setModes(change.switchedTo) != ERROR_SUCCESS) {
        putModesBack(change);
        return false;
    }
    sessionSwitch = change;
    recordSwitch();
    return true;
}

void tellPlanHeld(DWORD index) {
    addNotice(NoticeCause::PowerPlan,
              formatText(IDS_NOTICE_PLAN_HELD, {loadText(kSchemeNames[index])}),
              NoticeLevel::Warning);
}

void tellPlanNotSwitched(DWORD index, DWORD error, bool modesSet) {
    std::wstring plan = loadText(kSchemeNames[index]);
    std::wstring reason = systemErrorText(error);
    if (modesSet) {
        addNotice(NoticeCause::PowerPlan,
                  formatText(IDS_NOTICE_MODE_INSTEAD, {plan, reason, loadText(kModeNames[index])}),
                  NoticeLevel::Info);
    } else {
        addNotice(NoticeCause::PowerPlan, formatText(IDS_NOTICE_PLAN_NOT_SWITCHED, {plan, reason}),
                  NoticeLevel::Warning);
    }
}

} // namespace

int previousSchemeCode = kSchemeCodeOther;

int schemeCodeForText(const wchar_t* text) {
    for (int i = 0; i < 3; ++i) {
        if (wcscmp(text, kSchemeTexts[i]) == 0) {
            return kSchemeCodePowerSaver + i;
        }
    }
    return kSchemeCodeOther;
}

void detectPowerScheme() {
    detectError = readActiveScheme(detectedScheme);
    detectedSchemeKnown = detectError == ERROR_SUCCESS;
    previousSchemeCode = detectedSchemeKnown ? schemeCodeForText(guidText(detectedScheme).c_str())
                                             : kSchemeCodeOther;
}

void switchPowerScheme(DWORD index) {
    if (index > 2) {
        return;
    }
    if (!holdPlanSwitchMark()) {
        tellPlanHeld(index);
        return;
    }
    if (sessionSwitch.what == Switched::Modes) {
        // The plan was missing at the first start of this session.
        DWORD result = setModes(powerModeForIndex(index));
        if (result != ERROR_SUCCESS) {
            tellPlanNotSwitched(index, result, false);
            return;
        }
        sessionSwitch.switchedTo = powerModeForIndex(index);
        recordSwitch();
        return;
    }
    GUID chosen = {};
    CLSIDFromString(kSchemeTexts[index], &chosen);
    bool canPutBack = sessionSwitch.what == Switched::Plan || detectedSchemeKnown;
    DWORD result = canPutBack ? PowerSetActiveScheme(nullptr, &chosen) : detectError;
    if (result == ERROR_SUCCESS) {
        if (sessionSwitch.what == Switched::Nothing) {
            sessionSwitch.what = Switched::Plan;
            sessionSwitch.userPlan = detectedScheme;
        }
        sessionSwitch.switchedTo = chosen;
        recordSwitch();
        return;
    }
    bool modesSet = sessionSwitch.what == Switched::Nothing && switchModesInstead(index);
    tellPlanNotSwitched(index, result, modesSet);
    if (sessionSwitch.what == Switched::Nothing) {
        releasePlanSwitchMark();
    }
}

int switchedPowerPlan(bool& asPowerMode) {
    asPowerMode = sessionSwitch.what == Switched::Modes;
    for (DWORD index = 0; index < ARRAYSIZE(kSchemeTexts); ++index) {
        GUID plan = {};
        CLSIDFromString(kSchemeTexts[index], &plan);
        GUID chosen = asPowerMode ? powerModeForIndex(index) : plan;
        if (sessionSwitch.what != Switched::Nothing &&
            IsEqualGUID(sessionSwitch.switchedTo, chosen)) {
            return static_cast<int>(index);
        }
    }
    return -1;
}

void restorePowerScheme() {
    if (sessionSwitch.what == Switched::Nothing) {
        return;
    }
    putBackWhereUnchanged(sessionSwitch);
    sessionSwitch = SchemeSwitch();
    releasePlanSwitchMark();
    if (ownsRestoreRecord) {
        deleteSetting(kRestoreRecord);
        ownsRestoreRecord = false;
    }
}

void restoreSchemeLeftBehind() {
    std::wstring text;
    if (sessionSwitch.what != Switched::Nothing ||
        !readSettingText(kRestoreRecord, kRecordMaxLength, text) || anotherAgentRuns()) {
        return;
    }
    SchemeSwitch change;
    // Where an agent of another Windows session has switched since, the plan
    // is that session's now.
    if (parseRecord(text, change) && !planSwitchMarkedElsewhere()) {
        putBackWhereUnchanged(change);
    }
    deleteSetting(kRestoreRecord);
    if (readVigilorActive() == 1) {
        writeVigilorActive(0);
    }
}
