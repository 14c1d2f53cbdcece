#pragma once
// The viewer window's button pictures, drawn here so they look the same on every desktop.
#include <QIcon>

namespace quillon::compose {

enum class ViewerIcon { First, Prev, Next, Last, ZoomIn, ZoomOut, PrinterSetup, Print, PrintPage };

QIcon viewerIcon(ViewerIcon kind);

}  // namespace quillon::compose
