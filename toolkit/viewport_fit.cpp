#include "toolkit/viewport_fit.h"

#include <algorithm>
#include <cmath>

double fitScale(QSizeF viewport, QSizeF window) {
    const double sides[] = {viewport.width(), viewport.height(), window.width(), window.height()};
    if (!std::all_of(std::begin(sides), std::end(sides),
                     [](double side) { return std::isfinite(side) && side > 0; })) {
        return 1;
    }
    return std::min(viewport.width() / window.width(), viewport.height() / window.height());
}
