#pragma once

#include <windows.h>

// What the configuration application shares with the tray agent: the
// settings key, the agent's window identity and the control messages. The two
// programs share no code, so these must match the agent's own definitions.
namespace Vigilor {

inline constexpr wchar_t settingsKey[] = L"Software\\Quorvex\\PC-Vigilor";
// The maker's suite key; only this application writes its "VigilorActive".
inline constexpr wchar_t suiteKey[] = L"Software\\Quorvex Halvern Plus!";

inline constexpr wchar_t agentWindowClass[] = L"VIGILORTASKBAR";
inline constexpr wchar_t agentWindowTitle[] = L"VigilorTaskbar";
inline constexpr wchar_t agentProgram[] = L"\\VigilorTaskbar.exe";

inline constexpr UINT WM_VIGILOR_START = WM_USER + 700;
inline constexpr UINT WM_VIGILOR_CANCEL = WM_USER + 701;
inline constexpr UINT WM_VIGILOR_RELOAD = WM_USER + 702;
inline constexpr UINT WM_VIGILOR_QUERY = WM_USER + 703;
inline constexpr UINT WM_VIGILOR_STATE = WM_USER + 704;

inline constexpr wchar_t makerWebSite[] = L"https://www.example.com/";

} // namespace Vigilor
