#include "tray_stand_in.h"

#include "program_support.h"

namespace vigilor_test {

namespace {

const wchar_t kTrayClass[] = L"Shell_TrayWnd";

// Wine 8's record (struct notify_data in its shell32), followed by the bits.
struct WineNotifyData {
    LONG window;
    UINT id;
    UINT flags;
    UINT callbackMessage;
    WCHAR tip[128];
    DWORD state;
    DWORD stateMask;
    WCHAR info[256];
    UINT timeoutOrVersion;
    WCHAR infoTitle[64];
    DWORD infoFlags;
    GUID guid;
    UINT width;
    UINT height;
    UINT planes;
    UINT bitsPerPixel;
};

TrayRecord decode(DWORD message, const COPYDATASTRUCT& data) {
    TrayRecord record;
    record.message = message;
    if (data.cbData < sizeof(WineNotifyData) || data.lpData == nullptr) {
        return record;
    }
    const auto* fields = static_cast<const WineNotifyData*>(data.lpData);
    record.window = reinterpret_cast<HWND>(static_cast<LONG_PTR>(fields->window));
    record.id = fields->id;
    record.flags = fields->flags;
    record.callbackMessage = fields->callbackMessage;
    record.version = fields->timeoutOrVersion;
    record.tip.assign(fields->tip, wcsnlen(fields->tip, ARRAYSIZE(fields->tip)));
    if ((record.flags & NIF_INFO) != 0) {
        record.info.assign(fields->info, wcsnlen(fields->info, ARRAYSIZE(fields->info)));
        record.infoTitle.assign(fields->infoTitle,
                                wcsnlen(fields->infoTitle, ARRAYSIZE(fields->infoTitle)));
        record.infoFlags = fields->infoFlags;
    }
    record.iconWidth = fields->width;
    record.iconHeight = fields->height;
    const BYTE* bits = static_cast<const BYTE*>(data.lpData) + sizeof(WineNotifyData);
    record.iconBits.assign(bits, bits + (data.cbData - sizeof(WineNotifyData)));
    return record;
}

std::vector<BYTE> bitmapBits(HBITMAP bitmap) {
    BITMAP info = {};
    if (bitmap == nullptr || GetObjectW(bitmap, sizeof(info), &info) == 0) {
        return {};
    }
    // Rows padded to 16 bits, as GetBitmapBits gives them.
    LONG size = (info.bmPlanes * info.bmWidth * info.bmHeight * info.bmBitsPixel + 15) / 16 * 2;
    std::vector<BYTE> bits(static_cast<size_t>(size));
    GetBitmapBits(bitmap, size, bits.data());
    return bits;
}

} // namespace

TrayStandIn::TrayStandIn() {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW wcex = {sizeof(wcex)};
    if (!GetClassInfoExW(instance, kTrayClass, &wcex)) {
        wcex = {sizeof(wcex)};
        wcex.lpfnWndProc = procedure;
        wcex.hInstance = instance;
        wcex.lpszClassName = kTrayClass;
        RegisterClassExW(&wcex);
    }
    window_ = CreateWindowExW(0, kTrayClass, nullptr, WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                              instance, this);
}

TrayStandIn::~TrayStandIn() {
    if (window_ != nullptr) {
        DestroyWindow(window_);
    }
}

std::vector<std::wstring> TrayStandIn::notificationsSince(size_t first) const {
    std::vector<std::wstring> texts;
    for (size_t i = first; i < records_.size(); ++i) {
        if (!records_[i].info.empty()) {
            texts.push_back(records_[i].info);
        }
    }
    return texts;
}

bool TrayStandIn::waitForRecords(size_t count, DWORD timeoutMs) {
    return pumpUntil([this, count] { return records_.size() >= count; }, timeoutMs);
}

LRESULT CALLBACK TrayStandIn::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<TrayStandIn*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_COPYDATA && self != nullptr) {
        const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        if (data->dwData == NIM_SETVERSION || data->dwData == NIM_SETFOCUS) {
            self->requests_.push_back(decode(static_cast<DWORD>(data->dwData), *data));
            return TRUE;
        }
        bool refuse = self->records_.size() < self->refused_;
        self->records_.push_back(decode(static_cast<DWORD>(data->dwData), *data));
        return refuse ? FALSE : TRUE;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

std::vector<BYTE> iconResourceBits(const std::wstring& module, WORD id, int size) {
    HMODULE file = LoadLibraryExW(module.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (file == nullptr) {
        return {};
    }
    auto icon = static_cast<HICON>(
        LoadImageW(file, MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
    std::vector<BYTE> bits;
    ICONINFO info = {};
    if (icon != nullptr && GetIconInfo(icon, &info)) {
        bits = bitmapBits(info.hbmMask);
        std::vector<BYTE> colour = bitmapBits(info.hbmColor);
        bits.insert(bits.end(), colour.begin(), colour.end());
        DeleteObject(info.hbmMask);
        if (info.hbmColor != nullptr) {
            DeleteObject(info.hbmColor);
        }
    }
    if (icon != nullptr) {
        DestroyIcon(icon);
    }
    FreeLibrary(file);
    return bits;
}

} // namespace vigilor_test
