#pragma once
// Icons drawn in code, so tool bars look the same on every desktop and offscreen: the picture
// is painted at 1x and 2x (antialiased, transparent background) into one QIcon.
#include <QIcon>

#include <functional>

class QPainter;

namespace quillon::qtplatform {

// `draw` paints in logical pixels of a `size` x `size` square.
QIcon drawnIcon(int size, const std::function<void(QPainter&)>& draw);

}  // namespace quillon::qtplatform
