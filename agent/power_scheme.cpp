#include "power_scheme.h"

#include "agent.h"
#include "settings.h"

#include <objbase.h>
#include <powrprof.h>

#include <cwchar>

namespace {

const wchar_t* const kSchemeTexts[] = {
    L"{A1841308-3541-4FAB-BC81-F71556F20B4A}", // Power saver
    L"{381B4222-F694-41F0-9685-FF5BB260DF2E}", // Balanced
    L"{8C5E7FDA-E8BF-4A96-9A85-A6E23A8C635C}", // High performance
};

// The active scheme as seen by the last detection. It is unknown when the
// platform would not tell, and then nothing is switched, since nothing could
// be put back.
GUID detectedScheme = {};
bool detectedSchemeKnown = false;

// The scheme to return to at the end of the session that switched.
GUID schemeToRestore = {};
bool schemeSwitched = false;

constexpr wchar_t kRestoreRecord[] = L"restoreScheme";
constexpr size_t kSchemeTextLength = 38;

// Whether this agent wrote the record in the settings key. A record that
// another agent running beside this one wrote is that agent's to delete.
bool ownsRestoreRecord = false;

bool isHexDigit(wchar_t c) {
    return (c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'f') || (c >= L'A' && c <= L'F');
}

void activateScheme(const GUID& scheme) {
    PowerSetActiveScheme(nullptr, &scheme);
}

void recordSchemeToRestore(const GUID& scheme) {
    std::wstring existing;
    if (readSettingText(kRestoreRecord, kSchemeTextLength, existing)) {
        return;
    }
    wchar_t text[kSchemeTextLength + 1] = {};
    if (StringFromGUID2(scheme, text, ARRAYSIZE(text)) == 0) {
        return;
    }
    writeSettingText(kRestoreRecord, text);
    ownsRestoreRecord = true;
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

// A scheme identifier in braced form ("{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}",
// either case), and nothing else.
bool schemeFromText(const std::wstring& text, GUID& scheme) {
    if (text.size() != kSchemeTextLength || text.front() != L'{' || text.back() != L'}') {
        return false;
    }
    for (size_t i = 1; i + 1 < text.size(); ++i) {
        bool hyphen = i == 9 || i == 14 || i == 19 || i == 24;
        if (hyphen ? text[i] != L'-' : !isHexDigit(text[i])) {
            return false;
        }
    }
    return SUCCEEDED(CLSIDFromString(text.c_str(), &scheme));
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
    GUID* active = nullptr;
    detectedSchemeKnown = false;
    int code = kSchemeCodeOther;
    if (PowerGetActiveScheme(nullptr, &active) == ERROR_SUCCESS && active != nullptr) {
        detectedScheme = *active;
        detectedSchemeKnown = true;
        wchar_t text[40] = {};
        if (StringFromGUID2(*active, text, 40) > 0) {
            code = schemeCodeForText(text);
        }
    }
    if (active != nullptr) {
        LocalFree(active);
    }
    previousSchemeCode = code;
}

void switchPowerScheme(DWORD index) {
    if (index > 2) {
        return;
    }
    if (!schemeSwitched) {
        if (!detectedSchemeKnown) {
            return;
        }
        schemeToRestore = detectedScheme;
        schemeSwitched = true;
        recordSchemeToRestore(schemeToRestore);
    }
    GUID chosen = {};
    if (SUCCEEDED(CLSIDFromString(kSchemeTexts[index], &chosen))) {
        activateScheme(chosen);
    }
}

void restorePowerScheme() {
    if (!schemeSwitched) {
        return;
    }
    schemeSwitched = false;
    activateScheme(schemeToRestore);
    if (ownsRestoreRecord) {
        deleteSetting(kRestoreRecord);
        ownsRestoreRecord = false;
    }
}

void restoreSchemeLeftBehind() {
    std::wstring text;
    if (!readSettingText(kRestoreRecord, kSchemeTextLength, text) || anotherAgentRuns()) {
        return;
    }
    GUID scheme = {};
    if (schemeFromText(text, scheme)) {
        activateScheme(scheme);
    }
    deleteSetting(kRestoreRecord);
    if (readVigilorActive() == 1) {
        writeVigilorActive(0);
    }
}
