// Where the stand-in powrprof.dll keeps "the active scheme", so that tests in
// other processes (and after the Wine session has ended) can read and set it.
#pragma once

namespace stand_in_powrprof {

// Under HKEY_CURRENT_USER.
inline constexpr wchar_t kStateKey[] = L"Software\\PC-Vigilor Tests\\powrprof";
// REG_SZ, the active scheme in braced form. Without it, reading the active
// scheme fails as Wine's own call does.
inline constexpr wchar_t kActiveValue[] = L"Active";
// REG_DWORD, how many times a scheme was activated.
inline constexpr wchar_t kActivationsValue[] = L"Activations";
// REG_SZ: the plans that exist (all when missing); in the build with Windows
// 11's calls, the user's power mode on mains and on battery.
inline constexpr wchar_t kPlansValue[] = L"Plans";
inline constexpr wchar_t kMainsModeValue[] = L"MainsMode";
inline constexpr wchar_t kBatteryModeValue[] = L"BatteryMode";
// REG_DWORD: AcOnLine, AoAc, the battery's charge and its own alert level
// (percent; no battery without a charge).
inline constexpr wchar_t kAcOnLineValue[] = L"AcOnLine";
inline constexpr wchar_t kAoAcValue[] = L"AoAc";
inline constexpr wchar_t kChargeValue[] = L"Charge";
inline constexpr wchar_t kAlertValue[] = L"DefaultAlert1";
inline constexpr wchar_t kLidValue[] = L"LidPresent";
// REG_DWORD: a setting of the active plan, named by its subgroup's GUID, the
// setting's GUID and the power source; a setting not set is not found, nor
// one asked for under another subgroup (sleep, battery, buttons and lid).
inline constexpr wchar_t kAllowOnMainsValue[] =
    L"{238C9FA8-0AAD-41ED-83F4-97BE242C8F20} {A4B195F5-8225-47D8-8012-9D41369786E2} AC";
inline constexpr wchar_t kAllowOnBatteryValue[] =
    L"{238C9FA8-0AAD-41ED-83F4-97BE242C8F20} {A4B195F5-8225-47D8-8012-9D41369786E2} DC";
inline constexpr wchar_t kLowActionValue[] =
    L"{E73A048D-BF27-4F12-9731-8B2076E8891F} {D8742DCB-3E6A-4B3C-B3FE-374623CDCF06} DC";
inline constexpr wchar_t kLowLevelValue[] =
    L"{E73A048D-BF27-4F12-9731-8B2076E8891F} {8183BA9A-E910-48DA-8769-14AE6DC1170A} DC";
inline constexpr wchar_t kCriticalActionValue[] =
    L"{E73A048D-BF27-4F12-9731-8B2076E8891F} {637EA02F-BBCB-4015-8E2C-A1C7B9C0B546} DC";
inline constexpr wchar_t kCriticalLevelValue[] =
    L"{E73A048D-BF27-4F12-9731-8B2076E8891F} {9A66D8D7-4FF7-4EF9-B5A2-5A326CA2A469} DC";
inline constexpr wchar_t kLidActionValue[] =
    L"{4F971E89-EEBD-4455-A8DE-9E59040E7347} {5CA83367-6E45-459F-A27B-476B1D01C936} DC";

} // namespace stand_in_powrprof
