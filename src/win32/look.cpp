#include "look.h"

#include "render/layout.h"

#include <cwchar>
#include <string_view>

namespace {

// The TrueType face of the layout's "MS Sans Serif", with its metrics and the Turkish letters, on every
// Windows; "MS Sans Serif" itself is a bitmap font of one code page only.
constexpr wchar_t kCaptionFace[] = L"Microsoft Sans Serif";
static_assert(std::string_view(kForm1.font) == "MS Sans Serif", "the face above is this one's TrueType twin");

COLORREF ColourRef(TColor c) { return COLORREF(c); }  // the same packing: red in the low byte

HFONT CaptionFont(int pixels, const wchar_t* face)
{
    // A negative height asks for the character height (the cell less its internal leading). TrueType
    // only: the bitmap faces have neither "ı" nor sizes between their few steps.
    return CreateFontW(-pixels, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_TT_ONLY_PRECIS,
                       CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, face);
}

// Whether the font mapper gave `font` the face asked for rather than a stand-in.
bool HasFace(HFONT font, const wchar_t* face)
{
    HDC screen = GetDC(nullptr);
    const HGDIOBJ previous = SelectObject(screen, font);
    wchar_t got[LF_FACESIZE] = {};
    GetTextFaceW(screen, LF_FACESIZE, got);
    SelectObject(screen, previous);
    ReleaseDC(nullptr, screen);
    return _wcsicmp(got, face) == 0;
}

}  // namespace

TLook::~TLook()
{
    DeleteObject(face_);
    DeleteObject(font_);
}

void TLook::Refresh()
{
    HIGHCONTRASTW contrast{};
    contrast.cbSize = sizeof contrast;
    highContrast_ = SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0) != FALSE &&
                    (contrast.dwFlags & HCF_HIGHCONTRASTON) != 0;
    faceColour_ = highContrast_ ? GetSysColor(COLOR_BTNFACE) : ColourRef(kForm1.face);
    text_ = highContrast_ ? GetSysColor(COLOR_BTNTEXT) : ColourRef(kForm1.fontColour);
    HBRUSH previous = face_;
    face_ = CreateSolidBrush(faceColour_);
    if (previous != nullptr)
        DeleteObject(previous);
}

void TLook::MakeFont(UINT dpi)
{
    const int pixels = MulDiv(kForm1.fontPixels, int(dpi), USER_DEFAULT_SCREEN_DPI);
    HFONT made = CaptionFont(pixels, kCaptionFace);
    if (!HasFace(made, kCaptionFace)) {
        // Not there (Wine has no such face): the system's own message face, which has the letters too.
        DeleteObject(made);
        NONCLIENTMETRICSW metrics{};
        metrics.cbSize = sizeof metrics;
        SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
        made = CaptionFont(pixels, metrics.lfMessageFont.lfFaceName);
    }
    if (font_ != nullptr)
        DeleteObject(font_);
    font_ = made;
}
