// Shutting Windows down at the end of a session, after a ten-second
// countdown that the user can cancel.
#pragma once

#include <windows.h>

#include <string>

extern int shutdownCountdown; // seconds left

// The countdown popup's text for a number of seconds left.
std::wstring countdownText(int seconds);

// Session timer callback ten seconds before the end: opens the countdown and
// turns the session timer into the one-second tick.
void CALLBACK startShutdownCountdown(HWND window, UINT message, UINT_PTR id, DWORD time);

// One second of the countdown; at zero, ends the session and asks Windows to
// shut down. The user is told when Windows will not.
void CALLBACK shutdownCountdownTick(HWND window, UINT message, UINT_PTR id, DWORD time);

// Windows called off the end of its session (WM_ENDSESSION FALSE). When the
// agent had asked for it, the user is told that Windows did not shut down.
void shutdownCalledOff();
