#pragma once

#include <QString>

#include <windows.h>

// What the configuration application shares with the tray agent: the
// settings key, the agent's window identity and the control messages. The two
// programs share no code, so these must match the agent's own definitions.
namespace Vigilor {

inline const QString settingsKey = QStringLiteral("Software\\Quorvex\\PC-Vigilor");
// The maker's suite key; only this application writes its "VigilorActive".
inline const QString suiteKey = QStringLiteral("Software\\Quorvex Halvern Plus!");

inline const QString agentWindowClass = QStringLiteral("VIGILORTASKBAR");
inline const QString agentWindowTitle = QStringLiteral("VigilorTaskbar");
inline const QString agentProgram = QStringLiteral("\\VigilorTaskbar.exe");

inline constexpr UINT WM_VIGILOR_START = WM_USER + 700;
inline constexpr UINT WM_VIGILOR_CANCEL = WM_USER + 701;
inline constexpr UINT WM_VIGILOR_RELOAD = WM_USER + 702;
inline constexpr UINT WM_VIGILOR_QUERY = WM_USER + 703;
inline constexpr UINT WM_VIGILOR_STATE = WM_USER + 704;

inline const QString makerWebSite = QStringLiteral("https://www.example.com/");

// Qt strings are UTF-16 and terminated, as the wide Win32 calls want them.
inline const wchar_t* wide(const QString& text) {
    return reinterpret_cast<const wchar_t*>(text.utf16());
}

} // namespace Vigilor
