// Texts in the user's language and formats that the agent and the command
// line both build: a string resource's %1, %2, ... filled in, and local times
// and dates as the user writes them.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <string>

// `pattern` with the texts of `arguments` in place of %1, %2, ...; a
// placeholder without an argument stays as it is.
std::wstring fillPlaceholders(const std::wstring& pattern,
                              std::initializer_list<std::wstring> arguments);

// `time` in the user's time format, without seconds.
std::wstring userTimeText(const SYSTEMTIME& time);

// `date` in the user's format `flags` (DATE_SHORTDATE, ...) or in the
// picture `format` ("dddd"), as GetDateFormatEx takes them.
std::wstring userDateText(const SYSTEMTIME& date, DWORD flags, const wchar_t* format = nullptr);
