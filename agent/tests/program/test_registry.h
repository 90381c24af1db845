// Keys and values under HKEY_CURRENT_USER, as every test program reads and
// writes them: the GoogleTest programs, the Qt tests and the probe.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace vigilor_test {

bool keyExists(const wchar_t* key);
void deleteValue(const wchar_t* key, const wchar_t* name);
bool writeValue(const wchar_t* key, const wchar_t* name, DWORD type, const void* data, DWORD size);
bool writeDword(const wchar_t* key, const wchar_t* name, DWORD value);
bool writeText(const wchar_t* key, const wchar_t* name, const std::wstring& text,
               DWORD type = REG_SZ);
std::optional<DWORD> readDword(const wchar_t* key, const wchar_t* name);
// A REG_SZ value; nothing when it is missing or of another type.
std::optional<std::wstring> readText(const wchar_t* key, const wchar_t* name);

} // namespace vigilor_test
