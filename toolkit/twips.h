#pragma once

// The exercise measures everything in twips, 1/1440 inch, the way its window was designed:
// 15 twips are one logical pixel at 96 dpi. Qt then scales logical pixels by the screen's
// device pixel ratio, so the window keeps its size to the eye on any screen.

#include <QPointF>
#include <QRect>
#include <QSize>

#include <cmath>

namespace twips {

inline constexpr float PerPixel = 15.0f;
inline constexpr double PointsPerInch = 72.0;
inline constexpr double PixelsPerInch = 96.0;

// A rectangle in twips: Left, Top, Width, Height, as single-precision numbers.
struct Rect {
    float left = 0;
    float top = 0;
    float width = 0;
    float height = 0;

    friend bool operator==(const Rect &, const Rect &) = default;
};

inline int toPixels(float value) {
    return static_cast<int>(std::lround(value / PerPixel));
}

inline float fromPixels(qreal value) {
    return static_cast<float>(value * PerPixel);
}

inline QRect toPixels(const Rect &r) {
    return {toPixels(r.left), toPixels(r.top), toPixels(r.width), toPixels(r.height)};
}

inline Rect fromPixels(const QRect &r) {
    return {fromPixels(r.x()), fromPixels(r.y()), fromPixels(r.width()), fromPixels(r.height())};
}

inline QPointF fromPixels(const QPointF &p) {
    return {fromPixels(p.x()), fromPixels(p.y())};
}

inline QSize toPixels(float width, float height) {
    return {toPixels(width), toPixels(height)};
}

// Font sizes are given in points; the window is laid out at 96 dpi, so fonts are sized in
// pixels at that resolution to keep their proportions to the pictures on any screen.
inline int pointsToPixels(double points) {
    return static_cast<int>(std::lround(points * PixelsPerInch / PointsPerInch));
}

} // namespace twips
