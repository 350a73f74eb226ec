#include "app/DesignedGeometry.h"

#include <algorithm>
#include <cmath>

namespace vantrel {

int TwipsToPixels(int twips, int dpi, double factor) {
    return static_cast<int>(std::lround(static_cast<double>(twips) * dpi / 1440.0 * factor));
}

QRect TwipsToPixels(TwipRect rect, int dpiX, int dpiY, double factor) {
    return {TwipsToPixels(rect.left, dpiX, factor), TwipsToPixels(rect.top, dpiY, factor),
            TwipsToPixels(rect.width, dpiX, factor), TwipsToPixels(rect.height, dpiY, factor)};
}

double FitFactor(QSize client, QSize frame, QSize available) {
    if (client.isEmpty() || available.isEmpty()) return 1.0;
    const double roomX = available.width() - frame.width();
    const double roomY = available.height() - frame.height();
    const double factor = std::min({1.0, roomX / client.width(), roomY / client.height()});
    return std::max(factor, 0.25);  // a window too small to use helps nobody
}

}  // namespace vantrel
