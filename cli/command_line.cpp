#include "command_line.h"

#include "console.h"
#include "resource.h"

#include <algorithm>
#include <cwctype>
#include <vector>

namespace {

bool isDigits(const std::wstring& text) {
    if (text.empty()) {
        return false;
    }
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9') {
            return false;
        }
    }
    return true;
}

// A number of at most `digits` digits from `at`, which moves past them.
bool readNumber(const std::wstring& text, size_t& at, size_t digits, DWORD& value) {
    size_t start = at;
    value = 0;
    while (at < text.size() && text[at] >= L'0' && text[at] <= L'9' && at - start < digits) {
        value = value * 10 + static_cast<DWORD>(text[at] - L'0');
        ++at;
    }
    return at > start && (at == text.size() || text[at] < L'0' || text[at] > L'9');
}

bool endsWithExe(const std::wstring& name) {
    return name.size() > 4 &&
           CompareStringOrdinal(name.c_str() + name.size() - 4, 4, L".exe", 4, TRUE) == CSTR_EQUAL;
}

// --while: a process id, or the file name of a program without a folder.
bool parseProgram(const std::wstring& value, Command& command) {
    if (isDigits(value)) {
        size_t at = 0;
        DWORD id = 0;
        if (!readNumber(value, at, 9, id) || at != value.size() || id == 0) {
            return false;
        }
        command.programId = id;
        return true;
    }
    if (!endsWithExe(value) || value.size() >= MAX_PATH ||
        value.find_first_of(L"\\/:") != std::wstring::npos) {
        return false;
    }
    command.programFile = value;
    return true;
}

struct Parser {
    int argc;
    wchar_t** argv;
    int at;
    Command& command;
    std::wstring& error;

    bool fail(UINT id, std::initializer_list<std::wstring> words) {
        error = text(id, words);
        return false;
    }

    // The options of "start" given so far: each may come once.
    std::vector<std::wstring> given;

    bool wasGiven(const wchar_t* option) const {
        return std::find(given.begin(), given.end(), option) != given.end();
    }

    bool startOption(const std::wstring& option, const std::wstring& value) {
        if (wasGiven(option.c_str())) {
            return fail(IDS_ERROR_TWICE, {option});
        }
        given.push_back(option);
        bool valid = false;
        if (option == L"--for") {
            command.minutes = parseDuration(value);
            valid = command.minutes != 0;
        } else if (option == L"--until") {
            command.endTimeOfDay = parseTimeOfDay(value);
            valid = command.endTimeOfDay != remote::kNoEndTime;
        } else if (option == L"--display") {
            command.display = value == L"on"    ? remote::kDisplayOn
                              : value == L"off" ? remote::kDisplayOff
                                                : remote::kDisplayAsStored;
            valid = command.display != remote::kDisplayAsStored;
        } else {
            valid = parseProgram(value, command);
        }
        return valid || fail(IDS_ERROR_BAD_VALUE, {value, option});
    }

    bool start() {
        for (++at; at < argc; ++at) {
            // "--for 45m" or "--for=45m".
            std::wstring word = argv[at];
            size_t equals = word.find(L'=');
            std::wstring option = word.substr(0, equals);
            if (option != L"--for" && option != L"--until" && option != L"--display" &&
                option != L"--while") {
                return fail(IDS_ERROR_UNKNOWN_OPTION, {word, L"start"});
            }
            std::wstring value;
            if (equals != std::wstring::npos) {
                value = word.substr(equals + 1);
            } else if (at + 1 < argc) {
                value = argv[++at];
            } else {
                return fail(IDS_ERROR_MISSING_VALUE, {option});
            }
            if (!startOption(option, value)) {
                return false;
            }
        }
        if (wasGiven(L"--for") && wasGiven(L"--until")) {
            return fail(IDS_ERROR_TOGETHER, {L"--for", L"--until"});
        }
        return true;
    }

    bool extend() {
        command.minutes = 60;
        if (++at < argc) {
            std::wstring value = argv[at];
            command.minutes = parseDuration(value);
            if (command.minutes == 0) {
                return fail(IDS_ERROR_BAD_VALUE, {value, L"extend"});
            }
        }
        return noMoreWords(L"extend");
    }

    bool status() {
        if (at + 1 < argc && std::wstring(argv[at + 1]) == L"--json") {
            command.json = true;
            ++at;
        }
        return noMoreWords(L"status");
    }

    bool noMoreWords(const wchar_t* verb) {
        return at + 1 >= argc || fail(IDS_ERROR_UNKNOWN_OPTION, {argv[at + 1], verb});
    }

    bool parse() {
        if (argc < 2) {
            // No word to name: the usage alone says what is missing.
            error.clear();
            return false;
        }
        std::wstring verb = argv[1];
        at = 1;
        if (verb == L"--help" || verb == L"-h" || verb == L"/?" || verb == L"help") {
            command.verb = Verb::Help;
            return noMoreWords(verb.c_str());
        }
        if (verb == L"--version") {
            command.verb = Verb::Version;
            return noMoreWords(verb.c_str());
        }
        if (verb == L"start") {
            command.verb = Verb::Start;
            return start();
        }
        if (verb == L"stop") {
            command.verb = Verb::Stop;
            return noMoreWords(L"stop");
        }
        if (verb == L"extend") {
            command.verb = Verb::Extend;
            return extend();
        }
        if (verb == L"status") {
            command.verb = Verb::Status;
            return status();
        }
        if (verb == L"check") {
            command.verb = Verb::Check;
            return noMoreWords(L"check");
        }
        return fail(IDS_ERROR_UNKNOWN_COMMAND, {verb});
    }
};

} // namespace

bool parseCommandLine(int argc, wchar_t** argv, Command& command, std::wstring& error) {
    command = Command();
    Parser parser{argc, argv, 1, command, error, {}};
    return parser.parse();
}

DWORD parseDuration(const std::wstring& text) {
    DWORD hours = 0;
    DWORD minutes = 0;
    bool sawHours = false;
    bool sawMinutes = false;
    // Hours, then minutes, each at most once. More digits than the longest
    // length needs make no length.
    for (size_t at = 0; at < text.size();) {
        DWORD value = 0;
        if (!readNumber(text, at, 7, value) || at >= text.size()) {
            return 0;
        }
        wchar_t unit = static_cast<wchar_t>(std::towlower(text[at++]));
        if (unit == L'h' && !sawHours && !sawMinutes) {
            hours = value;
            sawHours = true;
        } else if (unit == L'm' && !sawMinutes) {
            minutes = value;
            sawMinutes = true;
        } else {
            return 0;
        }
    }
    if ((!sawHours && !sawMinutes) || (sawHours && minutes >= 60) || hours > 1000) {
        return 0;
    }
    DWORD total = hours * 60 + minutes;
    return total >= 1 && total <= remote::kLongestMinutes ? total : 0;
}

DWORD parseTimeOfDay(const std::wstring& text) {
    size_t at = 0;
    DWORD hour = 0;
    DWORD minute = 0;
    if (!readNumber(text, at, 2, hour) || at >= text.size() || text[at] != L':') {
        return remote::kNoEndTime;
    }
    size_t minuteStart = ++at;
    if (!readNumber(text, at, 2, minute) || at != text.size() || at - minuteStart != 2 ||
        hour > 23 || minute > 59) {
        return remote::kNoEndTime;
    }
    return hour * 60 + minute;
}
