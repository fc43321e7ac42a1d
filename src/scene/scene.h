#pragma once

// The scene: everything the editor edits and shows, in one plain struct (TScene) with its start values —
// camera and focus point, the three plan views' origins, the fixed table of prism slots, the 3D view's
// axis markers — and the few helpers that add prisms and pick a plan view's origin.

#include "types.h"

#include <array>
#include <cstdint>

inline constexpr int kPrismSlots = 2048;
inline constexpr int kInitialOrigin = 100;

// The three orthographic plan views.
enum class TPlanView { XY, XZ, YZ };

// The whole editable state; one exists per main window.
struct TScene {
    std::array<TPrism, kPrismSlots> PrismTable{};  // slot k (1-based) is PrismTable[k - 1]
    TVec3 Camera;
    TVec3 Focus;
    TAngles ViewAngles;
    std::uint16_t PrismCount = 0;
    TColor BackColor = kBlack;
    TColor SightColor = kBlack;
    std::array<TVertex, 4> AxisMarkers{};  // origin, X end, Y end, Z end
    TViewOrigin ViewOriginXY;
    TViewOrigin ViewOriginYZ;
    TViewOrigin ViewOriginXZ;
    bool LeftDragXY = false;
    bool RightDragXY = false;
    bool LeftDragXZ = false;
    bool RightDragXZ = false;
    bool LeftDragYZ = false;
    bool RightDragYZ = false;

    // Prism slot k, numbered 1..kPrismSlots.
    TPrism& Prism(int k) { return PrismTable[static_cast<std::size_t>(k - 1)]; }
    const TPrism& Prism(int k) const { return PrismTable[static_cast<std::size_t>(k - 1)]; }
};

// Sets the start values: origins 100, white background, red sight line, no prisms, axis markers.
void InitScene(TScene& scene);

// Appends a zero prism and returns it, or nullptr when all slots are taken.
TPrism* AppendPrism(TScene& scene);

// The last prism added, or nullptr when there is none.
TPrism* LastPrism(TScene& scene);

// Pane pixel of the world origin in a plan view.
TViewOrigin& OriginOf(TScene& scene, TPlanView view);
const TViewOrigin& OriginOf(const TScene& scene, TPlanView view);

// The view's left- and right-button drag flags.
bool& LeftDragOf(TScene& scene, TPlanView view);
bool& RightDragOf(TScene& scene, TPlanView view);
