// The words of the command line: which verb, with what.
#pragma once

#include <windows.h>

#include <string>

#include "remote_protocol.h"

enum class Verb { Help, Version, Start, Stop, Extend, Status, Check };

struct Command {
    Verb verb = Verb::Help;
    // start: --for; extend: the minutes added (1 hour when not given).
    DWORD minutes = 0;
    // start: --until, as hour * 60 + minute, or remote::kNoEndTime.
    DWORD endTimeOfDay = remote::kNoEndTime;
    DWORD display = remote::kDisplayAsStored;
    // start: --while, a process id or a program file name.
    DWORD programId = 0;
    std::wstring programFile;
    // status: --json.
    bool json = false;
};

// Reads the command line into `command`. False for a command line that is
// wrong, with the message that names the word at fault in `error`.
bool parseCommandLine(int argc, wchar_t** argv, Command& command, std::wstring& error);

// A length as "45m", "2h" or "1h30m", in minutes: from 1 to
// remote::kLongestMinutes; 0 for anything else.
DWORD parseDuration(const std::wstring& text);

// A local time of day as "17:30" or "9:05", as hour * 60 + minute;
// remote::kNoEndTime for anything else.
DWORD parseTimeOfDay(const std::wstring& text);
