#pragma once
// Quarter turns of a monochrome bitmap (1 = white). The padding bits of the new rows are set,
// so they read as white like the rest of the margin.
#include "faximage/mono_bitmap.h"

namespace quillon::faximage {

// Turns `src` clockwise by `quarters` (taken mod 4) quarter turns: 1 makes the top row the
// right-hand column, 2 turns the page upside down, 3 makes the top row the left-hand column.
// -8 when the working memory cannot be had.
int rotateBitmap(const MonoBitmap& src, int quarters, MonoBitmap& dst);

}  // namespace quillon::faximage
