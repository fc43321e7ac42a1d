#include "layout.h"

#include "canvas.h"

#include <algorithm>
#include <string_view>

namespace {

constexpr TControlSpec Pane(const char* name, int left, int top, TPaneId pane, const char* spoken,
                            const char* description)
{
    TControlSpec c{name, TControlKind::Pane, left, top, kPaneSize, kPaneSize};
    c.accessibleName = spoken;
    c.accessibleDescription = description;
    c.pane = pane;
    return c;
}

constexpr TControlSpec Label(const char* name, int left, int top, int width)
{
    TControlSpec c{name, TControlKind::Label, left, top, width, 13};
    c.caption = name + 1;  // "LEkranXY" shows "EkranXY"
    return c;
}

constexpr TControlSpec Tool(const char* name, int top, const char* caption, TTool tool)
{
    TControlSpec c{name, TControlKind::Tool, 424, top, 137, 22};
    c.caption = caption;
    c.tool = tool;
    return c;
}

// Label1..Label8 stand in the left column, Label9..Label16 in the right one; before the first frame
// the right column shows "Label1".."Label8" too. A screen reader names each by what it measures.
constexpr TControlSpec Readout(int index, const char* name, int top, const char* spoken)
{
    constexpr const char* kCaptions[] = {"Label1", "Label2", "Label3", "Label4",
                                         "Label5", "Label6", "Label7", "Label8"};
    TControlSpec c{name, TControlKind::Readout, index < 8 ? 432 : 568, top, 32, 13};
    c.caption = kCaptions[index % 8];
    c.accessibleName = spoken;
    c.readout = index;
    return c;
}

}  // namespace

// clang-format off
const std::array<TControlSpec, kControlCount> kForm1Controls{{
    Pane("EkranXY", 220, 18, TPaneId::XY, "XY görünümü, üstten",
         "Üstten bakış: sağa X, yukarı Y; kamera, odak ve prizmalar"),
    Pane("EkranYZ", 220, 238, TPaneId::YZ, "YZ görünümü, yandan", "Yandan bakış: sağa Y, yukarı Z; kamera ve odak"),
    Pane("EkranXZ", 2, 238, TPaneId::XZ, "XZ görünümü, önden", "Önden bakış: sağa X, yukarı Z; kamera ve odak"),
    Pane("Ekran3B", 2, 18, TPaneId::View3B, "3B görünüm",
         "Kameranın gördüğü sahne, tel kafes: sağa azimut, yukarı yükseliş, 90 derece"),
    Label("LEkran3B", 8, 0, 41),
    Label("LEkranXY", 224, 0, 42),
    Label("LEkranXZ", 8, 224, 42),
    Label("LEkranYZ", 224, 224, 42),
    Tool("BPrizma", 64, "Prizma Ekle", TTool::Prizma),
    [] { TControlSpec c = Tool("BKamera", 16, "Kamera", TTool::Kamera); c.tooltip = "Kamera ekle"; return c; }(),
    Tool("BOdak", 40, "Odak Noktası", TTool::Odak),
    Readout(0, "Label1", 152, "Kamera x"),    Readout(1, "Label2", 176, "Kamera y"),
    Readout(2, "Label3", 200, "Kamera z"),    Readout(3, "Label4", 248, "Odak x"),
    Readout(4, "Label5", 272, "Odak y"),      Readout(5, "Label6", 296, "Odak z"),
    Readout(6, "Label7", 344, "Bakış azimutu"), Readout(7, "Label8", 368, "Bakış yükselişi"),
    Readout(8, "Label9", 152, "Orijin sx"),   Readout(9, "Label10", 184, "Orijin sy"),
    Readout(10, "Label11", 216, "X ucu sx"),  Readout(11, "Label12", 248, "X ucu sy"),
    Readout(12, "Label13", 280, "Y ucu sx"),  Readout(13, "Label14", 312, "Y ucu sy"),
    Readout(14, "Label15", 344, "Z ucu sx"),  Readout(15, "Label16", 376, "Z ucu sy"),
    Tool("BSonPrizma", 88, "Son Prizmayı Düzenle", TTool::SonPrizma),
}};
// clang-format on

const TControlSpec& ControlNamed(const char* name)
{
    return *std::find_if(kForm1Controls.begin(), kForm1Controls.end(),
                         [&](const TControlSpec& c) { return std::string_view(c.name) == name; });
}

void PlacePointer(TPointerEvent& e, double x, double y)
{
    const int px = PanePixel(x);
    const int py = PanePixel(y);
    e.over.reset();
    for (const TControlSpec& c : kForm1Controls) {
        if (c.kind != TControlKind::Pane || c.pane == TPaneId::View3B)
            continue;
        TPointerAt& at = e.at[std::size_t(c.pane)];
        at = {px - c.left, py - c.top};
        if (at.x >= 0 && at.x < c.width && at.y >= 0 && at.y < c.height)
            e.over = TPlanView(int(c.pane));
    }
}
