#include "texts.h"

#include "agent.h"

#include <cwchar>

namespace {

// Long enough for any text of the table with a number in it.
size_t const kFormattedTextLength = 512;

template <typename Number> std::wstring format(UINT id, Number value) {
    std::wstring pattern = loadText(id);
    wchar_t text[kFormattedTextLength] = {};
    int length = std::swprintf(text, kFormattedTextLength, pattern.c_str(), value);
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
