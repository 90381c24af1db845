// Talking to the running agent: its window, and a request sent to it with
// the answer to a question taken in before the request returns.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>

#include "remote_protocol.h"

// The agent window: the top-level window of the agent's class and title
// that is not layered (its popups share both, and are). nullptr when the
// agent does not run.
HWND findAgentWindow();

// Whether this console runs where the user's desktop is. An SSH session, or
// a task that runs whether the user is signed in or not, has a window
// station of its own without a display: the agent's window is not seen
// from there, and an agent started there would keep the PC awake out of the
// user's sight, apart from the one in the notification area.
bool onUserDesktop();

class AgentLink {
  public:
    AgentLink();
    AgentLink(const AgentLink&) = delete;
    AgentLink& operator=(const AgentLink&) = delete;
    ~AgentLink();

    // Sends `request` to `agent` and waits for its result; nothing when the
    // agent did not take the message (it hangs, or Windows kept it away).
    std::optional<LRESULT> send(HWND agent, const remote::Request& request);

    // The answer to the last question, once it came.
    const remote::Status* status() const { return status_.get(); }
    const remote::Findings* findings() const { return findings_.get(); }

  private:
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    bool take(HWND sender, const COPYDATASTRUCT* data);

    HWND window_ = nullptr;
    HWND asked_ = nullptr;
    std::unique_ptr<remote::Status> status_;
    std::unique_ptr<remote::Findings> findings_;
};

// A request of `verb` with the version and size filled in.
remote::Request makeRequest(DWORD verb);
