// The property identifiers and the annotation service's class are defined
// here, not taken from a library.
#include <initguid.h>

#include "screen_reader.h"

#include <objbase.h>
#include <oleacc.h>
#include <oleauto.h>

namespace {

// UiaRaiseNotificationEvent's NotificationKind_Other and
// NotificationProcessing_ImportantMostRecent: a newer popup's news replaces
// an older one's that is still waiting to be said.
int const kNotificationKindOther = 4;
int const kNotificationProcessingImportantMostRecent = 1;
const wchar_t kActivityId[] = L"PC-Vigilor.Popup";

// Both from UIAutomationCore.dll, looked up once it is needed; the provider
// is an IRawElementProviderSimple, used here only to hand on and release.
using HostProviderFromHwnd = HRESULT(WINAPI*)(HWND, IUnknown**);
using RaiseNotificationEvent = HRESULT(WINAPI*)(IUnknown*, int, int, BSTR, BSTR);
HostProviderFromHwnd hostProviderFromHwnd = nullptr;
RaiseNotificationEvent raiseNotificationEvent = nullptr;
bool automationLookedUp = false;

IAccPropServices* annotations = nullptr;

// The popups' accessible objects: the window and its client area.
DWORD const kAnnotatedObjects[] = {static_cast<DWORD>(OBJID_WINDOW),
                                   static_cast<DWORD>(OBJID_CLIENT)};

// Both services are COM objects; the agent's one thread joins a
// single-threaded apartment the first time it needs one, and stays in it.
bool apartmentJoined = false;

bool joinApartment() {
    if (!apartmentJoined) {
        HRESULT joined = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        apartmentJoined = SUCCEEDED(joined) || joined == RPC_E_CHANGED_MODE;
    }
    return apartmentJoined;
}

IAccPropServices* annotationService() {
    if (annotations == nullptr && joinApartment()) {
        CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER, IID_IAccPropServices,
                         reinterpret_cast<void**>(&annotations));
    }
    return annotations;
}

// From the system folder only: a DLL of that name beside the agent is never
// loaded in its place.
bool lookUpAutomation() {
    if (!automationLookedUp) {
        automationLookedUp = true;
        HMODULE automation =
            LoadLibraryExW(L"UIAutomationCore.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
        if (automation != nullptr) {
            hostProviderFromHwnd = reinterpret_cast<HostProviderFromHwnd>(
                reinterpret_cast<void*>(GetProcAddress(automation, "UiaHostProviderFromHwnd")));
            raiseNotificationEvent = reinterpret_cast<RaiseNotificationEvent>(
                reinterpret_cast<void*>(GetProcAddress(automation, "UiaRaiseNotificationEvent")));
        }
    }
    return hostProviderFromHwnd != nullptr && raiseNotificationEvent != nullptr;
}

} // namespace

void nameForScreenReaders(HWND window, const std::wstring& text) {
    IAccPropServices* service = annotationService();
    if (window == nullptr || service == nullptr) {
        return;
    }
    for (DWORD object : kAnnotatedObjects) {
        service->SetHwndPropStr(window, object, CHILDID_SELF, PROPID_ACC_NAME,
                                const_cast<LPWSTR>(text.c_str()));
    }
}

void forgetScreenReaderName(HWND window) {
    if (window == nullptr || annotations == nullptr) {
        return;
    }
    for (DWORD object : kAnnotatedObjects) {
        annotations->ClearHwndProps(window, object, CHILDID_SELF, &PROPID_ACC_NAME, 1);
    }
}

void announceToScreenReaders(HWND window, const std::wstring& text) {
    if (window == nullptr || !joinApartment() || !lookUpAutomation()) {
        return;
    }
    IUnknown* provider = nullptr;
    if (FAILED(hostProviderFromHwnd(window, &provider)) || provider == nullptr) {
        return;
    }
    BSTR said = SysAllocString(text.c_str());
    BSTR activity = SysAllocString(kActivityId);
    if (said != nullptr && activity != nullptr) {
        raiseNotificationEvent(provider, kNotificationKindOther,
                               kNotificationProcessingImportantMostRecent, said, activity);
    }
    SysFreeString(said);
    SysFreeString(activity);
    provider->Release();
}
