// A running program that the command line names for a session to last for:
// a process by its id, or any process of a program file by its name.
#pragma once

#include <windows.h>

#include <string>

// The process, opened for SYNCHRONIZE, which the caller then owns, and its
// program file name (its title for the tip) in `name`. nullptr when it does
// not run (`error` ERROR_NOT_FOUND) or cannot be opened (`error` Windows'
// reason). The agent's own process is not one to last for.
HANDLE openProgramById(DWORD processId, std::wstring& name, DWORD& error);

// The same for a process of the program file `file` (a name without a
// folder, in any case) in this user's Windows session.
HANDLE openProgramByFile(const std::wstring& file, std::wstring& name, DWORD& error);
