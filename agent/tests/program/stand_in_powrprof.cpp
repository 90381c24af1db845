// Stands in for powrprof.dll beside a program under test: Wine's own power
// scheme calls neither report nor change an active scheme. Loaded instead of
// Wine's through the program's DllOverrides; the state lives in the registry.
#include "stand_in_powrprof.h"
#include "test_registry.h"

#include <windows.h>

#include <objbase.h>

#include <optional>
#include <string>

using namespace stand_in_powrprof;

namespace {

constexpr int kGuidTextLength = 38;

bool readActive(GUID& scheme) {
    wchar_t text[kGuidTextLength + 1] = {};
    DWORD size = sizeof(text);
    return RegGetValueW(HKEY_CURRENT_USER, kStateKey, kActiveValue, RRF_RT_REG_SZ, nullptr, text,
                        &size) == ERROR_SUCCESS &&
           SUCCEEDED(CLSIDFromString(text, &scheme));
}

DWORD writeActive(const GUID& scheme) {
    wchar_t text[kGuidTextLength + 1] = {};
    StringFromGUID2(scheme, text, kGuidTextLength + 1);
    wchar_t plans[1024] = {};
    DWORD size = sizeof(plans);
    if (RegGetValueW(HKEY_CURRENT_USER, kStateKey, kPlansValue, RRF_RT_REG_SZ, nullptr, plans,
                     &size) == ERROR_SUCCESS &&
        wcsstr(plans, text) == nullptr) {
        return ERROR_FILE_NOT_FOUND; // Windows documents only a nonzero code
    }
    HKEY key = nullptr;
    LONG rc = RegCreateKeyExW(HKEY_CURRENT_USER, kStateKey, 0, nullptr, 0, KEY_READ | KEY_WRITE,
                              nullptr, &key, nullptr);
    if (rc != ERROR_SUCCESS) {
        return rc;
    }
    DWORD activations = 0;
    size = sizeof(activations);
    RegGetValueW(key, nullptr, kActivationsValue, RRF_RT_REG_DWORD, nullptr, &activations, &size);
    ++activations;
    rc = RegSetValueExW(key, kActiveValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                        sizeof(text));
    RegSetValueExW(key, kActivationsValue, 0, REG_DWORD,
                   reinterpret_cast<const BYTE*>(&activations), sizeof(activations));
    RegCloseKey(key);
    return rc;
}

} // namespace

extern "C" __declspec(dllexport) DWORD WINAPI PowerGetActiveScheme(HKEY, GUID** scheme) {
    GUID active = {};
    if (scheme == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    if (!readActive(active)) {
        return ERROR_CALL_NOT_IMPLEMENTED;
    }
    // The caller frees the GUID with LocalFree, as with the real call.
    auto* copy = static_cast<GUID*>(LocalAlloc(LMEM_FIXED, sizeof(GUID)));
    if (copy == nullptr) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
    *copy = active;
    *scheme = copy;
    return ERROR_SUCCESS;
}

extern "C" __declspec(dllexport) DWORD WINAPI PowerSetActiveScheme(HKEY, const GUID* scheme) {
    if (scheme == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    return writeActive(*scheme);
}

#ifdef STAND_IN_POWER_MODES
// Windows 11's user configured power modes, in the build that has them; a
// mode never set is balanced, the null GUID.
#define STAND_IN_POWER_MODE(supply, value)                                                         \
    extern "C" __declspec(dllexport)                                                               \
        DWORD WINAPI PowerGetUserConfigured##supply##PowerMode(GUID* mode) {                       \
        wchar_t text[kGuidTextLength + 1] = L"{00000000-0000-0000-0000-000000000000}";             \
        DWORD size = sizeof(text);                                                                 \
        RegGetValueW(HKEY_CURRENT_USER, kStateKey, value, RRF_RT_REG_SZ, nullptr, text, &size);    \
        return SUCCEEDED(CLSIDFromString(text, mode)) ? ERROR_SUCCESS : ERROR_INVALID_DATA;        \
    }                                                                                              \
    extern "C" __declspec(dllexport)                                                               \
        DWORD WINAPI PowerSetUserConfigured##supply##PowerMode(const GUID* mode) {                 \
        wchar_t text[kGuidTextLength + 1] = {};                                                    \
        StringFromGUID2(*mode, text, kGuidTextLength + 1);                                         \
        return RegSetKeyValueW(HKEY_CURRENT_USER, kStateKey, value, REG_SZ, text, sizeof(text));   \
    }
STAND_IN_POWER_MODE(AC, kMainsModeValue)
STAND_IN_POWER_MODE(DC, kBatteryModeValue)
#endif

// How the PC is powered and what its active plan allows, as a test set it.
static DWORD stateValue(const wchar_t* name, DWORD otherwise) {
    return vigilor_test::readDword(kStateKey, name).value_or(otherwise);
}

extern "C" __declspec(dllexport) LONG WINAPI
    CallNtPowerInformation(POWER_INFORMATION_LEVEL level, PVOID, ULONG, PVOID output, ULONG size) {
    if (level == SystemBatteryState && size >= sizeof(SYSTEM_BATTERY_STATE)) {
        auto* battery = static_cast<SYSTEM_BATTERY_STATE*>(output);
        DWORD const mWhPerPercent = 500;
        std::optional<DWORD> charge = vigilor_test::readDword(kStateKey, kChargeValue);
        battery->AcOnLine = stateValue(kAcOnLineValue, 1) != 0;
        battery->BatteryPresent = charge.has_value();
        battery->MaxCapacity = charge ? 100 * mWhPerPercent : 0;
        battery->RemainingCapacity = charge.value_or(0) * mWhPerPercent;
        battery->DefaultAlert1 = stateValue(kAlertValue, 0) * mWhPerPercent;
    } else if (level == SystemPowerCapabilities && size >= sizeof(SYSTEM_POWER_CAPABILITIES)) {
        auto* capabilities = static_cast<SYSTEM_POWER_CAPABILITIES*>(output);
        capabilities->spare2[2] = stateValue(kAoAcValue, 0) != 0;
        capabilities->LidPresent = stateValue(kLidValue, 0) != 0;
    } else {
        return static_cast<LONG>(0xC0000002); // STATUS_NOT_IMPLEMENTED
    }
    return 0;
}

static DWORD readPlanValue(const GUID* subgroup, const GUID* setting, const wchar_t* supply,
                           DWORD* value) {
    wchar_t group[kGuidTextLength + 1] = {};
    wchar_t name[kGuidTextLength + 1] = {};
    StringFromGUID2(*subgroup, group, kGuidTextLength + 1);
    StringFromGUID2(*setting, name, kGuidTextLength + 1);
    std::optional<DWORD> set =
        vigilor_test::readDword(kStateKey, (std::wstring(group) + L" " + name + supply).c_str());
    *value = set.value_or(0);
    return set ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
}

extern "C" __declspec(dllexport) DWORD WINAPI
    PowerReadACValueIndex(HKEY, const GUID*, const GUID* subgroup, const GUID* setting,
                          DWORD* value) {
    return readPlanValue(subgroup, setting, L" AC", value);
}

extern "C" __declspec(dllexport) DWORD WINAPI
    PowerReadDCValueIndex(HKEY, const GUID*, const GUID* subgroup, const GUID* setting,
                          DWORD* value) {
    return readPlanValue(subgroup, setting, L" DC", value);
}
