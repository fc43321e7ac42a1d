#pragma once

// The mouse rules of the plan views, shell-free: the 10-unit grid snap (halves go up), edge scrolling
// while a button is held, and what a press, a move and a release do with the tool that is down
// (camera, focus point, new prism, last prism).

#include "scene.h"

inline constexpr int kGrid = 10;
// Pixels from a pane's edge inside which a held button scrolls the view.
inline constexpr int kEdgeMargin = 20;
// Edge scrolling stops this far out, so origin arithmetic never overflows.
inline constexpr int kOriginLimit = 1'000'000'000;

// The mouse buttons a plan view tells apart; modifier keys play no part.
enum class TMouseButton { Left, Right, Middle, Other };

// The tool button that is down, if any (at most one is).
enum class TTool { None, Kamera, Odak, Prizma, SonPrizma };

// World coordinates along a plan view's horizontal and vertical axes.
struct TGridPoint {
    double h = 0;
    double v = 0;
};

// World point under pane pixel (X, Y), snapped to the nearest grid line; halves go up.
TGridPoint SnapToGrid(const TScene& scene, TPlanView view, int x, int y);

// Nudges the view's origin one pixel per axis when (X, Y) lies within the edge margins of a W x H pane.
void EdgeScroll(TScene& scene, TPlanView view, int x, int y, int width, int height);

// Adds a prism with all eight corners at the snapped point; false when the table is full.
bool AddPrismAt(TScene& scene, TPlanView view, TGridPoint at);

// Moves the last prism's far corner to (x, y) and spans the rectangle in the XY plane.
void StretchLastPrism(TScene& scene, double x, double y);

// A button pressed at pane pixel (X, Y) in a plan view, with `tool` down.
void PlanMouseDown(TScene& scene, TPlanView view, TMouseButton button, int x, int y, TTool tool);

// The pointer moved to pane pixel (X, Y) of a W x H plan view, with `tool` down.
void PlanMouseMove(TScene& scene, TPlanView view, int x, int y, int width, int height, TTool tool);

// A button released in a plan view; returns the tool that is down afterwards.
TTool PlanMouseUp(TScene& scene, TPlanView view, TMouseButton button, TTool tool);
