#include "birim1.h"

#include "dpi.h"
#include "pointer.h"
#include "wintext.h"

#include <commctrl.h>
#include <oleacc.h>

#include <algorithm>
#include <string_view>

namespace {

constexpr wchar_t kFormClass[] = L"TirvokForm1";
// Child control ids: the table's index plus this.
constexpr int kFirstControlId = 100;
// The window's own timer id, for frames while a move or resize runs its own message loop.
constexpr UINT_PTR kSizeMoveTimer = 1;
static_assert(kSizeMoveTimer != TSaat::kMessageTimerId);
// Posted to the window itself once it has become maximised.
constexpr UINT kPlaceAgain = WM_APP;
// The icon's resource id in tirvok3.rc.
constexpr int kIconResource = 1;

HICON LoadAppIcon(HINSTANCE instance, int metric, UINT dpi)
{
    const int size = MetricForDpi(metric, dpi);
    return static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(kIconResource), IMAGE_ICON, size, size, 0));
}

}  // namespace

TForm1::TForm1(HINSTANCE instance, int showCommand) : scene_(std::make_unique<TScene>()), tick_(UserDecimalPoint())
{
    TImagePane::Register(instance);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hIcon = LoadAppIcon(instance, SM_CXICON, USER_DEFAULT_SCREEN_DPI);
    wc.hIconSm = LoadAppIcon(instance, SM_CXSMICON, USER_DEFAULT_SCREEN_DPI);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = nullptr;  // WM_ERASEBKGND paints the face in the colour of the moment
    wc.lpszClassName = kFormClass;
    RegisterClassExW(&wc);

    // WS_CLIPCHILDREN: the face is never painted under the panes, which blit whole off-screen images.
    CreateWindowExW(0, kFormClass, Widen(kForm1.caption).c_str(), WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, kForm1.left,
                    kForm1.top, kForm1.width, kForm1.height, nullptr, nullptr, instance, this);
    dpi_ = WindowDpi(hwnd_);
    for (std::size_t i = 0; i < kForm1Controls.size(); ++i)
        MakeControl(i);
    for (TPlanView view : {TPlanView::XY, TPlanView::XZ, TPlanView::YZ}) {
        TImagePane& pane = *panes_[std::size_t(view)];
        pane.Mouse = [this](HWND from, UINT message, WPARAM wParam, LPARAM lParam) {
            Pointer(from, message, wParam, lParam);
        };
        pane.Key = [this, view](UINT message, WPARAM wParam, LPARAM lParam) { Key(view, message, wParam, lParam); };
    }
    // The keyboard goes through the work in order: the tools from Kamera, then the plan views.
    HWND order[] = {BKamera, BOdak, BPrizma, BSonPrizma, EkranXY->Handle(), EkranXZ->Handle(), EkranYZ->Handle()};
    SetWindowPos(order[0], HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    for (std::size_t i = 1; i < std::size(order); ++i)
        SetWindowPos(order[i], order[i - 1], 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    ApplyDpi(dpi_);
    // Focus rectangles stay hidden until the keyboard is used (Tab, Space and the rest then show them),
    // unless the user asked to see keyboard cues always.
    if (BOOL always = FALSE; SystemParametersInfoW(SPI_GETKEYBOARDCUES, 0, &always, 0) == FALSE || always == FALSE)
        SendMessageW(hwnd_, WM_CHANGEUISTATE, MAKEWPARAM(UIS_SET, UISF_HIDEFOCUS | UISF_HIDEACCEL), 0);
    FormCreate();
    FirstShow(showCommand);
    Saat.Start(kFrameMs, hwnd_);
}

void TForm1::FirstShow(int showCommand)
{
    // A shortcut set to "Minimised" or "Maximised" is followed; "Normal", the default, starts maximised,
    // and restoring from a minimised start maximises too.
    const bool minimised =
        showCommand == SW_SHOWMINIMIZED || showCommand == SW_MINIMIZE || showCommand == SW_SHOWMINNOACTIVE;
    WINDOWPLACEMENT place{};
    place.length = sizeof place;
    place.flags = minimised ? WPF_RESTORETOMAXIMIZED : 0;
    place.showCmd = minimised ? UINT(showCommand) : SW_SHOWMAXIMIZED;
    // The laid-out place and size, scaled for the monitor, to restore to.
    place.rcNormalPosition = {kForm1.left, kForm1.top, kForm1.left + Scaled(kForm1.width),
                              kForm1.top + Scaled(kForm1.height)};
    SetWindowPlacement(hwnd_, &place);
}

TForm1::~TForm1()
{
    if (hwnd_ != nullptr)
        DestroyWindow(hwnd_);
    panes_ = {};
    for (HICON icon : icons_)
        if (icon != nullptr)
            DestroyIcon(icon);
}

void TForm1::FormCreate()
{
    // Painting is double-buffered by construction: each pane is an off-screen image shown with one blit,
    // and the window's face is never painted under a pane (WS_CLIPCHILDREN), so nothing flickers.
    InitScene(*scene_);
    announcer_.Reset(*scene_);
}

int TForm1::Run()
{
    return RunMessageLoop(hwnd_, Saat.Handle(), [this] { SaatTimer(); });
}

void TForm1::MakeControl(std::size_t index)
{
    const TControlSpec& spec = kForm1Controls[index];
    const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(hwnd_, GWLP_HINSTANCE));
    const auto id = reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstControlId + int(index)));
    const std::wstring caption = Widen(spec.caption);
    HWND made = nullptr;
    switch (spec.kind) {
    case TControlKind::Pane: {
        auto pane = std::make_unique<TImagePane>(hwnd_, spec.width, spec.height);
        TImagePane** byPane[] = {&EkranXY, &EkranXZ, &EkranYZ, &Ekran3B};  // by TPaneId
        *byPane[std::size_t(spec.pane)] = pane.get();
        made = pane->Handle();
        panes_[std::size_t(spec.pane)] = std::move(pane);
        access_.Role(made, ROLE_SYSTEM_GRAPHIC);
        break;
    }
    case TControlKind::Label:
    case TControlKind::Readout:
        made = CreateWindowExW(0, L"STATIC", caption.c_str(), WS_CHILD | WS_VISIBLE | SS_LEFTNOWORDWRAP | SS_NOPREFIX,
                               0, 0, 0, 0, hwnd_, id, instance, nullptr);
        if (spec.kind == TControlKind::Readout) {
            readouts_[std::size_t(spec.readout)] = index;
            // What it measures, then the visible value.
            access_.Name(made, SpokenReadout(spec.accessibleName, spec.caption));
        }
        break;
    case TControlKind::Tool: {
        made = CreateWindowExW(0, L"BUTTON", caption.c_str(), WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW, 0, 0,
                               0, 0, hwnd_, id, instance, nullptr);
        tools_.Add(spec.tool, made);
        access_.Toggle(made, [this, tool = spec.tool] { return tools_.Current() == tool; });
        HWND* byTool[] = {nullptr, &BKamera, &BOdak, &BPrizma, &BSonPrizma};  // by TTool
        *byTool[std::size_t(spec.tool)] = made;
        if (*spec.tooltip != 0)
            AddTooltip(made, spec.tooltip);
        break;
    }
    }
    controls_[index] = made;
    if (*spec.accessibleName != 0 && spec.kind != TControlKind::Readout)
        access_.Name(made, spec.accessibleName);
    if (*spec.accessibleDescription != 0)
        access_.Description(made, spec.accessibleDescription);
}

