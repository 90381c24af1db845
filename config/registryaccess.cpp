#include "registryaccess.h"

#include "agentprotocol.h"

#include <QDebug>

using Vigilor::wide;

bool RegistryAccess::readDword(HKEY root, QString subKey, QString valueName, DWORD* value) {
    // Read into a local first: a failed call must leave the caller's default.
    DWORD data = 0;
    DWORD size = sizeof(data);
    LONG rc =
        RegGetValueW(root, wide(subKey), wide(valueName), RRF_RT_REG_DWORD, nullptr, &data, &size);
    if (rc == ERROR_SUCCESS) {
        *value = data;
        return true;
    }
    qDebug() << subKey << " : " << valueName << " : Cannot read DWORD from registry.";
    return false;
}

bool RegistryAccess::readString(HKEY root, QString subKey, QString valueName, QString& value) {
    value.clear();
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, wide(subKey), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;

    DWORD size = 0;
    RegGetValueW(root, wide(subKey), wide(valueName), RRF_RT_REG_SZ, nullptr, nullptr, &size);
    // Rounded up, for text stored with an odd number of bytes, plus one
    // character that no call writes, so that the text is always terminated.
    const size_t characters = (size + 1) / sizeof(wchar_t);
    std::vector<wchar_t> buffer(characters + 1, L'\0');
    DWORD bytes = static_cast<DWORD>(characters * sizeof(wchar_t));
    LONG rc = RegGetValueW(root, wide(subKey), wide(valueName), RRF_RT_REG_SZ, nullptr,
                           buffer.data(), &bytes);
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS) {
        qDebug() << "error";
        return false;
    }
    value = QString::fromWCharArray(buffer.data());
    return true;
}

bool RegistryAccess::writeDword(HKEY root, QString subKey, QString valueName, DWORD value) {
    HKEY key = nullptr;
    LONG rc = RegCreateKeyExW(root, wide(subKey), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE,
                              nullptr, &key, nullptr);
    if (rc != ERROR_SUCCESS) {
        SetLastError(DWORD(rc));
        return false;
    }
    rc = RegSetValueExW(key, wide(valueName), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                        sizeof(value));
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS) {
        SetLastError(DWORD(rc));
        return false;
    }
    qDebug() << "true";
    return true;
}

bool RegistryAccess::readStored(HKEY root, QString subKey, QString valueName, StoredValue* value) {
    *value = StoredValue();
    HKEY key = nullptr;
    LONG rc = RegOpenKeyExW(root, wide(subKey), 0, KEY_QUERY_VALUE, &key);
    if (rc == ERROR_SUCCESS) {
        DWORD size = 0;
        rc = RegQueryValueExW(key, wide(valueName), nullptr, &value->type, nullptr, &size);
        if (rc == ERROR_SUCCESS) {
            value->data.resize(size);
            // A value that grew in between fails here (ERROR_MORE_DATA)
            // rather than be put back cut short.
            rc = RegQueryValueExW(key, wide(valueName), nullptr, &value->type, value->data.data(),
                                  &size);
            value->data.resize(size);
            value->present = rc == ERROR_SUCCESS;
        }
        RegCloseKey(key);
    }
    if (rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND)
        return true;
    SetLastError(DWORD(rc));
    return false;
}

bool RegistryAccess::restore(HKEY root, QString subKey, QString valueName,
                             const StoredValue& value) {
    // Only the right to set values: no more than putting back needs, so that
    // it still works where a failed save was refused a wider access.
    HKEY key = nullptr;
    LONG rc = RegOpenKeyExW(root, wide(subKey), 0, KEY_SET_VALUE, &key);
    if (rc == ERROR_SUCCESS) {
        rc = value.present ? RegSetValueExW(key, wide(valueName), 0, value.type, value.data.data(),
                                            DWORD(value.data.size()))
                           : RegDeleteValueW(key, wide(valueName));
        RegCloseKey(key);
    }
    return rc == ERROR_SUCCESS || (!value.present && rc == ERROR_FILE_NOT_FOUND);
}
