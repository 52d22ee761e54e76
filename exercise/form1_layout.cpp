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
#include <QAccessibleWidget>
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
    float left;
    float top;
};
const std::array<TileDesign, KindCount> Tiles{{
    {QStringLiteral(":/pictures/tile_carbon.svg"), 1320, 0},
    {QStringLiteral(":/pictures/tile_carbon_dioxide.svg"), 2760, 60},
    {QStringLiteral(":/pictures/tile_carbon_monoxide.svg"), 4020, 0},
    {QStringLiteral(":/pictures/tile_water.svg"), 5160, 0},
    {QStringLiteral(":/pictures/tile_hydrogen.svg"), 6120, 0},
}};

// Each compound of the tiles as Greek declines it: its name (the tile's accessible name), with the article
// in the nominative and the accusative, and in the genitive.
struct CompoundWords {
    QString name;
    QString nominative;
    QString accusative;
    QString genitive;
};
const std::array<CompoundWords, KindCount> Compounds{{
    {QStringLiteral("άνθρακας"), QStringLiteral("ο άνθρακας"), QStringLiteral("τον άνθρακα"),
     QStringLiteral("του άνθρακα")},
    {QStringLiteral("διοξείδιο του άνθρακα"), QStringLiteral("το διοξείδιο του άνθρακα"),
     QStringLiteral("το διοξείδιο του άνθρακα"), QStringLiteral("του διοξειδίου του άνθρακα")},
    {QStringLiteral("μονοξείδιο του άνθρακα"), QStringLiteral("το μονοξείδιο του άνθρακα"),
     QStringLiteral("το μονοξείδιο του άνθρακα"), QStringLiteral("του μονοξειδίου του άνθρακα")},
    {QStringLiteral("νερό"), QStringLiteral("το νερό"), QStringLiteral("το νερό"),
     QStringLiteral("του νερού")},
    {QStringLiteral("υδρογόνο"), QStringLiteral("το υδρογόνο"), QStringLiteral("το υδρογόνο"),
     QStringLiteral("του υδρογόνου")},
}};

const CompoundWords &wordsFor(facts::Kind kind) {
    return Compounds.at(static_cast<std::size_t>(kind));
}

struct ReactionDesign {
    QString resource;
    QString pictureName; // the picture's accessible name
    QString alkyne;      // the alkyne as spoken, in the nominative
    QString genitive;    // and in the genitive
};
const std::array<ReactionDesign, ReactionCount> Reactions{{
    {QStringLiteral(":/pictures/reaction_ethyne.svg"), QStringLiteral("Πλήρης καύση του αιθινίου"),
     QStringLiteral("αιθίνιο"), QStringLiteral("του αιθινίου")},
    {QStringLiteral(":/pictures/reaction_propyne.svg"), QStringLiteral("Πλήρης καύση του προπινίου"),
     QStringLiteral("προπίνιο"), QStringLiteral("του προπινίου")},
    {QStringLiteral(":/pictures/reaction_butyne.svg"), QStringLiteral("Πλήρης καύση του βουτινίου"),
     QStringLiteral("βουτίνιο"), QStringLiteral("του βουτινίου")},
    {QStringLiteral(":/pictures/reaction_pentyne.svg"), QStringLiteral("Πλήρης καύση του πεντινίου"),
     QStringLiteral("πεντίνιο"), QStringLiteral("του πεντινίου")},
    {QStringLiteral(":/pictures/reaction_alkyne.svg"), QStringLiteral("Πλήρης καύση του αλκινίου CνH2ν−2"),
     QStringLiteral("γενικό αλκίνιο"), QStringLiteral("του γενικού αλκινίου")},
}};

