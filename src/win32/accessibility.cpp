#include "accessibility.h"

#include "wintext.h"

#include <initguid.h>  // defines the property GUIDs here rather than needing them from a library

#include <oleacc.h>

#include <string>
#include <utility>
#include <vector>

// Answers the state property of the toggle buttons when a screen reader asks: focusable, focused when
// it has the keyboard, pressed when its tool is down, invisible or unavailable as the window is.
class TStateServer final : public IAccPropServer {
public:
    explicit TStateServer(IAccPropServices* services) : services_(services) {}

    void Add(HWND button, std::function<bool()> down) { toggles_.emplace_back(button, std::move(down)); }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** out) override
    {
        if (id != IID_IUnknown && id != IID_IAccPropServer) {
            *out = nullptr;
            return E_NOINTERFACE;
        }
        *out = static_cast<IAccPropServer*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const ULONG left = --references_;
        if (left == 0)
            delete this;
        return left;
    }

    HRESULT STDMETHODCALLTYPE GetPropValue(const BYTE* identity, DWORD length, MSAAPROPID, VARIANT* value,
                                           BOOL* has) override
    {
        *has = FALSE;
        HWND hwnd = nullptr;
        DWORD object = 0;
        DWORD child = 0;
        if (FAILED(services_->DecomposeHwndIdentityString(identity, length, &hwnd, &object, &child)))
            return S_OK;
        for (const auto& [button, down] : toggles_)
            if (button == hwnd) {
                // The whole state is answered here, so the bits the system would give are kept too.
                value->vt = VT_I4;
                value->lVal = STATE_SYSTEM_FOCUSABLE | (GetFocus() == hwnd ? STATE_SYSTEM_FOCUSED : 0) |
                              (down() ? STATE_SYSTEM_PRESSED : 0) |
                              (IsWindowVisible(hwnd) ? 0 : STATE_SYSTEM_INVISIBLE) |
                              (IsWindowEnabled(hwnd) ? 0 : STATE_SYSTEM_UNAVAILABLE);
                *has = TRUE;
                break;
            }
        return S_OK;
    }

private:
    IAccPropServices* services_;
    std::vector<std::pair<HWND, std::function<bool()>>> toggles_;
    ULONG references_ = 1;
};

TAccessibility::TAccessibility()
{
    void* services = nullptr;
    if (FAILED(CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER, IID_IAccPropServices, &services)))
        return;
    services_ = static_cast<IAccPropServices*>(services);
    states_ = new TStateServer(services_);
}

TAccessibility::~TAccessibility()
{
    if (states_ != nullptr)
        states_->Release();
    if (services_ != nullptr)
        services_->Release();
}

void TAccessibility::Toggle(HWND button, std::function<bool()> down)
{
    if (services_ == nullptr)
        return;
    states_->Add(button, std::move(down));
    MSAAPROPID state = PROPID_ACC_STATE;
    services_->SetHwndPropServer(button, DWORD(OBJID_CLIENT), CHILDID_SELF, &state, 1, states_, ANNO_THIS);
}

void TAccessibility::StateChanged(HWND control)
{
    NotifyWinEvent(EVENT_OBJECT_STATECHANGE, control, OBJID_CLIENT, CHILDID_SELF);
}

void TAccessibility::NameChanged(HWND control)
{
    NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, control, OBJID_CLIENT, CHILDID_SELF);
}

namespace {

// UI Automation's notification, from UIAutomationCore.dll: declared here by hand, as the two functions are
// looked up at run time and the provider is only handed on.
enum { kNotificationActionCompleted = 2, kProcessingMostRecent = 3 };
using THostProvider = HRESULT(WINAPI*)(HWND, IUnknown**);
using TRaiseNotification = HRESULT(WINAPI*)(IUnknown*, int kind, int processing, BSTR text, BSTR activity);

struct TUiaNotification {
    THostProvider host = nullptr;
    TRaiseNotification raise = nullptr;

    TUiaNotification()
    {
        HMODULE core = LoadLibraryExW(L"UIAutomationCore.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
        if (core == nullptr)
            return;
        host = reinterpret_cast<THostProvider>(
            reinterpret_cast<void (*)()>(GetProcAddress(core, "UiaHostProviderFromHwnd")));
        raise = reinterpret_cast<TRaiseNotification>(
            reinterpret_cast<void (*)()>(GetProcAddress(core, "UiaRaiseNotificationEvent")));
    }
};

}  // namespace

void TAccessibility::Announce(HWND window, std::string_view utf8)
{
    static const TUiaNotification uia;
    if (utf8.empty() || uia.host == nullptr || uia.raise == nullptr)
        return;
    IUnknown* provider = nullptr;
    if (FAILED(uia.host(window, &provider)) || provider == nullptr)
        return;
    BSTR text = SysAllocString(Widen(utf8).c_str());
    BSTR activity = SysAllocString(L"Tirvok3.Edit");
    uia.raise(provider, kNotificationActionCompleted, kProcessingMostRecent, text, activity);
    SysFreeString(activity);
    SysFreeString(text);
    provider->Release();
}

void TAccessibility::Name(HWND control, std::string_view utf8)
{
    if (services_ != nullptr)
        services_->SetHwndPropStr(control, DWORD(OBJID_CLIENT), CHILDID_SELF, PROPID_ACC_NAME, Widen(utf8).c_str());
}

void TAccessibility::Description(HWND control, std::string_view utf8)
{
    if (services_ != nullptr)
        services_->SetHwndPropStr(control, DWORD(OBJID_CLIENT), CHILDID_SELF, PROPID_ACC_DESCRIPTION,
                                  Widen(utf8).c_str());
}

void TAccessibility::Role(HWND control, long role)
{
    if (services_ == nullptr)
        return;
    VARIANT value{};  // VT_EMPTY until filled in
    value.vt = VT_I4;
    value.lVal = role;
    services_->SetHwndProp(control, DWORD(OBJID_CLIENT), CHILDID_SELF, PROPID_ACC_ROLE, value);
}

void TAccessibility::Clear(HWND control)
{
    if (services_ == nullptr)
        return;
    MSAAPROPID props[] = {PROPID_ACC_NAME, PROPID_ACC_DESCRIPTION, PROPID_ACC_ROLE, PROPID_ACC_STATE};
    services_->ClearHwndProps(control, DWORD(OBJID_CLIENT), CHILDID_SELF, props, int(std::size(props)));
}
