#pragma once

// windows.h as the shell includes it: no min/max macros, no rarely used parts, and no RGB macro,
// because scene/types.h names its colour packer RGB (with the same packing as a COLORREF).
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#undef RGB
