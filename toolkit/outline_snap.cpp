#include "toolkit/outline_snap.h"

#include <QPainter>
#include <QPen>

#include <algorithm>
#include <cmath>

namespace pictures {

namespace {

// Positions that land on a pixel boundary up to rounding stay on that boundary.
constexpr double Tolerance = 1e-6;

// One side of a rectangle, from `start` to `end` in user units, scaled by `scale` to device pixels:
// both ends moved to the centres of the pixels they fall in.
std::pair<double, double> snapSpan(double start, double end, double scale) {
    const double first = std::floor(start * scale + Tolerance);
    const double last = std::ceil(end * scale - Tolerance) - 1;
    if (last < first) {
        return {start * scale, end * scale};
    }
    return {first + 0.5, last + 0.5};
}

} // namespace

QRectF snappedRect(const QRectF &user, qreal scaleX, qreal scaleY) {
    const auto [left, right] = snapSpan(user.left(), user.right(), scaleX);
    const auto [top, bottom] = snapSpan(user.top(), user.bottom(), scaleY);
    return {QPointF(left, top), QPointF(right, bottom)};
}

void paintOutline(QPainter &painter, const Outline &outline, qreal scaleX, qreal scaleY, bool snap) {
    const QRectF rect = snap ? snappedRect(outline.rect, scaleX, scaleY)
                             : QRectF(outline.rect.left() * scaleX, outline.rect.top() * scaleY,
                                      outline.rect.width() * scaleX, outline.rect.height() * scaleY);
    // As an SVG renderer strokes: butt ends, mitred joins, the dashes counted in pen widths; the
    // corners' radii at most half the sides.
    const qreal userWidth = snap ? 1 / std::max(scaleX, scaleY) : outline.strokeWidth;
    QPen pen(Qt::NoPen);
    if (outline.stroke.alpha() > 0 && userWidth > 0) {
        pen = QPen(outline.stroke, userWidth * std::max(scaleX, scaleY), Qt::SolidLine, Qt::FlatCap,
                   Qt::MiterJoin);
        pen.setMiterLimit(4);
        if (!outline.dashes.isEmpty()) {
            QList<qreal> pattern;
            for (const qreal dash : outline.dashes) {
                pattern.append(dash / userWidth);
            }
            if (pattern.size() % 2 == 1) {
                pattern += pattern; // an odd list repeats to make it even
            }
            pen.setDashPattern(pattern);
            pen.setDashOffset(outline.dashOffset / userWidth);
        }
    }
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(pen);
    painter.setBrush(outline.fill.alpha() > 0 ? QBrush(outline.fill) : QBrush(Qt::NoBrush));
    const qreal rx = std::min(outline.rx * scaleX, rect.width() / 2);
    const qreal ry = std::min(outline.ry * scaleY, rect.height() / 2);
    if (rx > 0 && ry > 0) {
        painter.drawRoundedRect(rect, rx, ry, Qt::AbsoluteSize);
    } else {
        painter.drawRect(rect);
    }
    painter.restore();
}

} // namespace pictures
