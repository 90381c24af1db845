// The probe's commands that look at an installation:
//
//   reg KEY                   "present" or "missing" (KEY under HKCU)
//   reg KEY NAME              the value: REG_SZ as text, REG_DWORD in decimal;
//                             "missing" when there is none
//   reg-set KEY NAME NUMBER   store a REG_DWORD, creating the key
//   link FILE                 the program a shell link starts
//   version FILE              the "ProductVersion" of a program's version
//                             resource (US English, Unicode)
#include "probe.h"
#include "program_support.h"

#include <shlobj.h>

#include <cstdio>
#include <string>

using namespace vigilor_test;

namespace probe {

namespace {

int printValue(const wchar_t* key, const wchar_t* name) {
    if (std::optional<DWORD> value = readDword(key, name)) {
        std::printf("%lu\n", *value);
    } else if (std::optional<std::wstring> text = readText(key, name)) {
        printLine(*text);
    } else {
        std::printf("missing\n");
    }
    return 0;
}

int linkTarget(const wchar_t* file) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    IShellLinkW* link = nullptr;
    IPersistFile* persist = nullptr;
    wchar_t target[MAX_PATH] = {};
    bool read =
        SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                   reinterpret_cast<void**>(&link))) &&
        SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist))) &&
        SUCCEEDED(persist->Load(file, STGM_READ)) &&
        SUCCEEDED(link->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH));
    if (persist != nullptr) {
        persist->Release();
    }
    if (link != nullptr) {
        link->Release();
    }
    CoUninitialize();
    if (!read) {
        std::fputs("cannot read the link\n", stderr);
        return 1;
    }
    printLine(target);
    return 0;
}

int productVersion(const wchar_t* file) {
    DWORD size = GetFileVersionInfoSizeW(file, nullptr);
    std::string block(size, '\0');
    wchar_t* text = nullptr;
    UINT length = 0;
    if (size == 0 || !GetFileVersionInfoW(file, 0, size, block.data()) ||
        !VerQueryValueW(block.data(), L"\\StringFileInfo\\040904b0\\ProductVersion",
                        reinterpret_cast<void**>(&text), &length) ||
        length == 0) {
        std::fputs("no product version\n", stderr);
        return 1;
    }
    printLine(text);
    return 0;
}

} // namespace

std::optional<int> installationCommand(int argc, Arguments argv) {
    std::wstring command = argv[1];
    if (command == L"reg" && argc == 3) {
        std::printf(keyExists(argv[2]) ? "present\n" : "missing\n");
        return 0;
    }
    if (command == L"reg" && argc == 4) {
        return printValue(argv[2], argv[3]);
    }
    if (command == L"reg-set" && argc == 5) {
        return writeDword(argv[2], argv[3], number(argv[4])) ? 0 : 1;
    }
    if (command == L"link" && argc == 3) {
        return linkTarget(argv[2]);
    }
    if (command == L"version" && argc == 3) {
        return productVersion(argv[2]);
    }
    return std::nullopt;
}

} // namespace probe
