#pragma once

// Marks the upper halves of the vector registers unused (vzeroupper where the processor has AVX).
// Qt's raster code can leave them in use, and until they are cleared the scalar double arithmetic
// after it (libm's atan2 and hypot, floor) runs at about half speed; no value changes.
void ClearUpperVectorState();
