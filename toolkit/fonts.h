#pragma once

#include <QFont>

namespace fonts {

// Maps the window's design fonts ("MS Sans Serif", Arial) to metric-compatible fonts where
// they are missing; in the browser, first adds the fonts the program carries. Call once, after the
// application object exists.
void installSubstitutes();

// The design's bold Greek font at a size given in points.
QFont designFont(double points);

} // namespace fonts
