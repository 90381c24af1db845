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
// REG_DWORD: AcOnLine, AoAc, the plan's GUID_ALLOW_SYSTEM_REQUIRED (AC, DC).
inline constexpr wchar_t kAcOnLineValue[] = L"AcOnLine";
inline constexpr wchar_t kAoAcValue[] = L"AoAc";
inline constexpr wchar_t kAllowOnMainsValue[] = L"AllowSystemRequiredAC";
inline constexpr wchar_t kAllowOnBatteryValue[] = L"AllowSystemRequiredDC";

} // namespace stand_in_powrprof
