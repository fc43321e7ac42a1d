#pragma once

#include "imagepane.h"
#include "scene/input.h"
#include "win.h"

#include <array>

// The input model's event for a mouse button or move message that window `from` got, with the pointer
// in each plan pane's pixels (by TPlanView) and the plan pane under it.
TPointerEvent PointerEvent(HWND from, UINT message, WPARAM wParam, LPARAM lParam,
                           const std::array<const TImagePane*, 3>& planes);

// True for the messages PointerEvent reads.
bool IsPointerMessage(UINT message);
