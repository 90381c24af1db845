// The session's status as the user reads it, and as scripts read it.
#pragma once

#include <string>

#include "remote_protocol.h"

// One sentence a line, in the user's language and formats; `status` nullptr
// when the agent does not run.
std::wstring statusText(const remote::Status* status);

// One JSON object, its keys the same in every language and always all of
// them: running, end (ISO 8601 local time with its UTC offset),
// untilStopped, displayOn, program, programId, powerPlan, powerMode,
// shutdown; null where nothing applies.
std::wstring statusJson(const remote::Status* status);
