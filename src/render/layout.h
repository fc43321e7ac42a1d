#pragma once

// The main window's table of controls, shared by every shell: each control's name, kind, place,
// caption, tooltip and accessible name in creation order, the window's own size and title, the frame
// interval.

#include "scene/editing.h"
#include "scene/input.h"
#include "scene/types.h"

#include <array>

// The main window's layout, read by every shell: positions are client-area pixels at 100 % scale,
// texts are UTF-8.

enum class TControlKind { Pane, Label, Readout, Tool };

// The four view panes; the first three are the plan views of the same name.
enum class TPaneId { XY, XZ, YZ, View3B };

// One child control of the main window.
struct TControlSpec {
    const char* name;
    TControlKind kind;
    int left;
    int top;
    int width;  // labels and readouts grow to fit their text, never narrower
    int height;
    const char* caption = "";         // the text before the first frame; panes have none
    const char* tooltip = "";         // empty: none
    const char* accessibleName = "";  // empty: the caption
    const char* accessibleDescription = "";
    TPaneId pane = TPaneId::View3B;  // panes only
    TTool tool = TTool::None;        // tools only
    int readout = -1;                // readouts only: the index into ReadoutValues
};

// The main window itself.
struct TWindowSpec {
    const char* caption;
    const char* applicationTitle;  // where the system shows the application's name
    int left;                      // position and size when not maximised; it opens maximised
    int top;
    int width;
    int height;
    TColor face;       // window background
    const char* font;  // labels and tools
    int fontPixels;    // character height
    TColor fontColour;
};

inline constexpr TWindowSpec kForm1{"Tirvok 3",         "Tirvok3",       141, 139,           870, 640,
                                    RGB(192, 192, 192), "MS Sans Serif", 11,  RGB(0, 0, 255)};

// What screen readers call the group of tool buttons.
inline constexpr const char* kToolGroupSpoken = "Ara\u00e7lar";

// The frame timer Saat's interval.
inline constexpr int kFrameMs = 40;

inline constexpr int kPaneSize = 200;
inline constexpr int kControlCount = 28;

// Every child control, in creation order (which is also the keyboard order).
extern const std::array<TControlSpec, kControlCount> kForm1Controls;

// The control of that name; it must exist.
const TControlSpec& ControlNamed(const char* name);

// Places the pointer at client-area point (x, y), in pixels at 100 % scale: in every plan pane's pixels
// (floor, so left of or above a pane is negative) and over the plan pane that contains it, if any.
void PlacePointer(TPointerEvent& e, double x, double y);
