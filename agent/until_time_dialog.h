// "Until a time…": the small dialog that asks at which local time a session
// is to end.
#pragma once

#include <windows.h>

#include <optional>

// Shows the dialog, owned by `owner`, with the next full hour at first;
// Enter starts, Esc cancels. The time chosen as hour * 60 + minute, or
// nothing when the user cancelled. While the dialog is open, a second call
// brings it to the front and returns nothing.
std::optional<unsigned> askEndTimeOfDay(HWND owner);
