// What the agent's windows accept from programs of a lower integrity level.
#pragma once

#include <windows.h>

// An agent started elevated would otherwise not hear the configuration
// application or a new taskbar: Windows drops messages above WM_USER from
// programs of a lower integrity level unless the window lets them through,
// and each window has a filter of its own. Every window of the agent's class
// needs it, popups included: the configuration application posts to the
// first of them that FindWindowW finds.
void allowMessagesFromAnyIntegrity(HWND window);
