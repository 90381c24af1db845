// Starting the tray agent when it does not run, as the configuration
// application starts it.
#pragma once

#include <windows.h>

#include <string>

// The agent's program file: in the folder the settings key's "Path" names,
// else beside this program or in the folder above it (Setup and the portable
// zip put this program into a "bin" folder of the installation, which alone
// goes on the user's PATH). Empty when none is there.
std::wstring agentProgram();

// Starts `program` at the signed-in user's level and waits for the agent
// window. Tells the user what went wrong and returns nullptr when it does
// not come.
HWND startAgent(const std::wstring& program);
