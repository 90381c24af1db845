#include "test_registry.h"

namespace vigilor_test {

bool keyExists(const wchar_t* keyName) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, keyName, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(key);
    return true;
}

void deleteValue(const wchar_t* keyName, const wchar_t* name) {
    RegDeleteKeyValueW(HKEY_CURRENT_USER, keyName, name);
}

bool writeValue(const wchar_t* keyName, const wchar_t* name, DWORD type, const void* data,
                DWORD size) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, keyName, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE,
                        nullptr, &key, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    LONG result = RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
    return result == ERROR_SUCCESS;
}

bool writeDword(const wchar_t* keyName, const wchar_t* name, DWORD value) {
    return writeValue(keyName, name, REG_DWORD, &value, sizeof(value));
}

bool writeText(const wchar_t* keyName, const wchar_t* name, const std::wstring& text, DWORD type) {
    return writeValue(keyName, name, type, text.c_str(),
                      static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

std::optional<DWORD> readDword(const wchar_t* keyName, const wchar_t* name) {
    DWORD value = 0;
    DWORD size = sizeof(value);
    if (RegGetValueW(HKEY_CURRENT_USER, keyName, name, RRF_RT_REG_DWORD, nullptr, &value, &size) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    return value;
}

std::optional<std::wstring> readText(const wchar_t* keyName, const wchar_t* name) {
    DWORD size = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, keyName, name, RRF_RT_REG_SZ, nullptr, nullptr, &size) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    std::wstring text(size / sizeof(wchar_t), L'\0');
    if (RegGetValueW(HKEY_CURRENT_USER, keyName, name, RRF_RT_REG_SZ, nullptr, text.data(),
                     &size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    text.resize(size / sizeof(wchar_t) - 1);
    return text;
}

} // namespace vigilor_test
