#include "exercise/form1.h"

#include "about/frmabout.h"
#include "exercise/coefficients.h"
#include "exercise/placement.h"
#include "exercise/tray.h"
#include "site.h"
#include "toolkit/cursors.h"
#include "toolkit/manual_drag.h"
#include "toolkit/picture.h"
#include "toolkit/shape.h"
#include "toolkit/shell.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>

#include <algorithm>
#include <chrono>
#include <cmath>

namespace {

using form1::BoxesPerReaction;
using form1::KindCount;
using form1::ReactionCount;
using form1::TileCount;

constexpr std::int16_t PointsForCompound = 5;
constexpr std::int16_t PointsForCoefficients = 15;
// The compound kind that belongs in the blank of each reaction's picture.
constexpr std::array<std::int16_t, ReactionCount> CorrectKinds{
    form1::CarbonDioxide, form1::Water, form1::CarbonDioxide, form1::Water, form1::CarbonDioxide};
// The general alkyne's own coefficient is printed in its picture, so its boxes start at oxygen.
constexpr int GeneralAlkyne = 4;
int firstPosition(int reaction) {
    return reaction == GeneralAlkyne ? 1 : 0;
}

const QString PlacedTileTip = QStringLiteral("αφαιρέστε το με διπλό κλικ");
const QString TrayTileTip = QStringLiteral("η μεταφορά ξεκινάει με πατημένο κλικ");

const QString HelpTitle = QStringLiteral("Βοήθεια");
const QString HelpText =
    QStringLiteral("Σύρετε με πατημένο κλικ τις ενώσεις που βρίσκονται σε πράσινο πλαίσιο στο πάνω μέρος του "
                   "παραθύρου, πάνω στις αντίστοιχες αντιδράσεις που βρίσκονται σε κίτρινο πλαίσιο.\r\n"
                   "Προσθέστε τους ακέραιους συντελεστές των αντιδράσεων ως αναλογίες μεταξύ των μορίων. Για "
                   "να μετακινηθείτε από τον ένα συντελεστή στον άλλο πατήστε το πλήκτρο TAB.\r\n"
                   "Στην τελευταία αντίδραση δεκτοί συντελεστές είναι της μορφής ν, 2ν, 3ν-7, 4ν+5 κλπ.\r\n"
                   "Όταν τελειώσετε ζητήστε έλεγχο της προσπάθειάς σας.");

template <typename Controls> int indexOf(const Controls &controls, const QWidget *control) {
    const auto found = std::find(controls.begin(), controls.end(), control);
    return found == controls.end() ? -1 : static_cast<int>(found - controls.begin());
}

} // namespace

Form1::Form1(QWidget *parent) : QMainWindow(parent) {
    form1::setupControls(this, ui);
    drag = new ManualDrag(ui.client);
    connect(drag, &ManualDrag::dragOver, this,
            [this](QWidget *surface, QPointF pointer) { routeDrag(surface, pointer, false); });
    connect(drag, &ManualDrag::dropped, this,
            [this](QWidget *surface, QPointF pointer) { routeDrag(surface, pointer, true); });
    // Released outside the client area, or the mouse lost: no surface takes the tile, so it goes home.
    connect(drag, &ManualDrag::abandoned, this, [this] { ReturnTileToTray(DraggedTile); });

    connect(ui.mnuHelp, &QAction::triggered, this, &Form1::mnuHelp_Click);
    connect(ui.mnuCheck, &QAction::triggered, this, &Form1::mnuCheck_Click);
    connect(ui.mnuRestart, &QAction::triggered, this, &Form1::mnuRestart_Click);
    connect(ui.mnuSheet, &QAction::triggered, this, &Form1::mnuSheet_Click);
    connect(ui.mnuAbout, &QAction::triggered, this, &Form1::mnuAbout_Click);
    connect(ui.mnuExit, &QAction::triggered, this, &Form1::mnuExit_Click);
    for (int n = 0; n < KindCount; ++n) {
        connectTile(n);
    }
    Form_Load();
}

// ---- Start and stop -------------------------------------------------------------------------

void Form1::Form_Load() {
    CreateTiles();
    mnuRestart_Click();
}

void Form1::closeEvent(QCloseEvent *event) {
    event->accept();
    Form_Unload();
}

void Form1::Form_Unload() {
    // Closing is never refused and nothing is kept: the program ends with its window.
    QCoreApplication::quit();
}

void Form1::CreateTiles() {
    for (std::size_t r = 0; r < Reactions.size(); ++r) {
        Reactions[r] = {PointsForCompound, CorrectKinds[r], 0};
    }
    for (int n = KindCount; n < TileCount; ++n) {
        ui.ImgMolecular.at(static_cast<std::size_t>(n)) = form1::copyTile(ui, n);
        connectTile(n);
        tile(n)->show();
    }
    // In front of every other picture; among themselves tile 0 foremost, tile 24 hindmost.
    for (int n = TileCount - 1; n >= 0; --n) {
        bringToFront(tile(n));
    }
}