void TForm1::AddTooltip(HWND control, const char* text)
{
    if (tooltip_ == nullptr)
        tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                                   CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr, nullptr, nullptr);
    std::wstring tip = Widen(text);
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = hwnd_;
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = tip.data();  // the tooltip keeps its own copy
    SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void TForm1::ApplyDpi(UINT dpi)
{
    dpi_ = dpi;
    look_.MakeFont(dpi);
    const auto font = reinterpret_cast<WPARAM>(look_.Font());
    const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(hwnd_, GWLP_HINSTANCE));
    const std::array<int, 2> iconMetric{SM_CXSMICON, SM_CXICON};  // by ICON_SMALL, ICON_BIG
    for (std::size_t kind : {ICON_SMALL, ICON_BIG}) {
        HICON previous = icons_[kind];
        icons_[kind] = LoadAppIcon(instance, iconMetric[kind], dpi);
        SendMessageW(hwnd_, WM_SETICON, kind, reinterpret_cast<LPARAM>(icons_[kind]));
        if (previous != nullptr)
            DestroyIcon(previous);
    }
    if (tooltip_ != nullptr)
        SendMessageW(tooltip_, WM_SETFONT, font, FALSE);
    for (std::size_t i = 0; i < kForm1Controls.size(); ++i) {
        const TControlSpec& spec = kForm1Controls[i];
        if (spec.kind != TControlKind::Pane)
            SendMessageW(controls_[i], WM_SETFONT, font, FALSE);
        SetWindowPos(controls_[i], nullptr, Scaled(spec.left), Scaled(spec.top), Scaled(spec.width),
                     Scaled(spec.height), SWP_NOZORDER | SWP_NOACTIVATE);
        if (spec.kind == TControlKind::Label || spec.kind == TControlKind::Readout)
            FitWidth(i);
    }
    InvalidateRect(hwnd_, nullptr, TRUE);
}

