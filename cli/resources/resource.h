// Resource identifiers of vigilor.exe: its texts, one string table per
// language, in blocks of sixteen so that each block is one language's.
#pragma once

// The usage and the help.
#define IDS_USAGE 16
#define IDS_HELP_ABOUT 17
#define IDS_HELP_COMMANDS 18
#define IDS_HELP_EXIT_CODES 19

// What went wrong.
#define IDS_ERROR_UNKNOWN_COMMAND 32 // %1: the word
#define IDS_ERROR_UNKNOWN_OPTION 33  // %1: the word, %2: the command
#define IDS_ERROR_BAD_VALUE 34       // %1: the value, %2: the option
#define IDS_ERROR_MISSING_VALUE 35   // %1: the option
#define IDS_ERROR_TWICE 36           // %1: the option
#define IDS_ERROR_TOGETHER 37        // %1, %2: the options
#define IDS_ERROR_NOT_RUNNING 38
#define IDS_ERROR_AGENT_NOT_FOUND 39
#define IDS_ERROR_CANNOT_START 40 // %1: the program file, %2: Windows' reason
#define IDS_ERROR_NO_WINDOW 41
#define IDS_ERROR_NO_ANSWER 42
#define IDS_ERROR_NOT_UNDERSTOOD 43
#define IDS_ERROR_NO_SUCH_PROGRAM 44 // %1: the process id or program file
#define IDS_ERROR_CANNOT_WATCH 45    // %1: the process id or program file
#define IDS_ERROR_TURNED_OFF 46
#define IDS_ERROR_NO_DESKTOP 47

// The session's status.
#define IDS_STATUS_NONE 48
#define IDS_STATUS_UNTIL 49 // %1: when it ends
#define IDS_STATUS_UNTIL_STOPPED 50
#define IDS_STATUS_DISPLAY_ON 51
#define IDS_STATUS_DISPLAY_OFF 52
#define IDS_STATUS_PROGRAM 53 // %1: the program, %2: its process id
#define IDS_STATUS_PLAN 54    // %1: the power plan
#define IDS_STATUS_MODE 55    // %1: the power mode
#define IDS_STATUS_SHUTDOWN 56
#define IDS_STATUS_NO_SHUTDOWN 57
#define IDS_STATUS_NOT_RUNNING 58
#define IDS_STOPPED 59
#define IDS_END_TOMORROW 60 // %1: the time
#define IDS_END_DATE 61     // %1: the date, %2: the time
#define IDS_STATUS_NOT_EXTENDED 62

// Windows' built-in power plans and power modes, as Windows names them.
#define IDS_PLAN_POWER_SAVER 64
#define IDS_PLAN_BALANCED 65
#define IDS_PLAN_HIGH_PERFORMANCE 66
#define IDS_MODE_BEST_EFFICIENCY 67
#define IDS_MODE_BALANCED 68
#define IDS_MODE_BEST_PERFORMANCE 69
