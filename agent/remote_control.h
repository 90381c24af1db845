// The command line's requests (remote_protocol.h): a session started with
// the terms it gives, stopped or made longer, and its questions about the
// session and about what could let the PC sleep.
#pragma once

#include <windows.h>

// WM_COPYDATA to one of the agent's windows from `sender`. Returns the
// message's result: remote::kNotUnderstood, with nothing changed, for
// anything that is not a well-formed request of a window of this desktop.
LRESULT onRemoteRequest(HWND sender, const COPYDATASTRUCT* data);
