// The settings key shared with the configuration application: the session
// options the agent reads, the "VigilorActive" flag it writes, and the
// installation folder.
#pragma once

#include <windows.h>

#include <string>

#include "contract.h"

// The eight session options, in the order of kOptionValues, with its
// defaults. A switch counts as on only when it is exactly 1.
struct SessionOptions {
    DWORD duration = kOptionValues[0].byDefault;
    DWORD durationUnit = kOptionValues[1].byDefault;
    DWORD monitorOn = kOptionValues[2].byDefault;
    DWORD powerSchemeOn = kOptionValues[3].byDefault;
    DWORD powerSchemeIndex = kOptionValues[4].byDefault;
    DWORD simulatePress = kOptionValues[5].byDefault;
    DWORD simulatePressTimeOut = kOptionValues[6].byDefault;
    DWORD shutdownWindows = kOptionValues[7].byDefault;
};

// Reads each option that is stored as a REG_DWORD; a missing value or one of
// another type leaves that option as it was.
void readSessionOptions(SessionOptions& options);

// Records whether a session runs. Failures are silent: nothing else depends
// on the flag.
void writeVigilorActive(DWORD value);

// The flag as stored; 0 when it is missing or not a REG_DWORD.
DWORD readVigilorActive();

// The keyboard shortcut as stored ("hotkey"); 0 when it is missing or not a
// REG_DWORD.
DWORD readHotkeySetting();

// Values that only the agent writes. Reading reports whether the value exists
// at all, of whatever type; `text` holds it only when it is a REG_SZ of at
// most `maxLength` characters, and is empty otherwise.
bool readSettingText(const wchar_t* name, size_t maxLength, std::wstring& text);
void writeSettingText(const wchar_t* name, const std::wstring& text);
void deleteSetting(const wchar_t* name);

// Reads "Path", the folder that holds both programs. Returns the folder only
// when the value is a REG_SZ that leaves room for `reserve` more characters
// (a file name) within MAX_PATH; otherwise an empty string.
std::wstring readInstallFolder(size_t reserve);
