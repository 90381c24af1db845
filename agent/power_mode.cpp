#include "power_mode.h"

namespace {

// The identifiers Windows documents for the user configured power mode;
// balanced is the null GUID.
GUID const kModeBestEfficiency = {
    0x961cc777, 0x2547, 0x4f9d, {0x81, 0x74, 0x7d, 0x86, 0x18, 0x1b, 0x8a, 0x7a}};
GUID const kModeBalanced = {};
GUID const kModeBestPerformance = {
    0xded574b5, 0x45a0, 0x4f42, {0x87, 0x37, 0x46, 0x34, 0x5c, 0x09, 0xc2, 0x38}};

using GetMode = DWORD(WINAPI*)(GUID*);
using SetMode = DWORD(WINAPI*)(const GUID*);

// Windows 10 and Wine lack these exports; importing them would keep the agent
// from starting there. powrprof.dll is loaded already for the plan calls.
FARPROC powerCall(const char* name) {
    HMODULE powrprof = GetModuleHandleW(L"powrprof.dll");
    return powrprof == nullptr ? nullptr : GetProcAddress(powrprof, name);
}

} // namespace

GUID powerModeForIndex(DWORD index) {
    return index == 0 ? kModeBestEfficiency : index == 2 ? kModeBestPerformance : kModeBalanced;
}

DWORD readPowerMode(PowerSupply supply, GUID& mode) {
    auto call = reinterpret_cast<GetMode>(reinterpret_cast<void*>(
        powerCall(supply == PowerSupply::Mains ? "PowerGetUserConfiguredACPowerMode"
                                               : "PowerGetUserConfiguredDCPowerMode")));
    return call == nullptr ? ERROR_PROC_NOT_FOUND : call(&mode);
}

DWORD setPowerMode(PowerSupply supply, const GUID& mode) {
    auto call = reinterpret_cast<SetMode>(reinterpret_cast<void*>(
        powerCall(supply == PowerSupply::Mains ? "PowerSetUserConfiguredACPowerMode"
                                               : "PowerSetUserConfiguredDCPowerMode")));
    return call == nullptr ? ERROR_PROC_NOT_FOUND : call(&mode);
}
