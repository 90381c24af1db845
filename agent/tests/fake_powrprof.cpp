#include "fake_powrprof.h"

#include <powrprof.h>

#include <map>
#include <optional>

namespace {

std::vector<fake_power::PowerRequest> madeRequests;
bool createFails = false;
bool setFails = false;

// Request handles are numbers no real handle has; each stands for its index.
uintptr_t const kFirstRequest = 0x7e570000;

fake_power::PowerRequest* requestOf(HANDLE handle) {
    auto value = reinterpret_cast<uintptr_t>(handle);
    if (value < kFirstRequest || value - kFirstRequest >= madeRequests.size()) {
        return nullptr;
    }
    return &madeRequests[value - kFirstRequest];
}

HANDLE WINAPI fakePowerCreateRequest(PREASON_CONTEXT context) {
    if (createFails || context == nullptr) {
        return INVALID_HANDLE_VALUE;
    }
    fake_power::PowerRequest request;
    request.version = context->Version;
    request.flags = context->Flags;
    if (context->Flags == POWER_REQUEST_CONTEXT_SIMPLE_STRING &&
        context->Reason.SimpleReasonString != nullptr) {
        request.reason = context->Reason.SimpleReasonString;
    }
    madeRequests.push_back(request);
    return reinterpret_cast<HANDLE>(kFirstRequest + madeRequests.size() - 1);
}

BOOL WINAPI fakePowerSetRequest(HANDLE handle, POWER_REQUEST_TYPE type) {
    fake_power::PowerRequest* request = requestOf(handle);
    if (request == nullptr || request->closed || setFails) {
        return FALSE;
    }
    (type == PowerRequestDisplayRequired ? request->displaySet : request->systemSet) = true;
    return TRUE;
}

BOOL WINAPI fakePowerClearRequest(HANDLE handle, POWER_REQUEST_TYPE type) {
    fake_power::PowerRequest* request = requestOf(handle);
    if (request == nullptr || request->closed) {
        return FALSE;
    }
    ++(type == PowerRequestDisplayRequired ? request->displayClears : request->systemClears);
    return TRUE;
}

// Every other handle of the program goes to the real call.
BOOL WINAPI fakeCloseHandle(HANDLE handle) {
    if (fake_power::PowerRequest* request = requestOf(handle)) {
        bool wasOpen = !request->closed;
        request->closed = true;
        return wasOpen;
    }
    static auto real = reinterpret_cast<BOOL(WINAPI*)(HANDLE)>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "CloseHandle")));
    return real(handle);
}

GUID activeScheme = fake_power::kBalanced;
bool readFails = false;
int activationCount = 0;

std::optional<fake_power::Battery> battery;

// The plan's settings by subgroup, setting and power source.
std::map<std::wstring, DWORD> planValues;

std::wstring planKey(const GUID& subgroup, const GUID& setting, bool onBattery) {
    wchar_t text[2][39] = {};
    StringFromGUID2(subgroup, text[0], 39);
    StringFromGUID2(setting, text[1], 39);
    return std::wstring(text[0]) + text[1] + (onBattery ? L"DC" : L"AC");
}

DWORD readPlanValue(const GUID* subgroup, const GUID* setting, bool onBattery, DWORD* value) {
    auto found = subgroup != nullptr && setting != nullptr
                     ? planValues.find(planKey(*subgroup, *setting, onBattery))
                     : planValues.end();
    if (found == planValues.end() || value == nullptr) {
        return ERROR_FILE_NOT_FOUND;
    }
    *value = found->second;
    return ERROR_SUCCESS;
}

BOOL WINAPI fakeGetSystemPowerStatus(LPSYSTEM_POWER_STATUS status) {
    BYTE const onMains = battery && !battery->onMains ? 0 : 1;
    *status = {onMains,
               BYTE(battery ? 0 : BATTERY_FLAG_NO_BATTERY),
               battery ? battery->shownPercent : BYTE(BATTERY_PERCENTAGE_UNKNOWN),
               0,
               BATTERY_LIFE_UNKNOWN,
               BATTERY_LIFE_UNKNOWN};
    return TRUE;
}

using GetModuleHandleCall = HMODULE(WINAPI*)(LPCWSTR);

// The agent looks up powrprof's plan readers at run time; this program
// exports its own, so it answers for powrprof.dll. Every other module is
// found by the real call.
HMODULE WINAPI fakeGetModuleHandleW(LPCWSTR name) {
    static auto real = reinterpret_cast<GetModuleHandleCall>(
        reinterpret_cast<void*>(GetProcAddress(LoadLibraryW(L"kernel32.dll"), "GetModuleHandleW")));
    if (name != nullptr && lstrcmpiW(name, L"powrprof.dll") == 0) {
        return real(nullptr);
    }
    return real(name);
}

} // namespace

