#pragma once
// The view's scale: picture pixels are shown `zoom` screen pixels wide, from 1/16 to 16. A view
// setting for the run only; nothing of it is stored.

namespace project {

inline constexpr double kMinZoom = 1.0 / 16;
inline constexpr double kMaxZoom = 16.0;

// The next step above / below `zoom` (1/16, 1/12, 1/8, 1/6, 1/4, 1/3, 1/2, 2/3, 1, 3/2, 2, 3,
// 4, 6, 8, 12, 16); a zoom between steps goes to the neighbouring step. Stays at the ends.
double zoomIn(double zoom);
double zoomOut(double zoom);

// The largest zoom that shows a `pictureWidth` x `pictureHeight` picture whole in an area of
// `areaWidth` x `areaHeight` screen pixels, within 1/16..16; 1 for an empty picture or area.
double fitZoom(int pictureWidth, int pictureHeight, int areaWidth, int areaHeight);

// Screen pixels that `length` picture pixels take at `zoom` (rounded up).
int scaledLength(int length, double zoom);

} // namespace project
