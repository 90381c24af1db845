#include "sleep_threats.h"

#include "notification.h"
#include "resource.h"
#include "texts.h"

#include <windows.h>

#include <powrprof.h>

#include <string>

namespace {

// Where group policy and device management (ADMX_Power) put "Allow
// applications to prevent automatic sleep", with a value for each power
// source.
const wchar_t kAllowSleepPolicyKey[] =
    L"SOFTWARE\\Policies\\Microsoft\\Power\\PowerSettings\\A4B195F5-8225-47D8-8012-9D41369786E2";
const wchar_t kPolicyOnMains[] = L"ACSettingIndex";
const wchar_t kPolicyOnBattery[] = L"DCSettingIndex";

// The same setting in a power plan: GUID_ALLOW_SYSTEM_REQUIRED in
// GUID_SLEEP_SUBGROUP.
GUID const kSleepSubgroup = {
    0x238c9fa8, 0x0aad, 0x41ed, {0x83, 0xf4, 0x97, 0xbe, 0x24, 0x2c, 0x8f, 0x20}};
GUID const kAllowSystemRequired = {
    0xa4b195f5, 0x8225, 0x47d8, {0x80, 0x12, 0x9d, 0x41, 0x36, 0x97, 0x86, 0xe2}};

// Where "powercfg /requestsoverride PROCESS name types" keeps its overrides:
// a value per program file name, a mask of the request types Windows then
// ignores. Microsoft does not document the place; it is read as a best
// effort.
const wchar_t kProcessOverridesKey[] =
    L"SYSTEM\\CurrentControlSet\\Control\\Power\\PowerRequestOverride\\Process";
DWORD const kOverrideDisplay = 1;
DWORD const kOverrideSystem = 2;

using ReadValueIndex = DWORD(WINAPI*)(HKEY, const GUID*, const GUID*, const GUID*, LPDWORD);

// A call of powrprof that Windows 10 or Wine may lack. The agent links
// powrprof for its scheme calls, so the DLL is loaded already.
ReadValueIndex findValueIndexReader(const char* name) {
    HMODULE powrprof = GetModuleHandleW(L"powrprof.dll");
    if (powrprof == nullptr) {
        return nullptr;
    }
    return reinterpret_cast<ReadValueIndex>(
        reinterpret_cast<void*>(GetProcAddress(powrprof, name)));
}

// Whether the PC runs on its battery now. Without an answer it counts as on
// mains, where nothing sleeps by Modern Standby.
bool runsOnBattery() {
    SYSTEM_BATTERY_STATE state = {};
    return CallNtPowerInformation(SystemBatteryState, nullptr, 0, &state, sizeof(state)) == 0 &&
           !state.AcOnLine;
}

bool hasModernStandby() {
    SYSTEM_POWER_CAPABILITIES capabilities = {};
    if (CallNtPowerInformation(SystemPowerCapabilities, nullptr, 0, &capabilities,
                               sizeof(capabilities)) != 0) {
        return false;
    }
    // mingw-w64's structure predates AoAc ("always on, always connected"),
    // which the SDK places after Hiberboot and WakeAlarmPresent.
    return capabilities.spare2[2] != 0;
}

// The active plan's value of the setting on this power source; nothing
// read leaves `allowed` as it was.
void readPlanAllowsSystemRequired(bool onBattery, DWORD& allowed) {
    ReadValueIndex read =
        findValueIndexReader(onBattery ? "PowerReadDCValueIndex" : "PowerReadACValueIndex");
    GUID* scheme = nullptr;
    if (read != nullptr && PowerGetActiveScheme(nullptr, &scheme) == ERROR_SUCCESS &&
        scheme != nullptr) {
        DWORD value = 0;
        if (read(nullptr, scheme, &kSleepSubgroup, &kAllowSystemRequired, &value) ==
            ERROR_SUCCESS) {
            allowed = value;
        }
    }
    if (scheme != nullptr) {
        LocalFree(scheme);
    }
}

// A policy, where one is set, decides over the plan.
bool systemRequestsIgnored(bool onBattery) {
    DWORD allowed = 1;
    DWORD size = sizeof(allowed);
    if (RegGetValueW(HKEY_LOCAL_MACHINE, kAllowSleepPolicyKey,
                     onBattery ? kPolicyOnBattery : kPolicyOnMains, RRF_RT_REG_DWORD, nullptr,
                     &allowed, &size) != ERROR_SUCCESS) {
        allowed = 1;
        readPlanAllowsSystemRequired(onBattery, allowed);
    }
    return allowed == 0;
}

// The request types overridden for the agent's program file.
DWORD overriddenRequests() {
    wchar_t path[MAX_PATH] = {};
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return 0;
    }
    std::wstring file(path, length);
    file.erase(0, file.find_last_of(L"\\/") + 1);
    DWORD mask = 0;
    DWORD size = sizeof(mask);
    if (RegGetValueW(HKEY_LOCAL_MACHINE, kProcessOverridesKey, file.c_str(), RRF_RT_REG_DWORD,
                     nullptr, &mask, &size) != ERROR_SUCCESS) {
        return 0;
    }
    return mask;
}

} // namespace

void noticeSleepThreats(bool displayKeptOn) {
    bool onBattery = runsOnBattery();
    if (systemRequestsIgnored(onBattery)) {
        addNotice(NoticeCause::SleepPolicy, loadText(IDS_NOTICE_SLEEP_POLICY),
                  NoticeLevel::Warning);
    }
    DWORD requested = kOverrideSystem | (displayKeptOn ? kOverrideDisplay : 0);
    if ((overriddenRequests() & requested) != 0) {
        addNotice(NoticeCause::RequestOverride, loadText(IDS_NOTICE_REQUEST_OVERRIDE),
                  NoticeLevel::Warning);
    }
    // Windows ends requests to keep the system awake there; only a display
    // kept on holds the PC.
    if (onBattery && !displayKeptOn && hasModernStandby()) {
        addNotice(NoticeCause::ModernStandby, loadText(IDS_NOTICE_MODERN_STANDBY),
                  NoticeLevel::Warning);
    }
}
