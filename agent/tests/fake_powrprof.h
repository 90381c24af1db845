// Stands in for powrprof at link time: Wine's own power-scheme calls neither
// report nor change an active scheme, so the tests keep it here. Wine's
// power requests do nothing either; they are kept here too, as are the
// battery and the plan's settings, which Wine reads from the machine or not
// at all.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace fake_power {

inline constexpr GUID kPowerSaver = {
    0xa1841308, 0x3541, 0x4fab, {0xbc, 0x81, 0xf7, 0x15, 0x56, 0xf2, 0x0b, 0x4a}};
inline constexpr GUID kBalanced = {
    0x381b4222, 0xf694, 0x41f0, {0x96, 0x85, 0xff, 0x5b, 0xb2, 0x60, 0xdf, 0x2e}};
inline constexpr GUID kHighPerformance = {
    0x8c5e7fda, 0xe8bf, 0x4a96, {0x9a, 0x85, 0xa6, 0xe2, 0x3a, 0x8c, 0x63, 0x5c}};
// A scheme the user made.
inline constexpr GUID kUserScheme = {
    0x12345678, 0x9abc, 0x4def, {0x80, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77}};

// Sets the active scheme and forgets earlier activations, the battery and
// the plan's settings.
void reset(const GUID& active);

// Makes PowerGetActiveScheme fail as Wine's does.
void setReadFails(bool fails);

GUID active();
int activations();

// Power requests, replaced through their import slots: each one made, with
// what was asked of it.
struct PowerRequest {
    ULONG version = 0;
    DWORD flags = 0;
    std::wstring reason;
    bool systemSet = false;
    bool displaySet = false;
    int systemClears = 0;
    int displayClears = 0;
    bool closed = false;
};

// Forgets earlier requests; makes creating or setting a request fail.
void resetRequests(bool createFails = false, bool setFails = false);
const std::vector<PowerRequest>& requests();
// Requests made and not closed.
int openRequests();

// How the PC is powered, for CallNtPowerInformation (SYSTEM_BATTERY_STATE,
// SYSTEM_POWER_CAPABILITIES) and kernel32's GetSystemPowerStatus. Until one
// is set, the PC does not say, as Wine on a PC without a battery.
struct Battery {
    bool onMains = true;
    // GetSystemPowerStatus's BatteryLifePercent: of the full charge today.
    BYTE shownPercent = 255;
    // SYSTEM_BATTERY_STATE's capacities in mWh: MaxCapacity is the capacity
    // when new; DefaultAlert1 the battery's own alert.
    DWORD capacityWhenNew = 0;
    DWORD remainingCapacity = 0;
    DWORD alert = 0;
    bool modernStandby = false;
};
void setBattery(const Battery& battery);

// A setting of the active plan on battery or on mains, keyed by its subgroup
// and setting; one never set is not found. The agent finds the readers in
// powrprof.dll at run time, which this program stands for.
void setPlanValue(const GUID& subgroup, const GUID& setting, bool onBattery, DWORD value);
void forgetPlanValue(const GUID& subgroup, const GUID& setting, bool onBattery);

} // namespace fake_power
