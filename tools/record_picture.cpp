// Records, at build time, a picture's SVG document in the form the program draws it (toolkit/recording.h),
// so that the program needs no SVG renderer of its own:
//   record_picture INPUT.svg OUTPUT
// The rectangles marked class="outline" are taken out of the document and kept as rectangles, with the
// fill, stroke and dashes they have there (their own or their group's); the rest of the document is drawn
// by Qt SVG into a QPicture in user units. The outlines are drawn first when the picture is played, so
// every one of them must come before anything else the document draws: a picture that breaks this fails
// the build rather than changing its stacking order.

#include "toolkit/recording.h"

#include <QFile>
#include <QGuiApplication>
#include <QPainter>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSvgRenderer>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <cstdio>

namespace {

using pictures::Outline;

QList<qreal> numbers(QStringView text) {
    static const QRegularExpression separators(QStringLiteral("[\\s,]+"));
    QList<qreal> values;
    for (const QString &part : text.toString().split(separators, Qt::SkipEmptyParts)) {
        values.append(part.toDouble());
    }
    return values;
}

// What an element inherits and may set for the outlines it draws.
struct Presentation {
    QColor fill = Qt::black;
    QColor stroke = Qt::transparent;
    qreal strokeWidth = 1;
    QList<qreal> dashes;
    qreal dashOffset = 0;
    bool outline = false;
};

QColor paint(QStringView value) {
    return value == u"none" ? QColor(Qt::transparent) : QColor(value.toString());
}

Presentation inherit(Presentation p, const QXmlStreamAttributes &a) {
    if (a.hasAttribute(QStringLiteral("fill"))) {
        p.fill = paint(a.value(QStringLiteral("fill")));
    }
    if (a.hasAttribute(QStringLiteral("stroke"))) {
        p.stroke = paint(a.value(QStringLiteral("stroke")));
    }
    if (a.hasAttribute(QStringLiteral("stroke-width"))) {
        p.strokeWidth = a.value(QStringLiteral("stroke-width")).toDouble();
    }
    if (a.hasAttribute(QStringLiteral("stroke-dasharray"))) {
        const QStringView dashes = a.value(QStringLiteral("stroke-dasharray"));
        p.dashes = dashes == u"none" ? QList<qreal>() : numbers(dashes);
    }
    if (a.hasAttribute(QStringLiteral("stroke-dashoffset"))) {
        p.dashOffset = a.value(QStringLiteral("stroke-dashoffset")).toDouble();
    }
    p.outline = p.outline ||
                a.value(QStringLiteral("class")).split(QLatin1Char(' ')).contains(QStringLiteral("outline"));
    return p;
}

Outline outlineOf(const QXmlStreamAttributes &a, const Presentation &p) {
    const auto number = [&a](const char *name) { return a.value(QLatin1String(name)).toDouble(); };
    Outline o;
    o.rect = QRectF(number("x"), number("y"), number("width"), number("height"));
    // A missing radius takes the other one, as in SVG.
    o.rx = a.hasAttribute(QStringLiteral("rx")) ? number("rx") : number("ry");
    o.ry = a.hasAttribute(QStringLiteral("ry")) ? number("ry") : o.rx;
    o.fill = p.fill;
    o.stroke = p.stroke;
    o.strokeWidth = p.strokeWidth;
    o.dashes = p.dashes;
    o.dashOffset = p.dashOffset;
    return o;
}

bool draws(QStringView element) {
    static const QStringList shapes{"rect",   "path",    "polygon", "polyline", "line",
                                    "circle", "ellipse", "text",    "image",    "use"};
    return shapes.contains(element.toString());
}

struct Split {
    QList<Outline> outlines;
    QByteArray rest; // the document without them
    QString error;
};

Split split(const QByteArray &svg) {
    Split result;
    QXmlStreamReader reader(svg);
    reader.setNamespaceProcessing(false);
    QXmlStreamWriter writer(&result.rest);
    QList<Presentation> open{Presentation()};
    bool drawnOther = false;
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement()) {
            const Presentation here = inherit(open.last(), reader.attributes());
            if (here.outline && reader.qualifiedName() == u"rect") {
                if (drawnOther) {
                    result.error = QStringLiteral("an outline at line %1 comes after other drawing")
                                       .arg(reader.lineNumber());
                    return result;
                }
                result.outlines.append(outlineOf(reader.attributes(), here));
                reader.skipCurrentElement();
                continue;
            }
            drawnOther = drawnOther || draws(reader.qualifiedName());
            open.append(here);
        } else if (reader.isEndElement()) {
            open.removeLast();
        }
        writer.writeCurrentToken(reader);
    }
    if (reader.hasError()) {
        result.error = reader.errorString();
    }
    return result;
}

int fail(const QString &message) {
    std::fprintf(stderr, "record_picture: %s\n", qPrintable(message));
    return 1;
}

} // namespace

int main(int argc, char *argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen"); // a build needs no screen
    QGuiApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 3) {
        return fail(QStringLiteral("usage: record_picture INPUT.svg OUTPUT"));
    }
    QFile input(args.at(1));
    if (!input.open(QIODevice::ReadOnly)) {
        return fail(args.at(1) + QStringLiteral(": ") + input.errorString());
    }
    const QByteArray svg = input.readAll();
    const QSvgRenderer whole(svg);
    if (!whole.isValid()) {
        return fail(args.at(1) + QStringLiteral(": not a picture Qt SVG can draw"));
    }
    const Split parts = split(svg);
    if (!parts.error.isEmpty()) {
        return fail(args.at(1) + QStringLiteral(": ") + parts.error);
    }

    pictures::Recording recording;
    recording.naturalSize = whole.defaultSize();
    recording.userSize = whole.viewBoxF().size();
    recording.outlines = parts.outlines;
    {
        QSvgRenderer rest(parts.rest);
        QPainter painter(&recording.rest);
        rest.render(&painter, QRectF(QPointF(0, 0), recording.userSize));
    }

    QSaveFile output(args.at(2));
    if (!output.open(QIODevice::WriteOnly) || output.write(pictures::toBytes(recording)) < 0 ||
        !output.commit()) {
        return fail(args.at(2) + QStringLiteral(": ") + output.errorString());
    }
    return 0;
}
