// The popups near the top of the screen: a notice that shows one line for
// two seconds, and the shutdown countdown with its Cancel button. At most one
// exists at a time.
#pragma once

#include <windows.h>

#include <string>

inline constexpr int kPopupNone = 0;
inline constexpr int kPopupNotice = 1;
inline constexpr int kPopupCountdown = 2;

// At 96 DPI; a popup grows with the DPI of the monitor it opens on.
inline constexpr int kPopupWidth = 300;
inline constexpr int kPopupHeight = 100;
inline constexpr COLORREF kPopupColourKey = RGB(255, 255, 0);

extern HWND msgHWnd;
extern int msgWndKind;
extern std::wstring msgText;

void showMsgWnd(std::wstring text);
void showCountdownWnd(std::wstring text);
// The open popup's text changes (the countdown's seconds).
void setPopupText(std::wstring text);

// Closes the open popup. Also the popup close timer's callback, whose
// arguments are ignored.
void CALLBACK closeMsgWnd(HWND window = nullptr, UINT message = 0, UINT_PTR id = 0, DWORD time = 0);

// Painting for windows of the agent's class.
void erasePopupBackground(HWND window, HDC dc);
void paintPopup(HWND window);

// A popup was destroyed by someone else than closeMsgWnd (a WM_CLOSE, say):
// forget it, so that no handle of a dead window is used again.
void forgetPopup(HWND window);
