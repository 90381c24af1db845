// Sessions that last while a program runs: the tray menu's list of programs
// and the watch on the one a session lasts for. Neither starts or ends a
// session: the agent window hands what they find to the session engine.
#pragma once

#include <windows.h>

#include <string>

// Lists the programs afresh into `menu`, one command each from
// IDM_PROGRAM_FIRST. Their processes are held open until the next listing,
// so that an id cannot pass to another process before the user chooses.
void fillProgramMenu(HMENU menu);
void releaseListedPrograms();

// The listed program of a menu command: its process, which the caller then
// owns, and its title. False, with the listing released, when the command
// names no program that can be watched.
bool takeListedProgram(UINT command, HANDLE& process, std::wstring& title);

// Watches `process`, opened for SYNCHRONIZE, which the watch takes over: it
// is closed when the watch stops, or here when no watch can be set up.
// WMAPP_PROGRAM_ENDED reaches the agent window when the program ends. With
// `programFile` (a program file name) the program ends only when no process
// of that file is left: many programs run as several processes.
bool watchProgram(HANDLE process, const std::wstring& programFile = {});

// The process id of the program watched now; 0 when none is.
DWORD watchedProgramId();

// Stops watching, if a program is watched.
void stopProgramWatch();

// WMAPP_PROGRAM_ENDED: whether it tells of the end of the program watched
// now (a late message of a watch stopped meanwhile does not, nor does the
// end of one process of a program file that another process of it
// outlives: the watch then goes on with that one). The watch has then
// stopped.
bool watchedProgramEnded(WPARAM watch);
