// A stand-in notification area. Wine's Shell_NotifyIconW hands every icon
// record to the first top-level window of class "Shell_TrayWnd" as a
// WM_COPYDATA message, in a form of Wine's own: the record's fields, then
// the icon's mask and colour bits. This window takes that place, so a test
// sees the tip and the pixels of every icon that a program adds, changes or
// removes. Make it before the program adds its icon, and keep this thread's
// messages dispatched: the records arrive as sent messages.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace vigilor_test {

struct TrayRecord {
    DWORD message = 0; // NIM_ADD, NIM_MODIFY, NIM_DELETE, ...
    HWND window = nullptr;
    UINT id = 0;
    UINT flags = 0;
    UINT callbackMessage = 0;
    std::wstring tip;
    std::wstring info; // a notification's text and title (NIF_INFO)
    std::wstring infoTitle;
    DWORD infoFlags = 0;
    UINT version = 0;   // NIM_SETVERSION's
    UINT iconWidth = 0; // 0 when the record carries no icon
    UINT iconHeight = 0;
    std::vector<BYTE> iconBits; // mask bits, then colour bits
};

class TrayStandIn {
  public:
    TrayStandIn();
    TrayStandIn(const TrayStandIn&) = delete;
    TrayStandIn& operator=(const TrayStandIn&) = delete;
    ~TrayStandIn();

    HWND handle() const { return window_; }
    const std::vector<TrayRecord>& records() const { return records_; }
    // NIM_SETVERSION and NIM_SETFOCUS, which records() leaves out.
    const std::vector<TrayRecord>& requests() const { return requests_; }

    // Refuses the first `count` records: Wine's Shell_NotifyIconW then fails.
    void refuseFirstRecords(size_t count) { refused_ = count; }

    // The texts of the notifications among the records from `first` on.
    std::vector<std::wstring> notificationsSince(size_t first) const;

    // Waits until `count` records have arrived in all.
    bool waitForRecords(size_t count, DWORD timeoutMs);

  private:
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND window_ = nullptr;
    std::vector<TrayRecord> records_;
    std::vector<TrayRecord> requests_;
    size_t refused_ = 0;
};

// The bits of an icon resource of `module` (a program file) loaded at `size`
// pixels, in the form a record carries them; empty when it cannot be loaded.
std::vector<BYTE> iconResourceBits(const std::wstring& module, WORD id, int size);

} // namespace vigilor_test
