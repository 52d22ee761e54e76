#pragma once

#include <QSizeF>

// The scale at which a window of `window` logical pixels fills a viewport of `viewport` CSS pixels as
// far as it can while keeping its proportions: the smaller of the two ratios, so that the whole window
// shows without scrolling. 1 when either size is empty or not a number.
double fitScale(QSizeF viewport, QSizeF window);