void TForm1::KeepFocus()
{
    if (HWND had = GetFocus(); had != nullptr && IsChild(hwnd_, had))
        focus_ = had;
}

void TForm1::ColoursChanged()
{
    look_.Refresh();
    if (tooltip_ != nullptr)
        SendMessageW(tooltip_, WM_SYSCOLORCHANGE, 0, 0);  // common controls hear of it from their parent only
    RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void TForm1::FitWidth(std::size_t index)
{
    const TControlSpec& spec = kForm1Controls[index];
    HWND label = controls_[index];
    std::wstring text(std::size_t(GetWindowTextLengthW(label)) + 1, L'\0');
    text.resize(std::size_t(GetWindowTextW(label, text.data(), int(text.size()))));
    HDC dc = GetDC(label);
    const HGDIOBJ previous = SelectObject(dc, look_.Font());
    SIZE extent{};
    GetTextExtentPoint32W(dc, text.c_str(), int(text.size()), &extent);
    SelectObject(dc, previous);
    ReleaseDC(label, dc);
    const int width = std::max(Scaled(spec.width), int(extent.cx));
    SetWindowPos(label, nullptr, 0, 0, width, Scaled(spec.height), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm1::SaatTimer()
{
    GdiFlush();  // GDI is done with the pane images before the engine draws on them
    const TFrameChanges changes =
        tick_.Run(*scene_, {EkranXY->Raster(), EkranXZ->Raster(), EkranYZ->Raster(), Ekran3B->Raster()});
    for (std::size_t i = 0; i < panes_.size(); ++i)
        if ((changes.panes & (1u << i)) != 0)
            panes_[i]->Repaint();
    for (std::size_t i = 0; i < readouts_.size(); ++i) {
        if ((changes.readouts & (1u << i)) == 0)
            continue;
        const std::string& text = tick_.Readout(int(i));
        HWND label = controls_[readouts_[i]];
        SetWindowTextW(label, Widen(text.c_str()).c_str());
        access_.Name(label, SpokenReadout(kForm1Controls[readouts_[i]].accessibleName, text));
        TAccessibility::NameChanged(label);
        FitWidth(readouts_[i]);
    }
}

LRESULT CALLBACK TForm1::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* form = static_cast<TForm1*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        form->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
    }
    auto* form = reinterpret_cast<TForm1*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (form == nullptr)
        return DefWindowProcW(hwnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        form->hwnd_ = nullptr;
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    return form->OnMessage(message, wParam, lParam);
}

LRESULT TForm1::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND:
        // An owner-drawn button reports a quick second click as a double click: a click all the same.
        if (const TTool tool = tools_.ToolOf(reinterpret_cast<HWND>(lParam));
            tool != TTool::None && (HIWORD(wParam) == BN_CLICKED || HIWORD(wParam) == BN_DOUBLECLICKED)) {
            input_.ClickTool(tool);
            Mirror();
            return 0;
        }
        // Return with no default button: the dialog manager's IDOK, a click on the focused tool.
        if (LOWORD(wParam) == IDOK && lParam == 0 && tools_.ToolOf(GetFocus()) != TTool::None) {
            input_.ClickTool(tools_.ToolOf(GetFocus()));
            Mirror();
            return 0;
        }
        break;
    case WM_DRAWITEM: {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (item->CtlType != ODT_BUTTON)
            break;
        tools_.Draw(*item, look_, dpi_);
        return TRUE;
    }
    case WM_CTLCOLORSTATIC: {
        HDC dc = reinterpret_cast<HDC>(wParam);
        SetTextColor(dc, look_.Text());
        SetBkColor(dc, look_.FaceColour());
        return reinterpret_cast<LRESULT>(look_.Face());
    }
    case WM_ERASEBKGND: {
        RECT client;
        GetClientRect(hwnd_, &client);
        FillRect(reinterpret_cast<HDC>(wParam), &client, look_.Face());
        return 1;
    }
    case WM_SYSCOLORCHANGE: ColoursChanged(); return 0;
    case WM_SETTINGCHANGE:
        // High contrast switched, or the regional settings (the decimal separator) changed.
        if (wParam == SPI_SETHIGHCONTRAST)
            ColoursChanged();
        if (lParam != 0 && std::wstring_view(reinterpret_cast<const wchar_t*>(lParam)) == L"intl")
            tick_.SetDecimalPoint(UserDecimalPoint());
        break;
    case WM_DPICHANGED: {
        const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
        ApplyDpi(HIWORD(wParam));
        SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                     suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
        return 0;
    }
    case WM_ACTIVATE:
        // The system gives the window the keyboard (not while minimised); WM_SETFOCUS passes it on.
        if (LOWORD(wParam) == WA_INACTIVE) {
            KeepFocus();
            CancelPointer();
        }
        break;
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_MINIMIZE)  // the low four bits are the system's own
            KeepFocus();
        break;
    case WM_SETFOCUS:
        // Keyboard focus goes back to the control that had it, the first tool at first, after any
        // activation, a restore from minimised included.
        SetFocus(focus_ != nullptr && IsChild(hwnd_, focus_) ? focus_ : BKamera);  // first in the keyboard order
        return 0;
    case WM_SIZE: {
        // Each time the window becomes maximised it is placed once more where it now stands: Wine with no
        // window manager keeps the X window at its old place while reporting the maximised one, so every
        // click would be taken for one 145 pixels to the right. On Windows this changes nothing.
        const bool maximised = wParam == SIZE_MAXIMIZED;
        if (maximised && !maximised_)
            PostMessageW(hwnd_, kPlaceAgain, 0, 0);
        maximised_ = maximised;
        break;
    }
    case kPlaceAgain:
        // Nothing to repaint: the frame and the client area stay as they are.
        SetWindowPos(hwnd_, nullptr, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED | SWP_NOREDRAW);
        return 0;
    case WM_SHOWWINDOW:
        if (wParam == FALSE)
            CancelPointer();
        break;
    case WM_CANCELMODE:
        // The system ends modes (a dialog, a switch to another program): a pane's drag ends with it.
        if (HWND held = GetCapture(); held != nullptr && (held == hwnd_ || IsChild(hwnd_, held)))
            ReleaseCapture();
        break;
    case WM_CAPTURECHANGED: Pointer(hwnd_, message, wParam, lParam); return 0;
    case WM_ENTERSIZEMOVE:
        if (Saat.Kind() != TTimerKind::Message)
            SetTimer(hwnd_, kSizeMoveTimer, UINT(kFrameMs), nullptr);
        return 0;
    case WM_EXITSIZEMOVE: KillTimer(hwnd_, kSizeMoveTimer); return 0;
    case WM_TIMER:
        if (wParam != kSizeMoveTimer && wParam != TSaat::kMessageTimerId)
            break;
        SaatTimer();
        return 0;
    case WM_DESTROY:
        for (HWND control : controls_)
            access_.Clear(control);
        PostQuitMessage(0);
        return 0;
    default:
        // A press on the face holds the pointer too, so no pane hears its buttons.
        if (IsPointerMessage(message)) {
            Pointer(hwnd_, message, wParam, lParam);
            return message == WM_XBUTTONDOWN || message == WM_XBUTTONUP ? TRUE : 0;
        }
        break;
    }
    return DefWindowProcW(hwnd_, message, wParam, lParam);
}
