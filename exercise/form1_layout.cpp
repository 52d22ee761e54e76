#include "exercise/form1_layout.h"

#include "site.h"
#include "toolkit/cursors.h"
#include "toolkit/fonts.h"
#include "toolkit/menu_bar_style.h"
#include "toolkit/menu_keys.h"
#include "toolkit/picture.h"
#include "toolkit/shape.h"
#include "toolkit/stored_icon.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QFontMetricsF>
#include <QIcon>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>

#include <cmath>

namespace form1 {

namespace {

const QString InformationText =
    QStringLiteral("Τα αλκίνια καίγονται. Το ακετυλένιο δημιουργεί φλόγα υψηλής θερμοκρασίας που ονομάζεται "
                   "οξυακετυλενική φλόγα και χρησιμοποιείται για κοπή και κόλληση μετάλλων.");
const QString InitialGrade = QStringLiteral("100%");
const QString InitialCoefficient = QStringLiteral("1");

const QColor White(0xFF, 0xFF, 0xFF);
const QColor Red(0xFF, 0x00, 0x00);
const QColor PanelYellow(0xFF, 0xFF, 0xC0);
const QColor Black(0x00, 0x00, 0x00);
constexpr int PanelBorderPixels = 3;
constexpr int GradeBorderPixels = 1;

constexpr double BoxPoints = 12;
constexpr double GradePoints = 24;
constexpr double InformationPoints = 9.75;

constexpr float PictureLeft = 180;
constexpr float PictureWidth = 9495;
constexpr float PictureHeight = 1470;
constexpr float PictureTop0 = 840;
constexpr float PictureSpacing = 1560;

struct TileDesign {
    QString resource;
    QString accessibleName;
    float left;
    float top;
};
const std::array<TileDesign, KindCount> Tiles{{
    {QStringLiteral(":/pictures/tile_carbon.svg"), QStringLiteral("άνθρακας"), 1320, 0},
    {QStringLiteral(":/pictures/tile_carbon_dioxide.svg"), QStringLiteral("διοξείδιο του άνθρακα"), 2760, 60},
    {QStringLiteral(":/pictures/tile_carbon_monoxide.svg"), QStringLiteral("μονοξείδιο του άνθρακα"), 4020,
     0},
    {QStringLiteral(":/pictures/tile_water.svg"), QStringLiteral("νερό"), 5160, 0},
    {QStringLiteral(":/pictures/tile_hydrogen.svg"), QStringLiteral("υδρογόνο"), 6120, 0},
}};

const QString GeneralAlkyneFormula = QStringLiteral("CνH2ν−2");
struct ReactionDesign {
    QString resource;
    QString alkyneGenitive; // names the reaction for screen readers
};
const std::array<ReactionDesign, ReactionCount> Reactions{{
    {QStringLiteral(":/pictures/reaction_ethyne.svg"), QStringLiteral("του αιθινίου")},
    {QStringLiteral(":/pictures/reaction_propyne.svg"), QStringLiteral("του προπινίου")},
    {QStringLiteral(":/pictures/reaction_butyne.svg"), QStringLiteral("του βουτινίου")},
    {QStringLiteral(":/pictures/reaction_pentyne.svg"), QStringLiteral("του πεντινίου")},
    {QStringLiteral(":/pictures/reaction_alkyne.svg"),
     QStringLiteral("του αλκινίου ") + GeneralAlkyneFormula},
}};

// The general alkyne's picture prints its coefficient.
const QString GeneralAlkyneCoefficient = QStringLiteral("2");

// The compound at each position of an equation, in the genitive, and its formula (the alkyne's is
// the reaction's own).
const std::array<QString, BoxesPerReaction> PositionGenitive{
    QStringLiteral("του αλκινίου"), QStringLiteral("του οξυγόνου"),
    QStringLiteral("του διοξειδίου του άνθρακα"), QStringLiteral("του νερού")};
const std::array<QString, BoxesPerReaction> PositionFormula{QString(), QStringLiteral("O2"),
                                                            QStringLiteral("CO2"), QStringLiteral("H2O")};
const QString Blank = QStringLiteral("...");
const QString EquationText = QStringLiteral("%1 + %2 → %3 + %4");
const QString MissingProduct = QStringLiteral(", λείπει ένα προϊόν");
const QString BoxDescription = QStringLiteral("ο συντελεστής του %1 στην αντίδραση %2");
const QString BlankBoxDescription =
    QStringLiteral("ο συντελεστής του %1, του προϊόντος που λείπει, στην αντίδραση %2");
const QString UnusedBoxDescription =
    QStringLiteral("δεν χρησιμοποιείται: ο συντελεστής του %1 είναι τυπωμένος, %2");

// The alkyne's formula, as read out in its reaction's equation: C2H2 ... C5H8, or CνH2ν−2.
QString alkyneFormula(int reaction) {
    if (reaction == facts::GeneralAlkyne) {
        return GeneralAlkyneFormula;
    }
    const int carbon = facts::CarbonAtoms.at(reaction);
    return QStringLiteral("C%1H%2").arg(carbon).arg(facts::hydrogenAtoms(carbon));
}

QString formulaAt(int reaction, int position) {
    return position == facts::Alkyne ? alkyneFormula(reaction) : PositionFormula.at(position);
}

// The reaction's equation as a screen reader reads it, the missing product as a blank.
QString equation(int reaction) {
    QStringList terms;
    for (int position = 0; position < BoxesPerReaction; ++position) {
        terms << (position == facts::lackingPosition(reaction) ? Blank : formulaAt(reaction, position));
    }
    if (reaction == facts::GeneralAlkyne) {
        terms.first() = GeneralAlkyneCoefficient + QLatin1Char(' ') + terms.first();
    }
    return EquationText.arg(terms.at(0), terms.at(1), terms.at(2), terms.at(3));
}

QString boxDescription(int k) {
    const int reaction = facts::reactionOfBox(k);
    const int position = facts::positionOfBox(k);
    if (k == facts::UnusedBox) {
        return UnusedBoxDescription.arg(formulaAt(reaction, position), GeneralAlkyneCoefficient);
    }
    const QString &text = position == facts::lackingPosition(reaction) ? BlankBoxDescription : BoxDescription;
    return text.arg(formulaAt(reaction, position), equation(reaction));
}

// Top-left corners of the coefficient boxes, by box index (reaction × 4 + position).
constexpr std::array<QPoint, BoxCount> BoxCorners{{
    {480, 1380}, {3420, 1380}, {5760, 1320}, {7860, 1320}, //
    {480, 2880}, {3420, 2940}, {5760, 2880}, {7860, 2880}, //
    {480, 4500}, {3420, 4500}, {5760, 4440}, {7860, 4440}, //
    {480, 6060}, {3420, 6060}, {5760, 6000}, {7860, 6000}, //
    {7320, 120}, {3420, 7620}, {5760, 7560}, {7860, 7560}, //
}};

const QString DropIconResource = QStringLiteral(":/pictures/drop_icon.svg");

QString arrayName(const char *name, int index) {
    return QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(index);
}

Picture *makeTile(QWidget *client, int n, const twips::Rect &geometry) {
    const TileDesign &design = Tiles.at(n % KindCount);
    auto *tile = new Picture(design.resource, client);
    tile->setObjectName(arrayName("ImgMolecular", n));
    tile->setAccessibleName(design.accessibleName);
    tile->setAccessibleRole(QAccessible::Button);
    tile->setTwipGeometry(geometry);
    tile->setCursor(cursors::hand());
    tile->setMouseTracking(true);
    return tile;
}

QLineEdit *makeBox(QWidget *client, int k) {
    const int reaction = facts::reactionOfBox(k);
    const int position = facts::positionOfBox(k);
    auto *box = new QLineEdit(InitialCoefficient, client);
    box->setObjectName(arrayName("tCoefficient", k));
    box->setAccessibleName(QStringLiteral("Συντελεστής %1 στην καύση %2")
                               .arg(PositionGenitive.at(position), Reactions.at(reaction).alkyneGenitive));
    box->setAccessibleDescription(boxDescription(k));
    const QPoint corner = BoxCorners.at(k);
    box->setGeometry(twips::toPixels({float(corner.x()), float(corner.y()), BoxWidth, BoxHeight}));
    box->setFont(fonts::designFont(BoxPoints));
    box->setAlignment(Qt::AlignCenter);
    QPalette palette = box->palette();
    palette.setColor(QPalette::Text, Red);
    box->setPalette(palette);
    box->setVisible(k != facts::UnusedBox);
    return box;
}

QLabel *makeGrade(QWidget *client) {
    auto *grade = new QLabel(client);
    grade->setObjectName(QStringLiteral("LGrade"));
    grade->setFont(fonts::designFont(GradePoints));
    grade->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    grade->setIndent(0); // a framed label would otherwise indent its text by half an "x"
    grade->setMargin(0);
    // White on red within a flat single-line border, which is a dark line whatever the text colour (a
    // plain frame would take the text's). A style sheet, as the colours of a styled label must be.
    grade->setStyleSheet(QStringLiteral("QLabel { color: %1; background-color: %2; border: %3px solid %4; }")
                             .arg(White.name(), Red.name())
                             .arg(GradeBorderPixels)
                             .arg(Black.name()));
    grade->move(twips::toPixels(GradeLeft), twips::toPixels(GradeTop));
    setGradeCaption(grade, InitialGrade);
    return grade;
}

QLabel *makeInformation(QWidget *client) {
    auto *label = new QLabel(InformationText, client);
    label->setObjectName(arrayName("Label2", Label2Index));
    label->setFont(fonts::designFont(InformationPoints));
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setGeometry(twips::toPixels(Label2Geometry));
    return label;
}

QAction *addMenuItem(QMenuBar *bar, const char *name, const QString &caption) {
    QAction *action = bar->addAction(caption);
    action->setObjectName(QLatin1String(name));
    return action;
}

void setupMenu(QMainWindow *window, Controls &ui) {
    QMenuBar *bar = window->menuBar();
    bar->setNativeMenuBar(false);
    // The application's style, with the command chosen from the keyboard shown.
    auto *style = new MenuBarStyle(QApplication::style()->name());
    style->setParent(bar);
    bar->setStyle(style);
    ui.mnuHelp = addMenuItem(bar, "mnuHelp", QStringLiteral("Βοήθεια"));
    ui.mnuCheck = addMenuItem(bar, "mnuCheck", QStringLiteral("Έλεγχος"));
    ui.mnuRestart = addMenuItem(bar, "mnuRestart", QStringLiteral("Απ' την αρχή"));
    ui.mnuSheet = addMenuItem(bar, "mnuSheet", QStringLiteral("Φύλλο εργασίας"));
    ui.mnuVSeperator = addMenuItem(bar, "mnuVSeperator", QStringLiteral("|"));
    ui.mnuAbout = addMenuItem(bar, "mnuAbout", QStringLiteral("Περί..."));
    ui.mnuExit = addMenuItem(bar, "mnuExit", QStringLiteral("Έξοδος"));
    enableMenuKeys(bar);
}

// Front to back as designed: raising each control from the back-most to the front-most.
void stackControls(Controls &ui) {
    const std::array<QWidget *, 14> backToFront{
        ui.Container,       ui.ImgSyntactic[0], ui.ImgSyntactic[4], ui.ImgSyntactic[3], ui.ImgMolecular[1],
        ui.ImgMolecular[2], ui.ImgMolecular[3], ui.ImgMolecular[4], ui.ImgMolecular[0], ui.DropIcon,
        ui.LGrade,          ui.ImgSyntactic[1], ui.ImgSyntactic[2], ui.Label2};
    for (QWidget *control : backToFront) {
        control->raise();
    }
    // Text boxes lie in front of every picture and label, box 19 foremost.
    for (QLineEdit *box : ui.tCoefficient) {
        box->raise();
    }
}

} // namespace

void setupControls(QMainWindow *window, Controls &ui) {
    window->setObjectName(QStringLiteral("Form1"));
    window->setWindowTitle(site::ExerciseTitle);
    window->setWindowIcon(storedIcon(site::WindowIconResource));
    window->setWindowFlags(Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                           Qt::WindowCloseButtonHint);

    ui.client = new QWidget(window);
    ui.client->setObjectName(QStringLiteral("client"));
    ui.client->setFixedSize(twips::toPixels(ClientWidth, ClientHeight));
    ui.client->setAutoFillBackground(true);
    QPalette palette = ui.client->palette();
    palette.setColor(QPalette::Window, White);
    ui.client->setPalette(palette);
    window->setCentralWidget(ui.client);
    setupMenu(window, ui);

    ui.Container = new Shape(PanelYellow, Red, PanelBorderPixels, ui.client);
    ui.Container->setObjectName(QStringLiteral("Container"));
    ui.Container->setGeometry(twips::toPixels(ContainerGeometry));

    for (int r = 0; r < ReactionCount; ++r) {
        const ReactionDesign &design = Reactions.at(r);
        auto *picture = new Picture(design.resource, ui.client);
        picture->setObjectName(arrayName("ImgSyntactic", r));
        picture->setAccessibleName(QStringLiteral("Πλήρης καύση %1").arg(design.alkyneGenitive));
        picture->setAccessibleDescription(equation(r) + MissingProduct);
        picture->setTwipGeometry(
            {PictureLeft, PictureTop0 + PictureSpacing * static_cast<float>(r), PictureWidth, PictureHeight});
        ui.ImgSyntactic.at(r) = picture;
    }
    for (int n = 0; n < KindCount; ++n) {
        const TileDesign &design = Tiles.at(n);
        ui.ImgMolecular.at(n) = makeTile(ui.client, n, {design.left, design.top, TileWidth, TileHeight});
    }

    ui.DropIcon = new Picture(DropIconResource, ui.client);
    ui.DropIcon->setObjectName(QStringLiteral("DropIcon"));
    ui.DropIcon->setTwipGeometry(DropIconGeometry);
    ui.DropIcon->hide();

    ui.LGrade = makeGrade(ui.client);
    ui.Label2 = makeInformation(ui.client);
    for (int k = 0; k < BoxCount; ++k) {
        ui.tCoefficient.at(k) = makeBox(ui.client, k);
    }
    for (int k = 0; k + 1 < BoxCount; ++k) {
        QWidget::setTabOrder(ui.tCoefficient.at(k), ui.tCoefficient.at(k + 1));
    }
    stackControls(ui);
    window->adjustSize();

    // Fixed single border: the window keeps the size of its menu bar and client area.
    window->layout()->setSizeConstraint(QLayout::SetFixedSize);
}

Picture *copyTile(const Controls &ui, int n) {
    const Picture *model = ui.ImgMolecular[0];
    Picture *tile = makeTile(ui.client, n, model->twipGeometry());
    tile->hide();
    return tile;
}

void setGradeCaption(QLabel *grade, const QString &caption) {
    grade->setText(caption);
    const QString name = QStringLiteral("Βαθμός %1").arg(caption);
    const bool sameGrade = grade->accessibleName() == name;
    grade->setAccessibleName(name);
    // Every check is announced, the same grade again too. Qt 6.8 has an announcement for it, which a
    // screen reader speaks whatever has the focus; before it, the grade's name is said to have changed.
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
    Q_UNUSED(sameGrade)
    QAccessibleAnnouncementEvent announcement(grade, name);
    announcement.setPoliteness(QAccessible::AnnouncementPoliteness::Assertive);
    QAccessible::updateAccessibility(&announcement);
#else
    if (sameGrade) {
        QAccessibleEvent event(grade, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&event);
    }
#endif
    // Auto-size: the caption's advance and height within the border, no indent or margin, so that even
    // "100%" stays inside the window with its border whole.
    grade->ensurePolished(); // the border comes with the style
    const QFontMetricsF metrics(grade->font());
    const int border = 2 * grade->frameWidth();
    grade->resize(static_cast<int>(std::ceil(metrics.horizontalAdvance(caption))) + border,
                  static_cast<int>(std::ceil(metrics.height())) + border);
}

} // namespace form1
