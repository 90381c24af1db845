// What the command line says: its texts from its string table in the user's
// language, written to the console as such, or as UTF-8 where the output
// goes to a file or a pipe.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <string>

// String resource `id`; empty when there is none.
std::wstring text(UINT id);

// String resource `id` with the texts of `arguments` in place of %1, %2, ...
std::wstring text(UINT id, std::initializer_list<std::wstring> arguments);

// Writes `text` to standard output or standard error; "\n" ends a line.
void print(const std::wstring& text);
void printError(const std::wstring& text);

// Windows' own words for a system error code, in the user's language.
std::wstring systemErrorText(DWORD code);
