// Draws the exercise's printable worksheet, an A4 PDF:  worksheet OUTPUT.pdf
// Its compounds, reaction pictures, panel and coefficient boxes are the window's own design, drawn
// from the same SVG resources; the pupil writes the compounds and coefficients in by hand.

#include "exercise/form1_layout.h"
#include "exercise/help_text.h"
#include "site.h"
#include "toolkit/fonts.h"
#include "toolkit/picture.h"
#include "toolkit/picture_cache.h"
#include "toolkit/shape.h"
#include "toolkit/twips.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <cstdio>

namespace {

// The page is drawn in twips, as the window was designed: 1440 to the inch.
constexpr int TwipsPerInch = 1440;
constexpr double MarginMillimetres = 15;

const QString Subtitle = QStringLiteral("Φύλλο εργασίας");
const QStringList PupilFields{QStringLiteral("Όνομα:"), QStringLiteral("Τάξη:"),
                              QStringLiteral("Ημερομηνία:")};
// The share of the line each field's blank takes.
const std::array<double, 3> FieldShares{0.5, 0.2, 0.3};
const QString CompoundsCaption = QStringLiteral("Οι ενώσεις:");

constexpr double TitlePoints = 18;
constexpr double TextPoints = 10.5;
constexpr double FieldPoints = 11;
constexpr qreal GapTwips = 240;
constexpr qreal FieldLineGapTwips = 120;
constexpr qreal TileGapTwips = 240;
constexpr qreal BoxPenTwips = 15;

QFont textFont(double points, bool bold = false) {
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

// A control's font, whose size the design gives in pixels, at the same size on paper.
QFont onPaper(QFont font) {
    font.setPointSizeF(font.pixelSize() * twips::PointsPerInch / twips::PixelsPerInch);
    return font;
}

QRectF offsetBy(const twips::Rect &r, QPointF offset) {
    return {r.left + offset.x(), r.top + offset.y(), r.width, r.height};
}

void drawPicture(QPainter &painter, const QString &resource, const QRectF &target) {
    pictures::draw(painter, resource, target);
}

// Draws text wrapped to the width from the top of `area`; returns the height it took.
qreal drawParagraph(QPainter &painter, const QRectF &area, const QString &text) {
    constexpr int Flags = Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop;
    const QRectF taken = painter.boundingRect(QRectF(area.topLeft(), QSizeF(area.width(), 0)), Flags, text);
    painter.drawText(QRectF(area.topLeft(), QSizeF(area.width(), taken.height())), Flags, text);
    return taken.height();
}

class Sheet {
public:
    Sheet(QPainter &painter, const form1::Controls &ui, qreal width)
        : painter_(painter), ui_(ui), width_(width) {}

    void draw() {
        heading();
        pupilFields();
        instructions();
        compounds();
        reactions();
    }

private:
    void heading() {
        painter_.setFont(textFont(TitlePoints, true));
        const qreal height = painter_.fontMetrics().height();
        painter_.drawText(QRectF(0, y_, width_, height), Qt::AlignLeft | Qt::AlignVCenter, site::ProgramName);
        painter_.setFont(textFont(TitlePoints));
        painter_.drawText(QRectF(0, y_, width_, height), Qt::AlignRight | Qt::AlignVCenter, Subtitle);
        y_ += height;
        painter_.setPen(QPen(Qt::black, BoxPenTwips * 2));
        painter_.drawLine(QPointF(0, y_), QPointF(width_, y_));
        y_ += GapTwips;
    }

    // Each field's caption followed by a line to write on, all on one line.
    void pupilFields() {
        painter_.setFont(textFont(FieldPoints, true));
        painter_.setPen(QPen(Qt::black, BoxPenTwips));
        const QFontMetricsF metrics(painter_.font());
        const qreal height = metrics.height() * 2;
        qreal x = 0;
        for (qsizetype i = 0; i < PupilFields.size(); ++i) {
            const qreal fieldWidth = width_ * FieldShares.at(static_cast<std::size_t>(i));
            const QString &caption = PupilFields.at(i);
            const qreal captionWidth = metrics.horizontalAdvance(caption);
            painter_.drawText(QRectF(x, y_, captionWidth, height), Qt::AlignLeft | Qt::AlignBottom, caption);
            const qreal lineY = y_ + height - metrics.descent();
            painter_.drawLine(QPointF(x + captionWidth + FieldLineGapTwips / 2, lineY),
                              QPointF(x + fieldWidth - FieldLineGapTwips, lineY));
            x += fieldWidth;
        }
        y_ += height + GapTwips;
    }

    void instructions() {
        painter_.setFont(textFont(FieldPoints, true));
        y_ += drawParagraph(painter_, QRectF(0, y_, width_, 0), help_text::HelpTitle);
        painter_.setFont(textFont(TextPoints));
        const QStringList paragraphs = help_text::HelpText.split(QStringLiteral("\r\n"));
        for (const QString &paragraph : paragraphs) {
            y_ += drawParagraph(painter_, QRectF(0, y_, width_, 0), paragraph) + GapTwips / 4;
        }
        y_ += GapTwips;
    }

    // The five compounds of the tray, one of each kind, in a row.
    void compounds() {
        painter_.setFont(textFont(FieldPoints, true));
        const twips::Rect tile = ui_.ImgMolecular[0]->twipGeometry();
        const qreal captionWidth = QFontMetricsF(painter_.font()).horizontalAdvance(CompoundsCaption);
        painter_.drawText(QRectF(0, y_, captionWidth, tile.height), Qt::AlignLeft | Qt::AlignVCenter,
                          CompoundsCaption);
        qreal x = captionWidth + TileGapTwips;
        for (int n = 0; n < form1::KindCount; ++n) {
            drawPicture(painter_, ui_.ImgMolecular.at(static_cast<std::size_t>(n))->resource(),
                        QRectF(x, y_, tile.width, tile.height));
            x += tile.width + TileGapTwips;
        }
        y_ += tile.height + GapTwips;
    }

    // The panel with the reaction pictures and their empty coefficient boxes, and the note below it,
    // laid out as in the window.
    void reactions() {
        const twips::Rect panel = twipGeometry(ui_.Container);
        const QPointF offset((width_ - twipGeometry(ui_.client).width) / 2, y_ - panel.top);
        painter_.save();
        painter_.translate(offset + QPointF(panel.left, panel.top));
        painter_.scale(twips::PerPixel, twips::PerPixel);
        ui_.Container->render(&painter_, QPoint(), QRegion(), QWidget::RenderFlags());
        painter_.restore();

        for (const Picture *reaction : ui_.ImgSyntactic) {
            drawPicture(painter_, reaction->resource(), offsetBy(reaction->twipGeometry(), offset));
        }
        painter_.setPen(QPen(Qt::black, BoxPenTwips));
        painter_.setBrush(Qt::white);
        for (const QLineEdit *box : ui_.tCoefficient) {
            if (box->isVisibleTo(ui_.client)) {
                painter_.drawRect(offsetBy(twipGeometry(box), offset));
            }
        }
        painter_.setFont(onPaper(ui_.Label2->font()));
        drawParagraph(painter_, offsetBy(twipGeometry(ui_.Label2), offset), ui_.Label2->text());
    }

    QPainter &painter_;
    const form1::Controls &ui_;
    qreal width_;
    qreal y_ = 0;
};

} // namespace

int main(int argc, char *argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen"); // a build needs no screen
    QApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: worksheet OUTPUT.pdf\n");
        return 2;
    }
    fonts::installSubstitutes();
    QMainWindow window;
    form1::Controls ui;
    form1::setupControls(&window, ui);

    QFileInfo(args.at(1)).absoluteDir().mkpath(QStringLiteral("."));
    QPdfWriter pdf(args.at(1));
    pdf.setPageSize(QPageSize(QPageSize::A4));
    pdf.setPageMargins(QMarginsF(MarginMillimetres, MarginMillimetres, MarginMillimetres, MarginMillimetres),
                       QPageLayout::Millimeter);
    pdf.setResolution(TwipsPerInch);
    pdf.setTitle(site::ProgramName + QStringLiteral(" — ") + Subtitle);
    pdf.setCreator(QCoreApplication::applicationName());
    QPainter painter;
    if (!painter.begin(&pdf)) {
        std::fprintf(stderr, "worksheet: cannot write %s\n", qPrintable(args.at(1)));
        return 1;
    }
    painter.setRenderHint(QPainter::Antialiasing);
    Sheet(painter, ui, pdf.width()).draw();
    return painter.end() ? 0 : 1;
}
