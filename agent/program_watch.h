// Sessions that last while a program runs: the tray menu's list of programs
// and the watch on the one chosen. The watch goes with the session.
#pragma once

#include <windows.h>

// Lists the programs afresh into `menu`, one command each from
// IDM_PROGRAM_FIRST. Their processes are held open until the next listing,
// so that an id cannot pass to another process before the user chooses.
void fillProgramMenu(HMENU menu);
void releaseListedPrograms();

// A listed program's command: starts a session, as the session item does,
// that ends at its time at the latest and as soon as that program ends.
void startProgramSession(UINT command);

// Stops watching, if a program is watched.
void stopProgramWatch();

// WMAPP_PROGRAM_ENDED: the session ends as it would at its time.
void onProgramEnded(WPARAM watch);
