#include "texts.h"

#include "agent.h"
#include "resource.h"
#include "user_formats.h"

namespace {

// wsprintfW writes at most 1024 characters and their terminator. It lives in
// user32; the C runtime's printf family would add tens of kilobytes to the
// agent.
size_t const kFormattedTextLength = 1025;

template <typename Number> std::wstring format(UINT id, Number value) {
    std::wstring pattern = loadText(id);
    wchar_t text[kFormattedTextLength] = {};
    int length = wsprintfW(text, pattern.c_str(), value);
    return length < 0 ? std::wstring() : std::wstring(text, static_cast<size_t>(length));
}

} // namespace

std::wstring loadText(UINT id) {
    // With no buffer, LoadStringW hands out the resource's own characters,
    // however long the text is; they are not terminated.
    const wchar_t* resource = nullptr;
    int length = LoadStringW(hInst, id, reinterpret_cast<LPWSTR>(&resource), 0);
    return length > 0 ? std::wstring(resource, static_cast<size_t>(length)) : std::wstring();
}

std::wstring formatText(UINT id, unsigned value) {
    return format(id, value);
}

std::wstring formatText(UINT id, int value) {
    return format(id, value);
}

std::wstring formatText(UINT id, std::initializer_list<std::wstring> arguments) {
    return fillPlaceholders(loadText(id), arguments);
}

std::wstring systemErrorText(DWORD code) {
    wchar_t* message = nullptr;
    DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                      FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, code, 0, reinterpret_cast<LPWSTR>(&message), 0, nullptr);
    std::wstring text = length > 0 ? std::wstring(message, length) : std::wstring();
    LocalFree(message);
    // Windows ends its messages with a line break.
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ')) {
        text.pop_back();
    }
    return text.empty() ? formatText(IDS_ERROR_CODE, static_cast<unsigned>(code)) : text;
}

std::wstring cutText(const std::wstring& text, size_t length) {
    if (text.size() <= length) {
        return text;
    }
    if (length > 0 && IS_HIGH_SURROGATE(text[length - 1])) {
        --length;
    }
    return text.substr(0, length) + L"\u2026";
}
