#include "settings.h"

#include <vector>

void readSessionOptions(SessionOptions& options) {
    DWORD* const fields[] = {
        &options.duration,
        &options.durationUnit,
        &options.monitorOn,
        &options.powerSchemeOn,
        &options.powerSchemeIndex,
        &options.simulatePress,
        &options.simulatePressTimeOut,
        &options.shutdownWindows,
    };
    static_assert(ARRAYSIZE(fields) == ARRAYSIZE(kOptionValues));
    for (size_t i = 0; i < ARRAYSIZE(fields); ++i) {
        // Read into a scratch value so that a failed call cannot leave a
        // partly written option behind.
        DWORD value = 0;
        DWORD size = sizeof(value);
        if (RegGetValueW(HKEY_CURRENT_USER, kSettingsKey, kOptionValues[i].name, RRF_RT_REG_DWORD,
                         nullptr, &value, &size) == ERROR_SUCCESS) {
            *fields[i] = value;
        }
    }
}

void writeVigilorActive(DWORD value) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS) {
        return;
    }
    RegSetValueExW(key, kActiveValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                   sizeof(value));
    RegCloseKey(key);
}

DWORD readVigilorActive() {
    DWORD value = 0;
    DWORD size = sizeof(value);
    if (RegGetValueW(HKEY_CURRENT_USER, kSettingsKey, L"VigilorActive", RRF_RT_REG_DWORD, nullptr,
                     &value, &size) != ERROR_SUCCESS) {
        return 0;
    }
    return value;
}

DWORD readHotkeySetting() {
    DWORD value = 0;
    DWORD size = sizeof(value);
    if (RegGetValueW(HKEY_CURRENT_USER, kSettingsKey, kHotkeyValue, RRF_RT_REG_DWORD, nullptr,
                     &value, &size) != ERROR_SUCCESS) {
        return 0;
    }
    return value;
}

bool readSettingText(const wchar_t* name, size_t maxLength, std::wstring& text) {
    text.clear();
    DWORD type = REG_NONE;
    DWORD size = 0;
    LONG rc = RegGetValueW(HKEY_CURRENT_USER, kSettingsKey, name, RRF_RT_ANY | RRF_NOEXPAND, &type,
                           nullptr, &size);
    if (rc != ERROR_SUCCESS) {
        return false;
    }
    if (type != REG_SZ || size > (maxLength + 1) * sizeof(wchar_t)) {
        return true;
    }
    std::vector<wchar_t> buffer(maxLength + 2, L'\0');
    DWORD bytes = static_cast<DWORD>((buffer.size() - 1) * sizeof(wchar_t));
    if (RegGetValueW(HKEY_CURRENT_USER, kSettingsKey, name, RRF_RT_REG_SZ, nullptr, buffer.data(),
                     &bytes) == ERROR_SUCCESS) {
        text.assign(buffer.data());
    }
    return true;
}

void writeSettingText(const wchar_t* name, const std::wstring& text) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS) {
        return;
    }
    RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
}

void deleteSetting(const wchar_t* name) {
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kSettingsKey, name);
}

std::wstring readInstallFolder(size_t reserve) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return {};
    }
    std::wstring folder;
    DWORD size = 0;
    if (RegGetValueW(key, nullptr, kPathValue, RRF_RT_REG_SZ, nullptr, nullptr, &size) ==
            ERROR_SUCCESS &&
        size >= sizeof(wchar_t)) {
        // The value may change between the two calls; a larger one then
        // fails the second call instead of overrunning the buffer.
        std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 1, L'\0');
        DWORD bytes = static_cast<DWORD>((buffer.size() - 1) * sizeof(wchar_t));
        if (RegGetValueW(key, nullptr, kPathValue, RRF_RT_REG_SZ, nullptr, buffer.data(), &bytes) ==
            ERROR_SUCCESS) {
            // Text after an embedded null is not part of the folder.
            folder.assign(buffer.data());
        }
    }
    RegCloseKey(key);
    if (folder.size() + reserve >= MAX_PATH) {
        return {};
    }
    return folder;
}
