#pragma once

#include <QString>

#include <windows.h>

#include <vector>

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

    // A value as stored, of whatever type, or that there is none: what a
    // save that fails half-way puts back.
    struct StoredValue {
        bool present = false;
        DWORD type = REG_NONE;
        std::vector<BYTE> data;
    };
    // True when the value was read or is not there (no key counts as no
    // value); false, with the registry's error code as the last error, when
    // what is stored cannot be known.
    bool readStored(HKEY root, QString subKey, QString valueName, StoredValue* value);
    // Writes back what readStored read, or removes the value when there was
    // none. True when the value is as it was.
    bool restore(HKEY root, QString subKey, QString valueName, const StoredValue& value);
};
