// Drives a real VigilorTaskbar.exe for the reliability tests: a folder with
// a harmless program in place of the configuration application, and a way to
// know that the agent has worked through everything posted to it.
#pragma once

#include "program_support.h"

#include <string>

namespace reliability {

inline constexpr UINT kAboutCommand = 104;

// A temporary folder holding a copy of the stand-in configuration program as
// PCVigilor.exe, so that the agent's "Configuration" command starts something
// that only leaves started.txt behind and exits.
class ConfigStandInFolder {
  public:
    ConfigStandInFolder();
    const std::wstring& path() const { return folder_.path(); }
    bool started() const;

  private:
    vigilor_test::TempFolder folder_;
};

// The agent handles posted messages in order; the About box that a posted
// command opens shows that everything before it has been handled. Closes the
// box again. Returns false when the box did not come within `timeoutMs`.
bool waitUntilIdle(const vigilor_test::AgentProcess& agent, DWORD timeoutMs);

// Windows of the agent process of a class other than the agent's own and the
// input-method window: menus, message boxes, dialogs that are still open.
std::wstring strayWindows(DWORD processId);

// A copy of the agent made for this run, and the stand-in, as Windows paths.
std::wstring agentProgram();
std::wstring standInConfigProgram();

} // namespace reliability
