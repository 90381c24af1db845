// A power request that names the agent and its reason where administrators
// look when a PC will not sleep. It comes beside the execution state, which
// keeps the PC awake on its own; a request that cannot be made changes
// nothing else.
#pragma once

#include <string>

// Replaces any held request by one for the system (and the display when
// `display` is true) under `reason`.
void holdPowerRequest(const std::wstring& reason, bool display);

// Clears and closes the held request, if any.
void releasePowerRequest();