void Form1::ReturnTileToTray(std::int16_t tileIndex) {
    const twips::Rect &model = tile(0)->twipGeometry();
    const int column = TrayColumn.at(static_cast<std::size_t>(tileIndex % KindCount));
    const QPointF place = tray::place(column, twipGeometry(ui.Container), model.width, model.height);
    tile(tileIndex)->moveTwips(static_cast<float>(place.x()), static_cast<float>(place.y()));
}

// ---- Coefficient boxes ----------------------------------------------------------------------

void Form1::HideCoefficients(std::int16_t reaction) {
    for (int position = firstPosition(reaction); position < BoxesPerReaction; ++position) {
        QLineEdit *coefficient = box(reaction * BoxesPerReaction + position);
        coefficient->setText(QString());
        coefficient->hide();
    }
}

void Form1::ShowCoefficients(std::int16_t reaction) {
    for (int position = firstPosition(reaction); position < BoxesPerReaction; ++position) {
        box(reaction * BoxesPerReaction + position)->show();
    }
}

// ---- Menu commands --------------------------------------------------------------------------

void Form1::mnuHelp_Click() {
    QMessageBox help(QMessageBox::Information, HelpTitle, HelpText, QMessageBox::Ok, this);
    help.exec();
}

void Form1::mnuCheck_Click() {
    int grade = 0;
    for (std::int16_t r = 0; r < ReactionCount; ++r) {
        ReactionSlot &reaction = Reactions.at(static_cast<std::size_t>(r));
        if (reaction.Tile < 0) {
            continue;
        }
        if (reaction.Tile % KindCount == reaction.CorrectKind) {
            grade += reaction.Points;
            if (CheckCoefficients(r)) {
                grade += PointsForCoefficients;
            }
        } else {
            ReturnTileToTray(reaction.Tile);
            reaction.Tile = NoTile;
            HideCoefficients(r);
        }
    }
    form1::setGradeCaption(ui.LGrade, QString::number(grade) + QLatin1Char('%'));
    ui.LGrade->show();
}

bool Form1::CheckCoefficients(std::int16_t reaction) {
    std::array<QString, BoxesPerReaction> texts;
    for (int position = 0; position < BoxesPerReaction; ++position) {
        texts.at(static_cast<std::size_t>(position)) = box(reaction * BoxesPerReaction + position)->text();
    }
    if (coefficients::areRight(reaction, texts)) {
        return true;
    }
    for (int position = 0; position < BoxesPerReaction; ++position) {
        box(reaction * BoxesPerReaction + position)->setText(QString());
    }
    return false;
}

void Form1::mnuRestart_Click() {
    for (ReactionSlot &reaction : Reactions) {
        reaction.Tile = NoTile;
    }
    TrayColumn.fill(-1);
    for (std::int16_t r = 0; r < ReactionCount; ++r) {
        HideCoefficients(r);
    }
    random.seed(
        static_cast<std::mt19937::result_type>(std::chrono::system_clock::now().time_since_epoch().count()));
    // Uniform in [0, 1) with single precision, never 1.
    constexpr int UnusedBits = 8;
    constexpr int SinglePrecisionBits = 24;
    TrayColumn = tray::shuffleColumns(
        [this] { return std::ldexp(static_cast<double>(random() >> UnusedBits), -SinglePrecisionBits); });
    for (Picture *t : ui.ImgMolecular) {
        t->hide();
    }
    for (std::int16_t n = 0; n < TileCount; ++n) {
        ReturnTileToTray(n);
    }
    for (Picture *t : ui.ImgMolecular) {
        t->show();
    }
    ui.LGrade->hide();
}

void Form1::mnuSheet_Click() {
    OpenInShell(site::WorksheetAddress, SW_SHOW);
}

void Form1::mnuAbout_Click() {
    frmAbout about;
    about.exec();
}

void Form1::mnuExit_Click() {
    close();
}

// ---- Tiles ----------------------------------------------------------------------------------

void Form1::connectTile(int index) {
    Picture *t = tile(index);
    connect(t, &Picture::pressed, this, [this, index] { ImgMolecular_MouseDown(index); });
    connect(t, &Picture::moved, this, [this, index] { ImgMolecular_MouseMove(index); });
    connect(t, &Picture::released, this, [this, index] { ImgMolecular_MouseUp(index); });
    connect(t, &Picture::doubleClicked, this, [this, index] { ImgMolecular_DblClick(index); });
}

float Form1::trayLine() const {
    return twipGeometry(ui.Container).top;
}

bool Form1::liesBelowTrayLine(int tileIndex) const {
    return tile(tileIndex)->twipGeometry().top > trayLine();
}

void Form1::bringToFront(Picture *control) {
    // Pictures come forward only among pictures and labels; the text boxes always stay in front.
    control->stackUnder(box(0));
}

void Form1::ImgMolecular_MouseDown(int index) {
    if (liesBelowTrayLine(index)) {
        return; // a placed tile is taken off with a double click
    }
    bringToFront(tile(index));
    DraggedTile = static_cast<std::int16_t>(index);
    drag->begin(tile(index), cursors::dragIcon(ui.DropIcon->resource()));
    ui.LGrade->hide();
}

