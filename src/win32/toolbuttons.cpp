#include "toolbuttons.h"

#include "accessibility.h"

#include <algorithm>
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

namespace {

// A raised or sunken edge in whole pixels per 96 DPI (two at 200 %): the outer line that many times,
// then the inner line, each step one pixel further in; `box` ends up inside the edge.
void DrawScaledEdge(HDC dc, RECT& box, bool sunken, UINT dpi)
{
    const int lines = std::max(1, int(dpi) / USER_DEFAULT_SCREEN_DPI);
    for (UINT part : {sunken ? BDR_SUNKENOUTER : BDR_RAISEDOUTER, sunken ? BDR_SUNKENINNER : BDR_RAISEDINNER})
        for (int i = 0; i < lines; ++i) {
            DrawEdge(dc, &box, part, BF_RECT);
            InflateRect(&box, -1, -1);
        }
}

}  // namespace

void TToolGroup::Draw(const DRAWITEMSTRUCT& item, const TLook& look, UINT dpi) const
{
    HDC dc = item.hDC;
    RECT box = item.rcItem;
    const bool sunken = ToolOf(item.hwndItem) == down_ || (item.itemState & ODS_SELECTED) != 0;
    FillRect(dc, &box, look.Face());
    RECT inside = box;
    DrawScaledEdge(dc, inside, sunken, dpi);

    std::wstring caption(std::size_t(GetWindowTextLengthW(item.hwndItem)) + 1, L'\0');
    caption.resize(std::size_t(GetWindowTextW(item.hwndItem, caption.data(), int(caption.size()))));
    RECT place = box;
    if (sunken)
        OffsetRect(&place, 1, 1);
    const HGDIOBJ previousFont = SelectObject(dc, look.Font());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, look.Text());
    DrawTextW(dc, caption.c_str(), int(caption.size()), &place, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(dc, previousFont);

    if ((item.itemState & ODS_FOCUS) != 0 && (item.itemState & ODS_NOFOCUSRECT) == 0) {
        InflateRect(&inside, -1, -1);
        DrawFocusRect(dc, &inside);
    }
}
