#pragma once

#include <QKeyCombination>
#include <QKeySequence>

#include <windows.h>

// The keyboard shortcut as the agent stores and registers it ("hotkey"):
// a Windows virtual-key code with RegisterHotKey's modifiers, 0 for none.
namespace HotkeyValue {

// The stored value of a key combination; 0 for one the agent would not
// register: no Ctrl, Alt, Shift or Win, F12 (which Windows keeps for
// debuggers), a key Windows has no code for, or Shift alone with a key that
// types a character (that character could no longer be typed anywhere).
DWORD fromKeyCombination(QKeyCombination combination);

// The key sequence of a stored value; empty for 0 and for what the agent
// would not register.
QKeySequence toKeySequence(DWORD value);

} // namespace HotkeyValue