namespace fake_power {

void reset(const GUID& active) {
    activeScheme = active;
    readFails = false;
    activationCount = 0;
    battery.reset();
    planValues.clear();
}

void setBattery(const Battery& state) {
    battery = state;
}

void setPlanValue(const GUID& subgroup, const GUID& setting, bool onBattery, DWORD value) {
    planValues[planKey(subgroup, setting, onBattery)] = value;
}

void forgetPlanValue(const GUID& subgroup, const GUID& setting, bool onBattery) {
    planValues.erase(planKey(subgroup, setting, onBattery));
}

void setReadFails(bool fails) {
    readFails = fails;
}

GUID active() {
    return activeScheme;
}

int activations() {
    return activationCount;
}

void resetRequests(bool failCreate, bool failSet) {
    madeRequests.clear();
    createFails = failCreate;
    setFails = failSet;
}

const std::vector<PowerRequest>& requests() {
    return madeRequests;
}

int openRequests() {
    int open = 0;
    for (const PowerRequest& request : madeRequests) {
        open += request.closed ? 0 : 1;
    }
    return open;
}

} // namespace fake_power

extern "C" {
void* __imp_PowerCreateRequest = reinterpret_cast<void*>(&fakePowerCreateRequest);
void* __imp_PowerSetRequest = reinterpret_cast<void*>(&fakePowerSetRequest);
void* __imp_PowerClearRequest = reinterpret_cast<void*>(&fakePowerClearRequest);
void* __imp_CloseHandle = reinterpret_cast<void*>(&fakeCloseHandle);
void* __imp_GetSystemPowerStatus = reinterpret_cast<void*>(&fakeGetSystemPowerStatus);
void* __imp_GetModuleHandleW = reinterpret_cast<void*>(&fakeGetModuleHandleW);
}

extern "C" DWORD WINAPI PowerGetActiveScheme(HKEY, GUID** scheme) {
    if (readFails) {
        return ERROR_CALL_NOT_IMPLEMENTED;
    }
    // The caller frees the GUID with LocalFree, as with the real call.
    auto* copy = static_cast<GUID*>(LocalAlloc(LMEM_FIXED, sizeof(GUID)));
    if (copy == nullptr) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
    *copy = activeScheme;
    *scheme = copy;
    return ERROR_SUCCESS;
}

extern "C" DWORD WINAPI PowerSetActiveScheme(HKEY, const GUID* scheme) {
    if (scheme == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    activeScheme = *scheme;
    ++activationCount;
    return ERROR_SUCCESS;
}

// Until a test sets a battery, the PC does not say how it is powered and
// nothing threatens a session.
extern "C" LONG WINAPI CallNtPowerInformation(POWER_INFORMATION_LEVEL level, PVOID, ULONG,
                                              PVOID output, ULONG size) {
    if (battery && level == SystemBatteryState && size >= sizeof(SYSTEM_BATTERY_STATE)) {
        auto* state = static_cast<SYSTEM_BATTERY_STATE*>(output);
        *state = {};
        state->AcOnLine = battery->onMains;
        state->BatteryPresent = TRUE;
        state->MaxCapacity = battery->capacityWhenNew;
        state->RemainingCapacity = battery->remainingCapacity;
        state->DefaultAlert1 = battery->alert;
        return 0;
    }
    if (battery && level == SystemPowerCapabilities && size >= sizeof(SYSTEM_POWER_CAPABILITIES)) {
        auto* capabilities = static_cast<SYSTEM_POWER_CAPABILITIES*>(output);
        *capabilities = {};
        // AoAc, which mingw-w64's structure predates.
        capabilities->spare2[2] = battery->modernStandby;
        return 0;
    }
    return static_cast<LONG>(0xC0000002); // STATUS_NOT_IMPLEMENTED
}

extern "C" __declspec(dllexport) DWORD WINAPI
    PowerReadACValueIndex(HKEY, const GUID*, const GUID* subgroup, const GUID* setting,
                          LPDWORD value) {
    return readPlanValue(subgroup, setting, false, value);
}

extern "C" __declspec(dllexport) DWORD WINAPI
    PowerReadDCValueIndex(HKEY, const GUID*, const GUID* subgroup, const GUID* setting,
                          LPDWORD value) {
    return readPlanValue(subgroup, setting, true, value);
}
