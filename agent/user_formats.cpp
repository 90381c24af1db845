#include "user_formats.h"

#include <algorithm>

std::wstring fillPlaceholders(const std::wstring& pattern,
                              std::initializer_list<std::wstring> arguments) {
    std::wstring text;
    for (size_t i = 0; i < pattern.size(); ++i) {
        wchar_t next = i + 1 < pattern.size() ? pattern[i + 1] : L'\0';
        size_t index = static_cast<size_t>(next - L'1');
        if (pattern[i] == L'%' && next >= L'1' && index < arguments.size()) {
            text += arguments.begin()[index];
            ++i;
        } else {
            text += pattern[i];
        }
    }
    return text;
}

// A user's formats may be long; the text is as long as they make it.
std::wstring userTimeText(const SYSTEMTIME& time) {
    int length =
        GetTimeFormatEx(LOCALE_NAME_USER_DEFAULT, TIME_NOSECONDS, &time, nullptr, nullptr, 0);
    std::wstring text(static_cast<size_t>(std::max(length, 1)), L'\0');
    length = GetTimeFormatEx(LOCALE_NAME_USER_DEFAULT, TIME_NOSECONDS, &time, nullptr, text.data(),
                             length);
    text.resize(static_cast<size_t>(std::max(length - 1, 0)));
    return text;
}

std::wstring userDateText(const SYSTEMTIME& date, DWORD flags, const wchar_t* format) {
    int length =
        GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, flags, &date, format, nullptr, 0, nullptr);
    std::wstring text(static_cast<size_t>(std::max(length, 1)), L'\0');
    length = GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, flags, &date, format, text.data(), length,
                             nullptr);
    text.resize(static_cast<size_t>(std::max(length - 1, 0)));
    return text;
}
