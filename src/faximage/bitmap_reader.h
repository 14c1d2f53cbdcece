#pragma once
#include <memory>

#include "faximage/image_reader.h"
#include "faximage/mono_bitmap.h"

namespace quillon::faximage {

// Readers over bitmaps in memory (the bitmap must outlive the reader); open() ignores its
// argument and refuses an empty or inconsistent bitmap with -1002.
std::unique_ptr<ImageReader> makeBitmapReader(const MonoBitmap& bitmap);
std::unique_ptr<ImageReader> makeBitmapReader(const ColourBitmap& bitmap);

}  // namespace quillon::faximage
