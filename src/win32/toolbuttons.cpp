#include "toolbuttons.h"

#include "accessibility.h"

#include <string>

void TToolGroup::Add(TTool tool, HWND button) { buttons_[std::size_t(tool)] = button; }

TTool TToolGroup::ToolOf(HWND button) const
{
    for (std::size_t i = 1; i < buttons_.size(); ++i)
        if (buttons_[i] == button)
            return TTool(i);
    return TTool::None;
}

void TToolGroup::Set(TTool tool)
{
    if (tool == down_)
        return;
    const TTool was = down_;
    down_ = tool;
    for (TTool changed : {was, tool})
        if (HWND button = buttons_[std::size_t(changed)]; changed != TTool::None && button != nullptr) {
            InvalidateRect(button, nullptr, FALSE);
            TAccessibility::StateChanged(button);
        }
}

bool TToolGroup::Clicked(HWND button)
{
    const TTool tool = ToolOf(button);
    if (tool == TTool::None)
        return false;
    Set(tool == down_ ? TTool::None : tool);
    return true;
}

void TToolGroup::ShowFocus()
{
    if (focusShown_)
        return;
    focusShown_ = true;
    for (HWND button : buttons_)
        if (button != nullptr)
            InvalidateRect(button, nullptr, FALSE);
}

void TToolGroup::Draw(const DRAWITEMSTRUCT& item, HFONT font, HBRUSH face, COLORREF text) const
{
    HDC dc = item.hDC;
    RECT box = item.rcItem;
    const bool sunken = ToolOf(item.hwndItem) == down_ || (item.itemState & ODS_SELECTED) != 0;
    FillRect(dc, &box, face);
    DrawEdge(dc, &box, sunken ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);

    std::wstring caption(std::size_t(GetWindowTextLengthW(item.hwndItem)) + 1, L'\0');
    caption.resize(std::size_t(GetWindowTextW(item.hwndItem, caption.data(), int(caption.size()))));
    RECT place = box;
    if (sunken)
        OffsetRect(&place, 1, 1);
    const HGDIOBJ previousFont = SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, text);
    DrawTextW(dc, caption.c_str(), int(caption.size()), &place, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(dc, previousFont);

    if (focusShown_ && (item.itemState & ODS_FOCUS) != 0) {
        const int inset = GetSystemMetricsForDpi(SM_CXEDGE, GetDpiForWindow(item.hwndItem)) + 1;
        InflateRect(&box, -inset, -inset);
        DrawFocusRect(dc, &box);
    }
}
