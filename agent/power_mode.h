// Windows 11's power modes (best power efficiency, balanced, best
// performance), which it offers where the built-in power plans are missing.
// The user configures one mode for mains and one for battery.
#pragma once

#include <windows.h>

enum class PowerSupply { Mains, Battery };
inline constexpr PowerSupply kPowerSupplies[] = {PowerSupply::Mains, PowerSupply::Battery};

// The mode nearest to a built-in plan, by `powerSchemeIndex` (0 Power saver,
// 1 Balanced, 2 High performance).
GUID powerModeForIndex(DWORD index);

// The user's configured mode for a power supply. Windows 10 has no power
// modes: then the calls fail with ERROR_PROC_NOT_FOUND.
DWORD readPowerMode(PowerSupply supply, GUID& mode);
DWORD setPowerMode(PowerSupply supply, const GUID& mode);
