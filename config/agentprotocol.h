#pragma once

#include <QString>

#include <windows.h>

// What the configuration application shares with the tray agent: the
// settings key with its values and their defaults, both programs' windows and
// the control messages. The two programs share no code; the agent declares
// the same in its own header, and a test compares the two.
namespace Vigilor {

inline const QString settingsKey = QStringLiteral("Software\\Quorvex\\PC-Vigilor");

// The session options, as REG_DWORD values of the settings key, in the order
// in which they are stored and read, with the defaults that hold while a
// value is missing.
struct OptionValue {
    const char* name;
    DWORD byDefault;
};
inline constexpr OptionValue optionValues[] = {
    {"duration", 60},
    {"durationUnit", 0},
    {"monitorOn", 1},
    {"powerSchemeOn", 0},
    {"powerSchemeIndex", 1},
    {"simulatePress", 0},
    {"simulatePressTimeOut", 1},
    {"shutdownWindows", 0},
};
// The keyboard shortcut that starts or cancels a session, which this
// application stores and the agent registers (REG_DWORD, 0 for none): the
// virtual-key code in the low byte, RegisterHotKey's MOD_ALT, MOD_CONTROL,
// MOD_SHIFT and MOD_WIN in the next four bits.
inline constexpr const char* hotkeyValue = "hotkey";
inline constexpr DWORD hotkeyKeyMask = 0xFF;
inline constexpr int hotkeyModifierShift = 8;

// Whether a session runs, and the folder that holds both programs.
inline const QString activeValue = QStringLiteral("VigilorActive");
inline const QString pathValue = QStringLiteral("Path");

// This application's main window, which the agent finds by its title.
inline const QString configWindowTitle = QStringLiteral("PC-Vigilor");
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
