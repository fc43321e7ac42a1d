#include "accessibility.h"

#include "wintext.h"

#include <initguid.h>  // defines the property GUIDs here rather than needing them from a library

#include <oleacc.h>

#include <string>

TAccessibility::TAccessibility()
{
    void* services = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER, IID_IAccPropServices,
                                   &services)))
        services_ = static_cast<IAccPropServices*>(services);
}

TAccessibility::~TAccessibility()
{
    if (services_ != nullptr)
        services_->Release();
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
    MSAAPROPID props[] = {PROPID_ACC_NAME, PROPID_ACC_DESCRIPTION, PROPID_ACC_ROLE};
    services_->ClearHwndProps(control, DWORD(OBJID_CLIENT), CHILDID_SELF, props, int(std::size(props)));
}
