#pragma once

#include <QString>

// What an organisation decides for every session through Group Policy: the
// REG_DWORD values under SOFTWARE\Policies\Quorvex\PC-Vigilor, the machine's
// before the user's. The tray agent reads the same values itself and obeys
// them; the form shows them, so that what it offers is what will happen.
struct SessionPolicy {
    bool disabled = false;
    // 0: no limit; else the most hours a session lasts.
    int maxSessionHours = 0;
    bool allowDisplayOn = true;
    bool allowKeyPress = true;
    bool allowShutdown = true;
    bool allowPowerScheme = true;

    // Each value from the machine when it is set there, else from the user;
    // a value that is missing, of another type or out of its range is not
    // set.
    static SessionPolicy read();
};
