#include "power_scheme.h"

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

void activateScheme(const GUID& scheme) {
    PowerSetActiveScheme(nullptr, &scheme);
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
}
