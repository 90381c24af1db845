#include "hotkeyvalue.h"

#include "agentprotocol.h"

namespace {

// Keys whose Qt and Windows codes differ and that are no character.
struct NamedKey {
    Qt::Key qt;
    BYTE windows;
};
constexpr NamedKey namedKeys[] = {
    {Qt::Key_Space, VK_SPACE},   {Qt::Key_Backspace, VK_BACK}, {Qt::Key_Tab, VK_TAB},
    {Qt::Key_Return, VK_RETURN}, {Qt::Key_Enter, VK_RETURN},   {Qt::Key_Escape, VK_ESCAPE},
    {Qt::Key_Insert, VK_INSERT}, {Qt::Key_Delete, VK_DELETE},  {Qt::Key_Home, VK_HOME},
    {Qt::Key_End, VK_END},       {Qt::Key_PageUp, VK_PRIOR},   {Qt::Key_PageDown, VK_NEXT},
    {Qt::Key_Left, VK_LEFT},     {Qt::Key_Right, VK_RIGHT},    {Qt::Key_Up, VK_UP},
    {Qt::Key_Down, VK_DOWN},     {Qt::Key_Pause, VK_PAUSE},    {Qt::Key_Print, VK_SNAPSHOT},
};
constexpr int functionKeys = 24;

struct ModifierPair {
    Qt::KeyboardModifier qt;
    DWORD windows;
};
constexpr ModifierPair modifiers[] = {{Qt::ControlModifier, MOD_CONTROL},
                                      {Qt::AltModifier, MOD_ALT},
                                      {Qt::ShiftModifier, MOD_SHIFT},
                                      {Qt::MetaModifier, MOD_WIN}};

// Qt's codes below this one are characters, in upper case for letters.
constexpr int firstSpecialKey = Qt::Key_Escape;

BYTE windowsKey(Qt::Key key) {
    if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9))
        return BYTE(key);
    if (key >= Qt::Key_F1 && key < Qt::Key_F1 + functionKeys)
        return BYTE(VK_F1 + (key - Qt::Key_F1));
    for (const NamedKey& named : namedKeys)
        if (named.qt == key)
            return named.windows;
    if (key >= Qt::Key_Space && key <= 0xFFFF) {
        // Other characters: the key that types them in the user's layout
        // (with Shift, for some, which the combination holds already).
        const SHORT scanned = VkKeyScanW(wchar_t(key));
        return scanned == -1 ? 0 : LOBYTE(scanned);
    }
    return 0;
}

Qt::Key qtKey(BYTE key) {
    if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9'))
        return Qt::Key(key);
    if (key >= VK_F1 && key < VK_F1 + functionKeys)
        return Qt::Key(Qt::Key_F1 + (key - VK_F1));
    for (const NamedKey& named : namedKeys)
        if (named.windows == key)
            return named.qt;
    // The character the key types unshifted; dead keys (the high bit) type
    // none by themselves.
    const UINT character = MapVirtualKeyW(key, MAPVK_VK_TO_CHAR);
    if (character == 0 || (character & 0x80000000) != 0)
        return Qt::Key(0);
    return Qt::Key(QChar(char16_t(character)).toUpper().unicode());
}

} // namespace

DWORD HotkeyValue::fromKeyCombination(QKeyCombination combination) {
    const Qt::Key key = combination.key();
    DWORD flags = 0;
    for (const ModifierPair& modifier : modifiers)
        if (combination.keyboardModifiers() & modifier.qt)
            flags |= modifier.windows;
    const BYTE code = windowsKey(key);
    const bool typesCharacter = key < firstSpecialKey;
    if (flags == 0 || code == 0 || code == VK_F12 || (flags == MOD_SHIFT && typesCharacter))
        return 0;
    return DWORD(code) | flags << Vigilor::hotkeyModifierShift;
}

QKeySequence HotkeyValue::toKeySequence(DWORD value) {
    const Qt::Key key = qtKey(BYTE(value & Vigilor::hotkeyKeyMask));
    const DWORD flags = value >> Vigilor::hotkeyModifierShift;
    Qt::KeyboardModifiers qtModifiers;
    for (const ModifierPair& modifier : modifiers)
        if (flags & modifier.windows)
            qtModifiers |= modifier.qt;
    if (key == 0 || (flags & ~DWORD(MOD_CONTROL | MOD_ALT | MOD_SHIFT | MOD_WIN)) != 0)
        return QKeySequence();
    const QKeyCombination combination(qtModifiers, key);
    // Only what the agent registers, so that the form never shows a
    // shortcut that does nothing.
    if (fromKeyCombination(combination) != value)
        return QKeySequence();
    return QKeySequence(combination);
}