// Oxygen, the one compound of an equation that is no tile's, in the genitive; the words of an equation.
const QString OxygenGenitive = QStringLiteral("του οξυγόνου");
const QString BlankWord = QStringLiteral("κενό");
const QString InBlank = QStringLiteral("%1 στο κενό");
const QString NumberedAlkyne = QStringLiteral("%1, με %2 άτομα άνθρακα και %3 υδρογόνου");
const QString GeneralAlkyneWords =
    QStringLiteral("%1 με ν άτομα άνθρακα και 2ν μείον 2 υδρογόνου, με τυπωμένο συντελεστή %2");
const QString EquationWords = QStringLiteral("%1, και οξυγόνο δίνουν: %2 και %3");
const QString MissingProduct = QStringLiteral(". Λείπει ένα προϊόν");

const QString AlkyneBoxName = QStringLiteral("Συντελεστής %1");
const QString BoxName = QStringLiteral("Συντελεστής %1 στην καύση %2");
const QString BlankBoxName = QStringLiteral("Συντελεστής %1 στο κενό, στην καύση %2");
const QString NothingInBlank = QStringLiteral("της ένωσης");
const QString UnusedBoxName = QStringLiteral("Συντελεστής %1, τυπωμένος");
const QString EquationDescription = QStringLiteral("Εξίσωση: %1");

const QString KeyboardPath = QStringLiteral(
    "Με το πληκτρολόγιο: F6 πηγαίνει στις ενώσεις και πίσω στους συντελεστές. Στις ενώσεις, Αριστερά και "
    "Δεξιά διαλέγουν ένωση, Διάστημα τη σηκώνει, Πάνω και Κάτω διαλέγουν αντίδραση, Διάστημα την αφήνει "
    "εκεί και Escape την επιστρέφει· Delete βγάζει μια ένωση από την αντίδρασή της. Tab πηγαίνει από "
    "συντελεστή σε συντελεστή. Ο Έλεγχος είναι στο μενού, με F10 ή Alt.");
const QString TileInTray = QStringLiteral("στη σειρά των ενώσεων. Διάστημα για να το σηκώσετε");
const QString TileOnReaction = QStringLiteral("στην καύση %1. Delete για να το βγάλετε");
const QString CarriedTile = QStringLiteral("σηκωμένο, πάνω από την καύση %1");
const QString PickedUp = QStringLiteral(
    "Σηκώσατε %1, πάνω από την καύση %2. Πάνω και Κάτω για άλλη αντίδραση, Διάστημα για να το αφήσετε, "
    "Escape για να το επιστρέψετε");
const QString Carried = QStringLiteral("%1 πάνω από την καύση %2");
const QString TakenOff = QStringLiteral("%1 βγήκε από την καύση %2 και γύρισε στη σειρά των ενώσεων");
const QString OneSentHome = QStringLiteral("Μία ένωση γύρισε στη σειρά των ενώσεων: %1.");
const QString SomeSentHome = QStringLiteral("%1 ενώσεις γύρισαν στη σειρά των ενώσεων: %2.");
const QString SentHomeFrom = QStringLiteral("%1 από την καύση %2");
const QString Emptied = QStringLiteral("Άδειασαν οι συντελεστές της καύσης %1.");
const QString NothingChanged =
    QStringLiteral("Καμία ένωση δεν γύρισε πίσω, κανένας συντελεστής δεν άδειασε.");

QString capitalised(QString text) {
    if (!text.isEmpty()) {
        text[0] = text.at(0).toUpper();
    }
    return text;
}

// The words joined as Greek lists them: "α, β και γ".
QString listed(const QStringList &words) {
    if (words.size() < 2) {
        return words.join(QString());
    }
    return words.mid(0, words.size() - 1).join(QStringLiteral(", ")) + QStringLiteral(" και ") + words.last();
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
    tile->setAccessibleName(Compounds.at(n % KindCount).name);
    tile->setAccessibleDescription(spoken::tileInTray());
    tile->setAccessibleRole(QAccessible::Button);
    tile->setTwipGeometry(geometry);
    tile->setCursor(cursors::hand());
    tile->setMouseTracking(true);
    return tile;
}

