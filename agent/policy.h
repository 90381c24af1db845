// What an organisation decides for every session through Group Policy: the
// REG_DWORD values under SOFTWARE\Policies\Quorvex\PC-Vigilor, the machine's
// before the user's. The stored options stay the user's; these only change
// what a session does with them.
#pragma once

#include <windows.h>

#include <cstdint>

#include "settings.h"

struct SessionPolicy {
    bool disabled = false;
    // 0: no limit; else the most hours a session lasts after its start.
    DWORD maxSessionHours = 0;
    bool allowDisplayOn = true;
    bool allowKeyPress = true;
    bool allowShutdown = true;
    bool allowPowerScheme = true;
};

// Reads every policy value: each one from the machine when it is set there,
// else from the user; a value that is missing, of another type or out of
// its range is not set.
SessionPolicy readSessionPolicy();

// `options` as a session under `policy` runs them.
void applySessionPolicy(const SessionPolicy& policy, SessionOptions& options);

// The longest session the policy allows, in minutes; UINT64_MAX for none.
uint64_t longestSessionMinutes(const SessionPolicy& policy);
