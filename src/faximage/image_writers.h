#pragma once
// Writers of the image files the unpacker produces. Each takes rows with 1 = black and
// deletes its file again when writing fails. An image without rows or width (a page that
// produced no lines) is refused with -8005 before any file is made.
#include <string>
#include <vector>

#include "faximage/mono_bitmap.h"

namespace quillon::faximage {

// One plane, 1 bit per pixel, run-length coded, bits stored 1 = white.
int writePcx(const std::string& path, const MonoBitmap& image);
// A 4100-byte page table (written first as a placeholder, completed at the end) and the pages
// as PCX images.
int writeDcx(const std::string& path, const std::vector<const MonoBitmap*>& pages);
// 1 bit per pixel with a black-then-white palette, rows bottom-up; -8054 from 32768 rows.
int writeBmp(const std::string& path, const MonoBitmap& image);

inline constexpr int kMaxBmpHeight = 32767;

}  // namespace quillon::faximage
