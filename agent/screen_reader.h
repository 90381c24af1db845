// What screen readers make of the popups: each popup's text is its
// accessible name, and the shutdown countdown is announced once.
#pragma once

#include <windows.h>

#include <string>

// Makes `text` the accessible name of `window` while leaving its title, by
// which other programs find the agent's windows, as it is.
void nameForScreenReaders(HWND window, const std::wstring& text);

// The window is going: its name goes with it.
void forgetScreenReaderName(HWND window);

// Asks screen readers to say `text` once, as news from `window`, a child
// window. Says nothing where Windows has no UI Automation notifications
// (before Windows 10 1709).
void announceToScreenReaders(HWND window, const std::wstring& text);
