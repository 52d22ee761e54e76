#include "toolkit/outline_snap.h"

#include <QList>
#include <QRegularExpression>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <algorithm>
#include <cmath>

namespace pictures {

namespace {

const QString OutlineClass = QStringLiteral("outline");
// Positions that land on a pixel boundary up to rounding stay on that boundary.
constexpr double Tolerance = 1e-6;

QList<double> numbers(QStringView text) {
    static const QRegularExpression separators(QStringLiteral("[\\s,]+"));
    QList<double> values;
    for (const QString &part : text.toString().split(separators, Qt::SkipEmptyParts)) {
        values.append(part.toDouble());
    }
    return values;
}

bool marksOutline(const QXmlStreamAttributes &attributes) {
    return attributes.value(QStringLiteral("class")).split(QLatin1Char(' ')).contains(OutlineClass);
}

// The user-space size that the view box (or, lacking one, the width and height) of the root maps to
// the picture's full size.
QSizeF userSize(const QXmlStreamAttributes &root) {
    const QList<double> box = numbers(root.value(QStringLiteral("viewBox")));
    if (box.size() == 4) {
        return {box.at(2), box.at(3)};
    }
    return {root.value(QStringLiteral("width")).toDouble(), root.value(QStringLiteral("height")).toDouble()};
}

// One side of a rectangle, from `start` to `end` in user units, scaled by `scale` to device pixels:
// both ends moved to the centres of the pixels they fall in.
std::pair<double, double> snapSpan(double start, double end, double scale) {
    const double first = std::floor(start * scale + Tolerance);
    const double last = std::ceil(end * scale - Tolerance) - 1;
    if (last < first) {
        return {start, end};
    }
    return {(first + 0.5) / scale, (last + 0.5) / scale};
}

QXmlStreamAttributes snappedRectangle(const QXmlStreamAttributes &attributes, double scaleX, double scaleY) {
    const double x = attributes.value(QStringLiteral("x")).toDouble();
    const double y = attributes.value(QStringLiteral("y")).toDouble();
    const double width = attributes.value(QStringLiteral("width")).toDouble();
    const double height = attributes.value(QStringLiteral("height")).toDouble();
    const auto [left, right] = snapSpan(x, x + width, scaleX);
    const auto [top, bottom] = snapSpan(y, y + height, scaleY);
    // The thinner of the two directions' pixels, so the stroke never spills onto a neighbour.
    const double strokeWidth = 1 / std::max(scaleX, scaleY);
    const auto number = [](double value) { return QString::number(value, 'g', 10); };

    QXmlStreamAttributes snapped;
    for (const QXmlStreamAttribute &attribute : attributes) {
        const QStringView name = attribute.qualifiedName();
        if (name != u"x" && name != u"y" && name != u"width" && name != u"height" &&
            name != u"stroke-width") {
            snapped.append(attribute);
        }
    }
    snapped.append(QStringLiteral("x"), number(left));
    snapped.append(QStringLiteral("y"), number(top));
    snapped.append(QStringLiteral("width"), number(right - left));
    snapped.append(QStringLiteral("height"), number(bottom - top));
    snapped.append(QStringLiteral("stroke-width"), number(strokeWidth));
    return snapped;
}

} // namespace

QByteArray snapOutlines(const QByteArray &svg, QSize pixels) {
    if (pixels.isEmpty()) {
        return {};
    }
    QXmlStreamReader reader(svg);
    reader.setNamespaceProcessing(false);
    QByteArray result;
    QXmlStreamWriter writer(&result);
    double scaleX = 1;
    double scaleY = 1;
    QList<bool> inOutline; // per open element: whether it or an enclosing group marks outlines
    bool snappedAny = false;
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement()) {
            const QXmlStreamAttributes attributes = reader.attributes();
            if (inOutline.isEmpty()) {
                const QSizeF user = userSize(attributes);
                if (user.isEmpty()) {
                    return {};
                }
                scaleX = pixels.width() / user.width();
                scaleY = pixels.height() / user.height();
            }
            const bool outline = (!inOutline.isEmpty() && inOutline.last()) || marksOutline(attributes);
            inOutline.append(outline);
            if (outline && reader.qualifiedName() == u"rect") {
                writer.writeStartElement(reader.qualifiedName().toString());
                writer.writeAttributes(snappedRectangle(attributes, scaleX, scaleY));
                snappedAny = true;
                continue;
            }
        } else if (reader.isEndElement()) {
            inOutline.removeLast();
        }
        writer.writeCurrentToken(reader);
    }
    if (reader.hasError() || !snappedAny) {
        return {};
    }
    return result;
}

} // namespace pictures
