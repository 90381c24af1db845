#pragma once

#include <QString>

#include <windows.h>

// Every registry access of the configuration application goes through here so
// that failures are logged in one shape and handles never leak.
class RegistryAccess {
  public:
    bool readDword(HKEY root, QString subKey, QString valueName, DWORD* value);
    bool readString(HKEY root, QString subKey, QString valueName, QString& value);
    // True only when the value was written. On failure the registry's error
    // code is this thread's last error (GetLastError), so that the caller can
    // tell the user why.
    bool writeDword(HKEY root, QString subKey, QString valueName, DWORD value);
};
