// vigilor: the PC-Vigilor command line. It drives and asks the running tray
// agent (starting it for "start"), and changes no stored option.
#include "agent_link.h"
#include "agent_start.h"
#include "command_line.h"
#include "console.h"
#include "resource.h"
#include "status_report.h"
#include "version.h"

#define VIGILOR_WIDE_TEXT(text) L##text
#define VIGILOR_WIDE(text) VIGILOR_WIDE_TEXT(text)

namespace {

// The exit codes, as --help and the README list them.
int const kExitDone = 0;
int const kExitNoSession = 1; // status, extend; check: something found
int const kExitFound = 1;
int const kExitUsage = 2;
int const kExitNoAgent = 3;
int const kExitNoProgram = 4;
int const kExitTurnedOff = 5;
int const kExitNotExtended = 6;

std::wstring usage() {
    return text(IDS_USAGE);
}

int help() {
    print(usage() + L"\n" + text(IDS_HELP_ABOUT) + L"\n" + text(IDS_HELP_COMMANDS) + L"\n" +
          text(IDS_HELP_EXIT_CODES));
    return kExitDone;
}

int version() {
    print(L"vigilor " VIGILOR_WIDE(VIGILOR_VERSION_TEXT) L"\n");
    return kExitDone;
}

int noAnswer(const std::optional<LRESULT>& result) {
    bool refused = result == remote::kNotUnderstood;
    printError(text(refused ? IDS_ERROR_NOT_UNDERSTOOD : IDS_ERROR_NO_ANSWER) + L"\n");
    return kExitNoAgent;
}

// The status as the agent tells it: nullptr when it did not.
const remote::Status* askStatus(AgentLink& link, HWND agent) {
    std::optional<LRESULT> result = link.send(agent, makeRequest(remote::kStatus));
    return result == remote::kDone ? link.status() : nullptr;
}

int printStatus(AgentLink& link, HWND agent, bool json) {
    const remote::Status* status = agent != nullptr ? askStatus(link, agent) : nullptr;
    if (agent != nullptr && status == nullptr) {
        printError(text(IDS_ERROR_NO_ANSWER) + L"\n");
        return kExitNoAgent;
    }
    print(json ? statusJson(status) : statusText(status));
    return status != nullptr && status->running != 0 ? kExitDone : kExitNoSession;
}

std::wstring programWord(const Command& command) {
    if (command.programId == 0) {
        return command.programFile;
    }
    wchar_t digits[16] = {};
    wsprintfW(digits, L"%lu", command.programId);
    return digits;
}

int start(const Command& command) {
    HWND agent = findAgentWindow();
    if (agent == nullptr) {
        std::wstring program = agentProgram();
        if (program.empty()) {
            printError(text(IDS_ERROR_AGENT_NOT_FOUND) + L"\n");
            return kExitNoAgent;
        }
        agent = startAgent(program);
        if (agent == nullptr) {
            return kExitNoAgent;
        }
    }
    remote::Request request = makeRequest(remote::kStart);
    request.minutes = command.minutes;
    request.endTimeOfDay = command.endTimeOfDay;
    request.display = command.display;
    request.programId = command.programId;
    lstrcpynW(request.programFile, command.programFile.c_str(), MAX_PATH);
    AgentLink link;
    std::optional<LRESULT> result = link.send(agent, request);
    if (result == remote::kNoSuchProgram || result == remote::kCannotWatch) {
        UINT id =
            *result == remote::kNoSuchProgram ? IDS_ERROR_NO_SUCH_PROGRAM : IDS_ERROR_CANNOT_WATCH;
        printError(text(id, {programWord(command)}) + L"\n");
        return kExitNoProgram;
    }
    if (result == remote::kTurnedOff) {
        printError(text(IDS_ERROR_TURNED_OFF) + L"\n");
        return kExitTurnedOff;
    }
    if (result != remote::kDone) {
        return noAnswer(result);
    }
    return printStatus(link, agent, false);
}

int stop() {
    HWND agent = findAgentWindow();
    if (agent == nullptr) {
        print(text(IDS_STATUS_NOT_RUNNING) + L"\n");
        return kExitDone;
    }
    AgentLink link;
    std::optional<LRESULT> result = link.send(agent, makeRequest(remote::kStop));
    if (result != remote::kDone && result != remote::kNoSession) {
        return noAnswer(result);
    }
    print(text(result == remote::kDone ? IDS_STOPPED : IDS_STATUS_NONE) + L"\n");
    return kExitDone;
}

int extend(const Command& command) {
    HWND agent = findAgentWindow();
    if (agent == nullptr) {
        print(text(IDS_STATUS_NOT_RUNNING) + L"\n");
        return kExitNoSession;
    }
    remote::Request request = makeRequest(remote::kExtend);
    request.minutes = command.minutes;
    AgentLink link;
    std::optional<LRESULT> result = link.send(agent, request);
    if (result == remote::kNoSession) {
        print(text(IDS_STATUS_NONE) + L"\n");
        return kExitNoSession;
    }
    if (result == remote::kNotExtended) {
        printError(text(IDS_STATUS_NOT_EXTENDED) + L"\n");
        int status = printStatus(link, agent, false);
        return status == kExitDone ? kExitNotExtended : status;
    }
    if (result != remote::kDone) {
        return noAnswer(result);
    }
    return printStatus(link, agent, false);
}

int check() {
    HWND agent = findAgentWindow();
    if (agent == nullptr) {
        printError(text(IDS_ERROR_NOT_RUNNING) + L"\n");
        return kExitNoAgent;
    }
    AgentLink link;
    std::optional<LRESULT> result = link.send(agent, makeRequest(remote::kCheck));
    if (result != remote::kDone || link.findings() == nullptr) {
        return noAnswer(result);
    }
    print(link.findings()->text);
    return link.findings()->count == 0 ? kExitDone : kExitFound;
}

int run(const Command& command) {
    bool asksAgent = command.verb != Verb::Help && command.verb != Verb::Version;
    if (asksAgent && !onUserDesktop()) {
        printError(text(IDS_ERROR_NO_DESKTOP) + L"\n");
        return kExitNoAgent;
    }
    switch (command.verb) {
    case Verb::Help:
        return help();
    case Verb::Version:
        return version();
    case Verb::Start:
        return start(command);
    case Verb::Stop:
        return stop();
    case Verb::Extend:
        return extend(command);
    case Verb::Status: {
        AgentLink link;
        return printStatus(link, findAgentWindow(), command.json);
    }
    case Verb::Check:
        return check();
    }
    return kExitUsage;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    Command command;
    std::wstring error;
    if (!parseCommandLine(argc, argv, command, error)) {
        printError((error.empty() ? L"" : error + L"\n\n") + usage());
        return kExitUsage;
    }
    return run(command);
}
