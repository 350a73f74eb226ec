// The window's designed layout in twips (15 to a pixel at 96 dots per inch), turned into
// pixels for a screen's dpi and shrunk by one factor where the window would not fit.
#pragma once

#include <QRect>
#include <QSize>

namespace vantrel {

struct TwipRect {
    int left, top, width, height;
};

inline constexpr TwipRect Command1Rect{8760, 720, 1215, 615};
inline constexpr TwipRect List1Rect{240, 1920, 5175, 10590};
inline constexpr TwipRect Text1Rect{240, 720, 8295, 615};
inline constexpr TwipRect WebBrowser1Rect{5760, 1920, 10935, 10815};
inline constexpr TwipRect Command2Rect{10200, 720, 1215, 615};
inline constexpr TwipRect Command3Rect{14640, 720, 1215, 615};
inline constexpr int ClientWidthTwips = 16995;
inline constexpr int ClientHeightTwips = 13365;

// Pixels for `twips` at `dpi`, times `factor`, rounded to the nearest pixel.
int TwipsToPixels(int twips, int dpi, double factor = 1.0);
QRect TwipsToPixels(TwipRect rect, int dpiX, int dpiY, double factor = 1.0);

// The one factor (at most 1) by which the designed client area, with the window frame
// around it, fits into the screen's available area.
double FitFactor(QSize client, QSize frame, QSize available);

}  // namespace vantrel