QLineEdit *makeBox(QWidget *client, int k) {
    auto *box = new QLineEdit(InitialCoefficient, client);
    box->setObjectName(arrayName("tCoefficient", k));
    box->setMaxLength(facts::BoxTextLength);
    box->setAccessibleName(spoken::boxName(k, std::nullopt));
    box->setAccessibleDescription(spoken::boxDescription(k, std::nullopt));
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

// The grade reads as the attempt's status: a screen reader says its name and, unlike a label's, its
// description, which tells what the last Check did.
QAccessibleInterface *accessibleGrade(const QString &className, QObject *object) {
    if (className == QLatin1String("QLabel") && object->objectName() == QLatin1String("LGrade")) {
        return new QAccessibleWidget(static_cast<QWidget *>(object), QAccessible::StatusBar);
    }
    return nullptr;
}

QLabel *makeGrade(QWidget *client) {
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(accessibleGrade);
        return true;
    }();
    Q_UNUSED(factoryInstalled)
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

#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
// A screen reader that hears announcements (Orca 48) reads only a window's name as it opens, not its
// description: the window's description, the keyboard path, is announced as well, once, when the
// window first becomes active.
class AnnounceDescriptionOnce : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        auto *window = qobject_cast<QWidget *>(watched);
        if (event->type() == QEvent::WindowActivate && window != nullptr) {
            QAccessibleAnnouncementEvent announcement(window, window->accessibleDescription());
            QAccessible::updateAccessibility(&announcement);
            deleteLater();
        }
        return false;
    }
};
#endif

} // namespace

void setupControls(QMainWindow *window, Controls &ui) {
    window->setObjectName(QStringLiteral("Form1"));
    window->setWindowTitle(site::ExerciseTitle);
    window->setWindowIcon(storedIcon(site::WindowIconResource));
    window->setAccessibleDescription(spoken::keyboardPath());
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
    window->installEventFilter(new AnnounceDescriptionOnce(window));
#endif
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
        picture->setAccessibleName(design.pictureName);
        picture->setAccessibleDescription(spoken::equation(r, std::nullopt) + MissingProduct);
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
    grade->setAccessibleName(QStringLiteral("Βαθμός %1").arg(caption));
    // Auto-size: the caption's advance and height within the border, no indent or margin, so that even
    // "100%" stays inside the window with its border whole.
    grade->ensurePolished(); // the border comes with the style
    const QFontMetricsF metrics(grade->font());
    const int border = 2 * grade->frameWidth();
    grade->resize(static_cast<int>(std::ceil(metrics.horizontalAdvance(caption))) + border,
                  static_cast<int>(std::ceil(metrics.height())) + border);
}

void nameBoxes(const Controls &ui, int reaction, std::optional<facts::Kind> inBlank) {
    for (int position = facts::firstPosition(reaction); position < BoxesPerReaction; ++position) {
        const int k = facts::boxIndex(reaction, position);
        ui.tCoefficient.at(k)->setAccessibleName(spoken::boxName(k, inBlank));
        ui.tCoefficient.at(k)->setAccessibleDescription(spoken::boxDescription(k, inBlank));
    }
}

void sayAt(QWidget *control, const QString &what) {
    control->setAccessibleDescription(what);
    // Screen readers read the control that the focus event names, its name, role and description, and
    // follow it even where the keyboard stays (Orca does so for Qt programs).
    QAccessibleEvent focus(control, QAccessible::Focus);
    QAccessible::updateAccessibility(&focus);
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
    QAccessibleAnnouncementEvent announcement(control,
                                              control->accessibleName() + QStringLiteral(". ") + what);
    announcement.setPoliteness(QAccessible::AnnouncementPoliteness::Assertive);
    QAccessible::updateAccessibility(&announcement);
#endif
}

} // namespace form1

