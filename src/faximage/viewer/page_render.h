#pragma once
// A 1-bit page scaled for the screen. Shrinking averages the pixels each screen pixel covers
// (then darkens the grey a little), so thin strokes stay visible at 25 % instead of breaking
// up as a nearest-pixel copy does; enlarging repeats pixels, which keeps edges sharp.
#include <QImage>

#include "faximage/mono_bitmap.h"

namespace quillon::faximage {

// An 8-bit indexed image of width x height: index 0 = all black, 255 = all white. The colour
// table runs from `foreground` to `background`.
QImage renderPage(const MonoBitmap& page, int width, int height, QRgb foreground, QRgb background);
void setPageColours(QImage& image, QRgb foreground, QRgb background);

// The bitmap as a 1-bit image in the same colours (for the clipboard and printing).
QImage monoImage(const MonoBitmap& bitmap, QRgb foreground = qRgb(0, 0, 0), QRgb background = qRgb(255, 255, 255));

}  // namespace quillon::faximage
