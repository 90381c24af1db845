#include "sleep_threats.h"

#include "notification.h"
#include "resource.h"
#include "texts.h"

#include <windows.h>

#include <powrprof.h>

#include <algorithm>
#include <optional>
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

// The battery subgroup of a power plan (GUID_BATTERY_SUBGROUP): what Windows
// does when the charge is low and when it is critical (0 nothing, 1 sleep,
// 2 hibernate, 3 shut down), and at which charge, in percent.
GUID const kBatterySubgroup = {
    0xe73a048d, 0xbf27, 0x4f12, {0x97, 0x31, 0x8b, 0x20, 0x76, 0xe8, 0x89, 0x1f}};
GUID const kLowBatteryAction = {
    0xd8742dcb, 0x3e6a, 0x4b3c, {0xb3, 0xfe, 0x37, 0x46, 0x23, 0xcd, 0xcf, 0x06}};
GUID const kLowBatteryLevel = {
    0x8183ba9a, 0xe910, 0x48da, {0x87, 0x69, 0x14, 0xae, 0x6d, 0xc1, 0x17, 0x0a}};
GUID const kCriticalBatteryAction = {
    0x637ea02f, 0xbbcb, 0x4015, {0x8e, 0x2c, 0xa1, 0xc7, 0xb9, 0xc0, 0xb5, 0x46}};
GUID const kCriticalBatteryLevel = {
    0x9a66d8d7, 0x4ff7, 0x4ef9, {0xb5, 0xa2, 0x5a, 0x32, 0x6c, 0xa2, 0xa4, 0x69}};
// The lid's action, with the same values, among the buttons' settings
// (GUID_SYSTEM_BUTTON_SUBGROUP, GUID_LIDSWITCH_ACTION).
GUID const kButtonSubgroup = {
    0x4f971e89, 0xeebd, 0x4455, {0xa8, 0xde, 0x9e, 0x59, 0x04, 0x0e, 0x73, 0x47}};
GUID const kLidAction = {
    0x5ca83367, 0x6e45, 0x459f, {0xa2, 0x7b, 0x47, 0x6b, 0x1d, 0x01, 0xc9, 0x36}};
DWORD const kBatteryDoNothing = 0;
DWORD const kBatteryShutDown = 3;
UINT const kBatteryActionTexts[] = {IDS_NOTICE_BATTERY_SLEEP, IDS_NOTICE_BATTERY_HIBERNATE,
                                    IDS_NOTICE_BATTERY_SHUT_DOWN};
// How close to that charge the user is told, in percentage points.
DWORD const kBatteryWarningMargin = 5;
// A capacity the battery does not report (the driver kit's
// BATTERY_UNKNOWN_CAPACITY).
DWORD const kUnknownCapacity = 0xFFFFFFFF;

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

