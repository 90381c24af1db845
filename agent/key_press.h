// The key-press timer's work: releases keys that are held down, so that the
// system sees input without anything new being typed.
#pragma once

#include <windows.h>

// Timer callback of the key-press timer; its arguments are ignored.
void CALLBACK simulatePressProc(HWND window, UINT message, UINT_PTR id, DWORD time);
