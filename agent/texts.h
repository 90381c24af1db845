// The texts the user sees, from the string table of the agent's resources in
// the user's language (English when there is none in it).
#pragma once

#include <windows.h>

#include <initializer_list>
#include <string>

// The text of string resource `id`; empty when there is none.
std::wstring loadText(UINT id);

// String resource `id` as a format string with one number in it.
std::wstring formatText(UINT id, unsigned value);
std::wstring formatText(UINT id, int value);

// String resource `id` with the texts of `arguments` in place of %1, %2, ...
std::wstring formatText(UINT id, std::initializer_list<std::wstring> arguments);

// Windows' own words for a system error code, in the user's language, for a
// sentence of ours; the code's number when Windows has none.
std::wstring systemErrorText(DWORD code);

// `text` cut to its first `length` characters followed by "…", or whole when
// it is no longer; a character made of two UTF-16 units is never split.
std::wstring cutText(const std::wstring& text, size_t length);