// How the PC is powered now. Without an answer it counts as on mains, where
// nothing sleeps by Modern Standby or an empty battery.
SYSTEM_BATTERY_STATE readBatteryState() {
    SYSTEM_BATTERY_STATE state = {};
    if (CallNtPowerInformation(SystemBatteryState, nullptr, 0, &state, sizeof(state)) != 0) {
        state = {};
        state.AcOnLine = TRUE;
    }
    return state;
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

// A setting of the active plan for this power source; nothing read leaves
// `value` as it was.
bool readPlanValue(bool onBattery, const GUID& subgroup, const GUID& setting, DWORD& value) {
    ReadValueIndex read =
        findValueIndexReader(onBattery ? "PowerReadDCValueIndex" : "PowerReadACValueIndex");
    GUID* scheme = nullptr;
    bool found = false;
    if (read != nullptr && PowerGetActiveScheme(nullptr, &scheme) == ERROR_SUCCESS &&
        scheme != nullptr) {
        DWORD answer = 0;
        found = read(nullptr, scheme, &subgroup, &setting, &answer) == ERROR_SUCCESS;
        if (found) {
            value = answer;
        }
    }
    if (scheme != nullptr) {
        LocalFree(scheme);
    }
    return found;
}

// A policy, where one is set, decides over the plan.
bool systemRequestsIgnored(bool onBattery) {
    DWORD allowed = 1;
    DWORD size = sizeof(allowed);
    if (RegGetValueW(HKEY_LOCAL_MACHINE, kAllowSleepPolicyKey,
                     onBattery ? kPolicyOnBattery : kPolicyOnMains, RRF_RT_REG_DWORD, nullptr,
                     &allowed, &size) != ERROR_SUCCESS) {
        allowed = 1;
        readPlanValue(onBattery, kSleepSubgroup, kAllowSystemRequired, allowed);
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

DWORD percentOf(DWORD part, DWORD whole) {
    return whole == 0 ? 0 : static_cast<DWORD>(ULONGLONG{part} * 100 / whole);
}

// The charge in percent as Windows shows it, of the battery's full charge
// today; nothing where Windows does not know it (255) or there is no
// battery. SYSTEM_BATTERY_STATE's MaxCapacity is the capacity when new, so a
// worn battery's charge would read low against it.
std::optional<DWORD> readBatteryCharge() {
    SYSTEM_POWER_STATUS status = {};
    if (!GetSystemPowerStatus(&status) || status.BatteryLifePercent > 100 ||
        (status.BatteryFlag != BATTERY_FLAG_UNKNOWN &&
         (status.BatteryFlag & BATTERY_FLAG_NO_BATTERY) != 0)) {
        return std::nullopt;
    }
    return status.BatteryLifePercent;
}

// The battery's own alert (DefaultAlert1, in mWh) in the percent that
// Windows shows: the charge now stands for RemainingCapacity. Against the
// capacity when new only where the remaining capacity is not known.
DWORD alertPercent(const SYSTEM_BATTERY_STATE& battery, DWORD charge) {
    if (battery.RemainingCapacity == 0 || battery.RemainingCapacity == kUnknownCapacity) {
        return percentOf(battery.DefaultAlert1, battery.MaxCapacity);
    }
    ULONGLONG scaled = (ULONGLONG{battery.DefaultAlert1} * charge + battery.RemainingCapacity / 2) /
                       battery.RemainingCapacity;
    return static_cast<DWORD>(std::min<ULONGLONG>(scaled, 100));
}

std::wstring numberText(DWORD number) {
    wchar_t text[16] = {};
    wsprintfW(text, L"%lu", number);
    return text;
}

struct BatteryAction {
    DWORD action = kBatteryDoNothing;
    DWORD level = 0;  // the charge at which Windows takes it, in percent
    DWORD charge = 0; // the charge now
};

// Windows takes its battery actions whatever any program asks: the low
// battery action at the plan's low level, else the critical one at the
// plan's critical level, or at the battery's own alert where the plan's
// level cannot be read. Nothing on mains, without a battery or a known
// charge, or where the plan does not say what Windows does.
BatteryAction comingBatteryAction(const SYSTEM_BATTERY_STATE& battery) {
    BatteryAction coming;
    std::optional<DWORD> charge = readBatteryCharge();
    if (battery.AcOnLine || !battery.BatteryPresent || !charge) {
        return coming;
    }
    coming.charge = *charge;
    if (readPlanValue(true, kBatterySubgroup, kLowBatteryAction, coming.action) &&
        coming.action != kBatteryDoNothing &&
        readPlanValue(true, kBatterySubgroup, kLowBatteryLevel, coming.level)) {
        return coming;
    }
    if (!readPlanValue(true, kBatterySubgroup, kCriticalBatteryAction, coming.action)) {
        coming.action = kBatteryDoNothing;
    } else if (!readPlanValue(true, kBatterySubgroup, kCriticalBatteryLevel, coming.level)) {
        coming.level = alertPercent(battery, coming.charge);
    }
    return coming;
}

bool takesAction(DWORD action) {
    return action != kBatteryDoNothing && action <= kBatteryShutDown;
}

// The user hears of the battery action once the charge comes near it.
void noticeBatteryRunningOut(const SYSTEM_BATTERY_STATE& battery) {
    BatteryAction coming = comingBatteryAction(battery);
    if (!takesAction(coming.action) || coming.charge > coming.level + kBatteryWarningMargin) {
        return;
    }
    addNotice(NoticeCause::BatteryRunningOut,
              formatText(kBatteryActionTexts[coming.action - 1],
                         {numberText(coming.charge), numberText(coming.level)}),
              NoticeLevel::Warning);
}

} // namespace

void noticeSleepThreats(bool displayKeptOn, bool displayAllowed) {
    SYSTEM_BATTERY_STATE battery = readBatteryState();
    bool onBattery = !battery.AcOnLine;
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
        addNotice(NoticeCause::ModernStandby,
                  loadText(displayAllowed ? IDS_NOTICE_MODERN_STANDBY
                                          : IDS_NOTICE_MODERN_STANDBY_RULED),
                  NoticeLevel::Warning);
    }
    noticeBatteryRunningOut(battery);
}

void noticeLidAction() {
    SYSTEM_POWER_CAPABILITIES capabilities = {};
    DWORD action = kBatteryDoNothing;
    if (CallNtPowerInformation(SystemPowerCapabilities, nullptr, 0, &capabilities,
                               sizeof(capabilities)) == 0 &&
        capabilities.LidPresent &&
        readPlanValue(!readBatteryState().AcOnLine, kButtonSubgroup, kLidAction, action) &&
        takesAction(action)) {
        addNotice(NoticeCause::LidAction, loadText(IDS_NOTICE_LID), NoticeLevel::Warning);
    }
}

bool batteryActionDue() {
    BatteryAction coming = comingBatteryAction(readBatteryState());
    return takesAction(coming.action) && coming.charge <= coming.level;
}
