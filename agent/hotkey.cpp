#include "hotkey.h"

#include "agent.h"
#include "notification.h"
#include "resource.h"
#include "settings.h"
#include "texts.h"

namespace {

UINT const kModifiers = MOD_ALT | MOD_CONTROL | MOD_SHIFT | MOD_WIN;

// The stored value whose shortcut is registered now, 0 when none is; and
// the last value whose shortcut was told as taken, so that every Save of
// the form (and every start from it) does not tell it again.
DWORD registeredValue = 0;
DWORD toldTakenValue = 0;

bool isModifierKey(UINT key) {
    switch (key) {
    case VK_SHIFT:
    case VK_CONTROL:
    case VK_MENU:
    case VK_LSHIFT:
    case VK_RSHIFT:
    case VK_LCONTROL:
    case VK_RCONTROL:
    case VK_LMENU:
    case VK_RMENU:
    case VK_LWIN:
    case VK_RWIN:
        return true;
    }
    return false;
}

// The mouse buttons have virtual-key codes too, below the first key's; the
// last code is reserved.
bool isNoKey(UINT key) {
    return key < VK_BACK || key == 0xFF;
}

bool typesCharacter(UINT key) {
    return MapVirtualKeyW(key, MAPVK_VK_TO_CHAR) != 0;
}

// The key's name in the user's keyboard layout. Keys such as the arrows
// share their scan codes with keys of the numeric keypad and are named by
// the extended flag that tells them apart.
std::wstring keyName(UINT key) {
    UINT scan = MapVirtualKeyW(key, MAPVK_VK_TO_VSC_EX);
    LONG lParam = static_cast<LONG>((scan & 0xFF) << 16);
    if ((scan & 0xFF00) != 0) {
        lParam |= 1 << 24;
    }
    wchar_t name[64] = {};
    if (scan != 0 && GetKeyNameTextW(lParam, name, ARRAYSIZE(name)) > 0) {
        return name;
    }
    wsprintfW(name, L"#%u", key);
    return name;
}

void tellTaken(DWORD value, UINT key, UINT modifiers) {
    if (value == toldTakenValue) {
        return;
    }
    toldTakenValue = value;
    // At sign-in the icon may not be in place yet: the notice waits for it.
    notifyOnce(NoticeCause::HotkeyTaken,
               formatText(IDS_NOTICE_HOTKEY_TAKEN, {hotkeyName(key, modifiers)}),
               NoticeLevel::Warning);
}

} // namespace

bool decodeHotkey(DWORD value, UINT& key, UINT& modifiers) {
    key = value & kHotkeyKeyMask;
    modifiers = value >> kHotkeyModifierShift;
    bool shiftAlone = modifiers == MOD_SHIFT;
    return modifiers != 0 && (modifiers & ~kModifiers) == 0 && !isNoKey(key) &&
           !isModifierKey(key) && key != VK_F12 && !(shiftAlone && typesCharacter(key));
}

std::wstring hotkeyName(UINT key, UINT modifiers) {
    struct Modifier {
        UINT flag;
        UINT text;
    };
    Modifier const names[] = {{MOD_CONTROL, IDS_KEY_CTRL},
                              {MOD_ALT, IDS_KEY_ALT},
                              {MOD_SHIFT, IDS_KEY_SHIFT},
                              {MOD_WIN, IDS_KEY_WIN}};
    std::wstring name;
    for (const Modifier& modifier : names) {
        if ((modifiers & modifier.flag) != 0) {
            name += loadText(modifier.text) + L"+";
        }
    }
    return name + keyName(key);
}

void registerSessionHotkey() {
    DWORD value = readHotkeySetting();
    if (value != 0 && value == registeredValue) {
        return;
    }
    // A second registration under the same id would not replace the first:
    // Windows keeps both until the first is unregistered.
    unregisterSessionHotkey();
    UINT key = 0;
    UINT modifiers = 0;
    if (!decodeHotkey(value, key, modifiers)) {
        return;
    }
    // Held down, the shortcut would otherwise start and cancel by turns.
    if (!RegisterHotKey(agentWindow, HOTKEY_SESSION, modifiers | MOD_NOREPEAT, key)) {
        tellTaken(value, key, modifiers);
        return;
    }
    registeredValue = value;
    toldTakenValue = 0;
}

void unregisterSessionHotkey() {
    if (registeredValue != 0) {
        UnregisterHotKey(agentWindow, HOTKEY_SESSION);
        registeredValue = 0;
    }
}
