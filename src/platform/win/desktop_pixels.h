// The shell counts the desktop in device pixels, the pixels frames are drawn
// in. Qt counts scaled pixels: on a screen with a device pixel ratio r (a
// desktop scaled to 150 % has 1.5) a Qt pixel is r device pixels, measured
// from the screen's corner, which both count alike. These convert.
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

class QScreen;
class QWindow;

namespace tnx::win {

// The screen's rectangle in device pixels.
QRect deviceGeometry(const QScreen& screen);
// A desktop point from Qt's pixels to device pixels, and back.
QPoint toDevicePixels(const QPointF& qtPoint);
QPoint fromDevicePixels(const QPoint& devicePoint);
// A window's client area in device pixels (exact for our host windows,
// where Qt's own size times the ratio can be a pixel off).
QSize deviceSize(const QWindow& window);

}  // namespace tnx::win
