#include "console.h"

#include "user_formats.h"

#include <vector>

namespace {

// A console takes UTF-16 as it is. A file or a pipe gets UTF-8 with the
// line ends Windows' own tools write, whatever the console's code page.
void write(DWORD which, const std::wstring& text) {
    HANDLE out = GetStdHandle(which);
    if (out == nullptr || out == INVALID_HANDLE_VALUE) {
        return;
    }
    DWORD mode = 0;
    DWORD written = 0;
    if (GetConsoleMode(out, &mode)) {
        WriteConsoleW(out, text.c_str(), static_cast<DWORD>(text.size()), &written, nullptr);
        return;
    }
    std::wstring lines;
    for (wchar_t c : text) {
        if (c == L'\n') {
            lines += L'\r';
        }
        lines += c;
    }
    int length = static_cast<int>(lines.size());
    int bytes =
        WideCharToMultiByte(CP_UTF8, 0, lines.c_str(), length, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) {
        return;
    }
    std::vector<char> utf8(static_cast<size_t>(bytes));
    WideCharToMultiByte(CP_UTF8, 0, lines.c_str(), length, utf8.data(), bytes, nullptr, nullptr);
    WriteFile(out, utf8.data(), static_cast<DWORD>(bytes), &written, nullptr);
}

} // namespace

std::wstring text(UINT id) {
    // With no buffer, LoadStringW hands out the resource's own characters,
    // however long the text is; they are not terminated.
    const wchar_t* resource = nullptr;
    int length = LoadStringW(GetModuleHandleW(nullptr), id, reinterpret_cast<LPWSTR>(&resource), 0);
    return length > 0 ? std::wstring(resource, static_cast<size_t>(length)) : std::wstring();
}

std::wstring text(UINT id, std::initializer_list<std::wstring> arguments) {
    return fillPlaceholders(text(id), arguments);
}

void print(const std::wstring& text) {
    write(STD_OUTPUT_HANDLE, text);
}

void printError(const std::wstring& text) {
    write(STD_ERROR_HANDLE, text);
}

std::wstring systemErrorText(DWORD code) {
    wchar_t* message = nullptr;
    DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                      FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, code, 0, reinterpret_cast<LPWSTR>(&message), 0, nullptr);
    std::wstring reason = length > 0 ? std::wstring(message, length) : std::wstring();
    LocalFree(message);
    while (!reason.empty() && (reason.back() == L'\n' || reason.back() == L'\r')) {
        reason.pop_back();
    }
    if (reason.empty()) {
        wchar_t number[32] = {};
        wsprintfW(number, L"%lu", code);
        reason = number;
    }
    return reason;
}