void Form1::ImgMolecular_MouseMove(int index) {
    tile(index)->setToolTip(liesBelowTrayLine(index) ? PlacedTileTip : TrayTileTip);
}

void Form1::ImgMolecular_MouseUp(int index) {
    if (drag->source() == tile(index)) {
        drag->end();
    }
}

void Form1::ImgMolecular_DblClick(int index) {
    if (!liesBelowTrayLine(index)) {
        return;
    }
    const auto holder =
        std::find_if(Reactions.begin(), Reactions.end(),
                     [index](const ReactionSlot &reaction) { return reaction.Tile == index; });
    if (holder == Reactions.end()) {
        return;
    }
    ui.LGrade->hide();
    holder->Tile = NoTile;
    ReturnTileToTray(static_cast<std::int16_t>(index));
    HideCoefficients(static_cast<std::int16_t>(holder - Reactions.begin()));
}

// ---- Dragging -------------------------------------------------------------------------------

void Form1::routeDrag(QWidget *surface, QPointF pointer, bool drop) {
    const twips::Rect at = surface == ui.client ? twips::Rect{} : twipGeometry(surface);
    const float x = static_cast<float>(pointer.x()) - at.left;
    const float y = static_cast<float>(pointer.y()) - at.top;
    if (surface == ui.client) {
        drop ? Form_DragDrop() : Form_DragOver(x, y);
    } else if (const int i = indexOf(ui.ImgMolecular, surface); i >= 0) {
        drop ? ImgMolecular_DragDrop(i) : ImgMolecular_DragOver(i, x, y);
    } else if (const int r = indexOf(ui.ImgSyntactic, surface); r >= 0) {
        drop ? ImgSyntactic_DragDrop(r) : ImgSyntactic_DragOver(r, x, y);
    } else if (const int k = indexOf(ui.tCoefficient, surface); k >= 0) {
        drop ? tCoefficient_DragDrop(k) : tCoefficient_DragOver(k, x, y);
    } else if (surface == ui.Label2) {
        drop ? Label2_DragDrop(form1::Label2Index) : Label2_DragOver(form1::Label2Index);
    }
}

void Form1::FollowPointer(const QWidget *surface, float x, float y) {
    const twips::Rect at = surface == ui.client ? twips::Rect{} : twipGeometry(surface);
    Picture *dragged = tile(DraggedTile);
    const twips::Rect &size = dragged->twipGeometry();
    const QPointF corner = placement::hangingTile({at.left + x, at.top + y}, {size.width, size.height});
    dragged->moveTwips(static_cast<float>(corner.x()), static_cast<float>(corner.y()));
}

void Form1::Form_DragOver(float x, float y) {
    const QSizeF client(form1::ClientWidth, form1::ClientHeight);
    if (placement::inEdgeMargin({x, y}, {0, 0}, client)) {
        drag->end();
        ReturnTileToTray(DraggedTile);
        return;
    }
    FollowPointer(ui.client, x, y);
}

void Form1::Form_DragDrop() {
    ReturnTileToTray(DraggedTile);
}

void Form1::ImgMolecular_DragOver(int index, float x, float y) {
    FollowPointer(tile(index), x, y);
}

void Form1::ImgMolecular_DragDrop(int) {
    ReturnTileToTray(DraggedTile);
}

void Form1::ImgSyntactic_DragOver(int index, float x, float y) {
    FollowPointer(ui.ImgSyntactic.at(static_cast<std::size_t>(index)), x, y);
}

void Form1::ImgSyntactic_DragDrop(int index) {
    PlaceOnReaction(static_cast<std::int16_t>(index));
}

void Form1::tCoefficient_DragOver(int index, float x, float y) {
    FollowPointer(box(index), x, y);
}

void Form1::tCoefficient_DragDrop(int index) {
    PlaceOnReaction(static_cast<std::int16_t>(index / BoxesPerReaction));
}

void Form1::Label2_DragOver(int) {
    // The information text cannot be crossed: touching it sends the tile home.
    drag->end();
    ReturnTileToTray(DraggedTile);
}

void Form1::Label2_DragDrop(int) {
    ReturnTileToTray(DraggedTile);
}

// ---- Placing --------------------------------------------------------------------------------

void Form1::PlaceOnReaction(std::int16_t reaction) {
    ReactionSlot &slot = Reactions.at(static_cast<std::size_t>(reaction));
    if (slot.Tile != NoTile) {
        ReturnTileToTray(slot.Tile);
    }
    slot.Tile = DraggedTile;
    Picture *dragged = tile(DraggedTile);
    const twips::Rect &size = dragged->twipGeometry();
    const QPointF corner =
        placement::slot(reaction, ui.ImgSyntactic.at(static_cast<std::size_t>(reaction))->twipGeometry(),
                        {size.width, size.height});
    dragged->moveTwips(static_cast<float>(corner.x()), static_cast<float>(corner.y()));
    ShowCoefficients(reaction);
}
