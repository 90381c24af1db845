// Switching to one of Windows' three built-in power schemes for the length of
// a session, and putting the scheme that was active before back at its end.
#pragma once

#include <windows.h>

// Codes for the scheme that was active at the last load of the options.
inline constexpr int kSchemeCodePowerSaver = 300;
inline constexpr int kSchemeCodeBalanced = 301;
inline constexpr int kSchemeCodeHighPerformance = 302;
inline constexpr int kSchemeCodeOther = 1; // the user's own scheme, or unknown

extern int previousSchemeCode;

// The code for a scheme identifier in its braced, upper-case text form.
int schemeCodeForText(const wchar_t* text);

// Records the active scheme (code and identifier). Called at every load of
// the options.
void detectPowerScheme();

// Activates the built-in scheme of a `powerSchemeIndex` (0 to 2; any other
// index switches nothing). The scheme recorded by the last detection is kept
// to be put back, unless this session has already switched: then the scheme
// from before its first switch stays the one to return to. Where Windows
// will not switch to the plan, the nearest power mode is set for mains and
// battery instead, when Windows has power modes; either way the user is
// told, together with the start's other findings. While an agent of another
// Windows session holds the machine's plan switched, nothing is switched and
// the user is told so.
void switchPowerScheme(DWORD index);

// The built-in plan (0 to 2) that the running session switched to, or -1
// when it switched none; `asPowerMode` when Windows would not switch the
// plan and the nearest power mode was set instead.
int switchedPowerPlan(bool& asPowerMode);

// Puts back what this session switched, the plan or the user's power modes,
// if it switched at all and Windows still has what it switched to: a plan or
// mode the user chose since stays. Once put back, nothing is put back again.
void restorePowerScheme();

// What a session switched is recorded in the settings key until it is put
// back, so that an agent that was killed or crashed mid-session leaves a
// trace. At start-up and before a session switches anything, unless another
// agent runs (whose session the record may belong to), this puts back what
// such a record names while what the session chose is still active and no
// agent of another Windows session holds the plan switched, deletes the
// record and clears "VigilorActive". A record that is none of ours is only
// deleted.
void restoreSchemeLeftBehind();
