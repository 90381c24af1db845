// What the agent shares with the configuration application: the control
// messages, both programs' windows, the settings key with its values and
// their defaults. The two programs share no code; the configuration
// application declares the same in its own header, and a test compares the
// two.
#pragma once

#include <windows.h>

#include "peer_window.h"

// Control messages exchanged with the configuration application.
UINT const WM_VIGILOR_START = WM_USER + 700;  // 1724
UINT const WM_VIGILOR_CANCEL = WM_USER + 701; // 1725
UINT const WM_VIGILOR_RELOAD = WM_USER + 702; // 1726
UINT const WM_VIGILOR_QUERY = WM_USER + 703;  // 1727
UINT const WM_VIGILOR_STATE = WM_USER + 704;  // 1728

// The agent window, which the configuration application finds by both.
inline constexpr wchar_t kAgentWindowClass[] = L"VIGILORTASKBAR";
inline constexpr wchar_t kAgentWindowTitle[] = L"VigilorTaskbar";

// The configuration application's main window: the class of the Qt it was
// built with (VIGILOR_CONFIG_WINDOW_CLASS), else the class that Qt 6.5.0
// gives it.
inline constexpr wchar_t kConfigWindowTitle[] = L"PC-Vigilor";
inline constexpr wchar_t kNamedConfigWindowClass[] = L"Qt650QWindowIcon";
inline constexpr wchar_t kConfigProgram[] = L"\\PCVigilor.exe";

inline constexpr wchar_t kSettingsKey[] = L"Software\\Quorvex\\PC-Vigilor";

// The session options, as REG_DWORD values of the settings key, in the order
// in which they are stored and read, with the defaults that hold while a
// value is missing.
struct OptionValue {
    const wchar_t* name;
    DWORD byDefault;
};
inline constexpr OptionValue kOptionValues[] = {
    {L"duration", 60},        {L"durationUnit", 0}, // 0 minutes, otherwise hours
    {L"monitorOn", 1},        {L"powerSchemeOn", 0},
    {L"powerSchemeIndex", 1}, // 0 Power saver, 1 Balanced, 2 High performance
    {L"simulatePress", 0},    {L"simulatePressTimeOut", 1}, // minutes
    {L"shutdownWindows", 0},
};

// Whether a session runs (written by the agent), and the folder that holds
// both programs (written by the installer).
inline constexpr wchar_t kActiveValue[] = L"VigilorActive";
inline constexpr wchar_t kPathValue[] = L"Path";

// The keyboard shortcut that starts or cancels a session (REG_DWORD,
// written by the configuration application, 0 or missing for none): the
// virtual-key code in the low byte, RegisterHotKey's MOD_ALT, MOD_CONTROL,
// MOD_SHIFT and MOD_WIN in the next four bits.
inline constexpr wchar_t kHotkeyValue[] = L"hotkey";
inline constexpr DWORD kHotkeyKeyMask = 0xFF;
inline constexpr int kHotkeyModifierShift = 8;
