// Stands in for powrprof.dll beside a program under test: Wine's own power
// scheme calls neither report nor change an active scheme. Loaded instead of
// Wine's through the program's DllOverrides; the state lives in the registry.
#include "stand_in_powrprof.h"

#include <windows.h>

#include <objbase.h>

using namespace stand_in_powrprof;

namespace {

constexpr int kGuidTextLength = 38;

bool readGuid(const wchar_t* value, GUID& guid) {
    wchar_t text[kGuidTextLength + 1] = {};
    DWORD size = sizeof(text);
    return RegGetValueW(HKEY_CURRENT_USER, kStateKey, value, RRF_RT_REG_SZ, nullptr, text, &size) ==
               ERROR_SUCCESS &&
           SUCCEEDED(CLSIDFromString(text, &guid));
}

bool readActive(GUID& scheme) {
    return readGuid(kActiveValue, scheme);
}

bool planExists(const wchar_t* text) {
    wchar_t plans[1024] = {};
    DWORD size = sizeof(plans);
    return RegGetValueW(HKEY_CURRENT_USER, kStateKey, kPlansValue, RRF_RT_REG_SZ, nullptr, plans,
                        &size) != ERROR_SUCCESS ||
           wcsstr(plans, text) != nullptr;
}

DWORD writeActive(const GUID& scheme) {
    wchar_t text[kGuidTextLength + 1] = {};
    StringFromGUID2(scheme, text, kGuidTextLength + 1);
    if (!planExists(text)) {
        return kMissingPlanError;
    }
    HKEY key = nullptr;
    LONG rc = RegCreateKeyExW(HKEY_CURRENT_USER, kStateKey, 0, nullptr, 0, KEY_READ | KEY_WRITE,
                              nullptr, &key, nullptr);
    if (rc != ERROR_SUCCESS) {
        return rc;
    }
    DWORD activations = 0;
    DWORD size = sizeof(activations);
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
// Windows 11's user configured power modes, in the build that has them.
namespace {

DWORD readMode(const wchar_t* value, GUID* mode) {
    if (mode == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    if (!readGuid(value, *mode)) {
        *mode = GUID{};
    }
    return ERROR_SUCCESS;
}

DWORD writeMode(const wchar_t* value, const GUID* mode) {
    if (mode == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    wchar_t text[kGuidTextLength + 1] = {};
    StringFromGUID2(*mode, text, kGuidTextLength + 1);
    return RegSetKeyValueW(HKEY_CURRENT_USER, kStateKey, value, REG_SZ, text, sizeof(text));
}

} // namespace

extern "C" __declspec(dllexport) DWORD WINAPI PowerGetUserConfiguredACPowerMode(GUID* mode) {
    return readMode(kMainsModeValue, mode);
}
extern "C" __declspec(dllexport) DWORD WINAPI PowerGetUserConfiguredDCPowerMode(GUID* mode) {
    return readMode(kBatteryModeValue, mode);
}
extern "C" __declspec(dllexport) DWORD WINAPI PowerSetUserConfiguredACPowerMode(const GUID* mode) {
    return writeMode(kMainsModeValue, mode);
}
extern "C" __declspec(dllexport) DWORD WINAPI PowerSetUserConfiguredDCPowerMode(const GUID* mode) {
    return writeMode(kBatteryModeValue, mode);
}
#endif