namespace spoken {

QString equation(int reaction, std::optional<facts::Kind> inBlank) {
    const form1::ReactionDesign &design = form1::Reactions.at(reaction);
    const QString alkyne =
        reaction == facts::GeneralAlkyne
            ? form1::GeneralAlkyneWords.arg(form1::capitalised(design.alkyne),
                                            QString::number(facts::GeneralAlkyneCoefficient))
            : form1::NumberedAlkyne.arg(form1::capitalised(design.alkyne))
                  .arg(facts::CarbonAtoms.at(reaction))
                  .arg(facts::hydrogenAtoms(facts::CarbonAtoms.at(reaction)));
    const auto product = [&](facts::Kind kind, facts::Position position) {
        if (position != facts::lackingPosition(reaction)) {
            return form1::wordsFor(kind).name;
        }
        return inBlank ? form1::InBlank.arg(form1::wordsFor(*inBlank).name) : form1::BlankWord;
    };
    return form1::EquationWords.arg(alkyne, product(facts::Kind::CarbonDioxide, facts::CarbonDioxide),
                                    product(facts::Kind::Water, facts::Water));
}

QString boxName(int box, std::optional<facts::Kind> inBlank) {
    const int reaction = facts::reactionOfBox(box);
    const int position = facts::positionOfBox(box);
    const QString &alkyne = form1::Reactions.at(reaction).genitive;
    if (position == facts::Alkyne) {
        return (box == facts::UnusedBox ? form1::UnusedBoxName : form1::AlkyneBoxName).arg(alkyne);
    }
    if (position == facts::lackingPosition(reaction)) {
        return form1::BlankBoxName.arg(inBlank ? form1::wordsFor(*inBlank).genitive : form1::NothingInBlank,
                                       alkyne);
    }
    const QString compound =
        position == facts::Oxygen
            ? form1::OxygenGenitive
            : form1::wordsFor(position == facts::Water ? facts::Kind::Water : facts::Kind::CarbonDioxide)
                  .genitive;
    return form1::BoxName.arg(compound, alkyne);
}

QString boxDescription(int box, std::optional<facts::Kind> inBlank) {
    const int reaction = facts::reactionOfBox(box);
    if (facts::positionOfBox(box) != facts::firstPosition(reaction)) {
        return {};
    }
    return form1::EquationDescription.arg(equation(reaction, inBlank));
}

QString keyboardPath() {
    return form1::KeyboardPath;
}

QString tileInTray() {
    return form1::TileInTray;
}

QString tileOnReaction(int reaction) {
    return form1::TileOnReaction.arg(form1::Reactions.at(reaction).genitive);
}

QString carriedTile(int reaction) {
    return form1::CarriedTile.arg(form1::Reactions.at(reaction).genitive);
}

QString carrying(facts::Kind kind, int reaction, bool first) {
    const QString &alkyne = form1::Reactions.at(reaction).genitive;
    return first ? form1::PickedUp.arg(form1::wordsFor(kind).accusative, alkyne)
                 : form1::Carried.arg(form1::capitalised(form1::wordsFor(kind).nominative), alkyne);
}

QString takenOff(facts::Kind kind, int reaction) {
    return form1::TakenOff.arg(form1::capitalised(form1::wordsFor(kind).nominative),
                               form1::Reactions.at(reaction).genitive);
}

QString checked(const std::vector<SentHome> &sentHome, const std::vector<int> &emptied) {
    QStringList said;
    QStringList home;
    for (const SentHome &sent : sentHome) {
        home << form1::SentHomeFrom.arg(form1::wordsFor(sent.kind).nominative,
                                        form1::Reactions.at(sent.reaction).genitive);
    }
    if (home.size() == 1) {
        said << form1::OneSentHome.arg(home.first());
    } else if (!home.isEmpty()) {
        said << form1::SomeSentHome.arg(home.size()).arg(form1::listed(home));
    }
    if (!emptied.empty()) {
        QStringList reactions;
        for (int r : emptied) {
            reactions << form1::Reactions.at(r).genitive;
        }
        said << form1::Emptied.arg(form1::listed(reactions));
    }
    return said.isEmpty() ? form1::NothingChanged : said.join(QLatin1Char(' '));
}

} // namespace spoken
