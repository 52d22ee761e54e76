#include "exercise/form1.h"

#include "about/frmabout.h"
#include "exercise/facts.h"
#include "exercise/grading.h"
#include "exercise/help_text.h"
#include "exercise/keyboard_placing.h"
#include "exercise/placement.h"
#include "exercise/reported_answers.h"
#include "exercise/tray.h"
#include "site.h"
#include "toolkit/cursors.h"
#include "toolkit/manual_drag.h"
#include "toolkit/modal.h"
#include "toolkit/picture.h"
#include "toolkit/report.h"
#include "toolkit/shape.h"
#include "toolkit/shell.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QScopedValueRollback>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <memory>

namespace {

using facts::BoxCount;
using facts::BoxesPerReaction;
using facts::KindCount;
using facts::ReactionCount;
using facts::TileCount;

const QString PlacedTileTip = QStringLiteral("αφαιρέστε το με διπλό κλικ");
const QString TrayTileTip = QStringLiteral("η μεταφορά ξεκινάει με πατημένο κλικ");

template <typename Controls> int indexOf(const Controls &controls, const QObject *control) {
    const auto found = std::find(controls.begin(), controls.end(), control);
    return found == controls.end() ? -1 : static_cast<int>(found - controls.begin());
}

} // namespace

Form1::Form1(QWidget *parent) : Form1(std::random_device{}(), parent) {}

Form1::Form1(std::uint32_t seed, QWidget *parent) : QMainWindow(parent), random_(seed) {
    form1::setupControls(this, ui_);
    drag_ = new ManualDrag(ui_.client);
    connect(drag_, &ManualDrag::dragOver, this,
            [this](QWidget *surface, QPointF pointer) { routeDrag(surface, pointer, false); });
    connect(drag_, &ManualDrag::dropped, this,
            [this](QWidget *surface, QPointF pointer) { routeDrag(surface, pointer, true); });
    // Released outside the client area, or the mouse lost: no surface takes the tile, so it goes home.
    connect(drag_, &ManualDrag::abandoned, this, [this] { ReturnTileToTray(DraggedTile); });

    connectCommand(ui_.mnuHelp, &Form1::mnuHelp_Click);
    connectCommand(ui_.mnuCheck, &Form1::mnuCheck_Click);
    connectCommand(ui_.mnuRestart, &Form1::mnuRestart_Click);
    connectCommand(ui_.mnuSheet, &Form1::mnuSheet_Click);
    connectCommand(ui_.mnuAbout, &Form1::mnuAbout_Click);
    connectCommand(ui_.mnuExit, &Form1::mnuExit_Click);
    for (int n = 0; n < KindCount; ++n) {
        connectTile(n);
    }
    for (QLineEdit *coefficient : ui_.tCoefficient) {
        coefficient->installEventFilter(this);
        // The pupil's own edits only: the window's emptying of boxes is part of a command, reported after it.
        connect(coefficient, &QLineEdit::textEdited, this, &Form1::ReportAttempt);
    }
    Form_Load();
    connectKeyboard();
}

Form1::~Form1() {
    // Both report to the handlers: they go before the parts of the window that the handlers use.
    delete keyboardPlacing_;
    delete drag_;
}

void Form1::connectCommand(QAction *item, void (Form1::*command)()) {
    connect(item, &QAction::triggered, this, [this, command] {
        drag_->abandon();
        (this->*command)();
    });
}

// ---- Start and stop -------------------------------------------------------------------------

void Form1::Form_Load() {
    {
        const QScopedValueRollback settingUp(quiet_, true);
        CreateTiles();
        mnuRestart_Click();
        if (const auto kept = attempt::fromText(keptAttempt())) {
            ResumeAttempt(*kept);
        }
    }
    ReportAttempt();
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
    for (int r = 0; r < ReactionCount; ++r) {
        Reactions.at(r) = {facts::PointsForCompound, static_cast<std::int16_t>(facts::LackingCompound.at(r)),
                           facts::NoTile};
    }
    for (int n = KindCount; n < TileCount; ++n) {
        ui_.ImgMolecular.at(n) = form1::copyTile(ui_, n);
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
    const int column = TrayColumn.at(tileIndex % KindCount);
    const QPointF place = tray::place(column, twipGeometry(ui_.Container), model.width, model.height);
    tile(tileIndex)->moveTwips(static_cast<float>(place.x()), static_cast<float>(place.y()));
    tile(tileIndex)->setAccessibleDescription(spoken::tileInTray());
}

// ---- Coefficient boxes ----------------------------------------------------------------------

void Form1::HideCoefficients(std::int16_t reaction) {
    const int first = facts::boxIndex(reaction, 0);
    const int focused = indexOf(ui_.tCoefficient, focusWidget());
    if (focused >= first && focused < first + BoxesPerReaction) {
        FocusNextVisibleBox(focused, first, first + BoxesPerReaction);
    }
    for (int position = facts::firstPosition(reaction); position < BoxesPerReaction; ++position) {
        QLineEdit *coefficient = box(facts::boxIndex(reaction, position));
        // A context menu left open would still paste into the box, or undo its emptying.
        for (QMenu *menu : coefficient->findChildren<QMenu *>(Qt::FindDirectChildrenOnly)) {
            menu->close();
        }
        coefficient->setText(QString());
        coefficient->hide();
    }
    form1::nameBoxes(ui_, reaction, std::nullopt);
}

void Form1::ShowCoefficients(std::int16_t reaction) {
    // Qt hands the focus back to a hidden control that had it once the control is shown again.
    if (const int focused = indexOf(ui_.tCoefficient, focusWidget());
        focused >= 0 && !box(focused)->isVisibleTo(this)) {
        FocusNextVisibleBox(focused, focused, focused + 1);
    }
    for (int position = facts::firstPosition(reaction); position < BoxesPerReaction; ++position) {
        box(facts::boxIndex(reaction, position))->show();
    }
}

void Form1::FocusNextVisibleBox(int from, int skipFirst, int skipEnd) {
    // A hidden box never takes input: the keyboard goes on to the next box that stays visible,
    // or to the window when none does.
    QWidget *next = this;
    for (int step = 1; step < BoxCount; ++step) {
        const int k = (from + step) % BoxCount;
        if ((k < skipFirst || k >= skipEnd) && box(k)->isVisibleTo(this)) {
            next = box(k);
            break;
        }
    }
    next->setFocus(Qt::OtherFocusReason);
}

bool Form1::eventFilter(QObject *watched, QEvent *event) {
    // The menu bar gives the keyboard back to the control that had it before its keyboard
    // navigation, even when a command has hidden that control meanwhile.
    const int k = indexOf(ui_.tCoefficient, qobject_cast<QWidget *>(watched));
    const bool input = event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease ||
                       event->type() == QEvent::InputMethod;
    if (k >= 0 && input && !box(k)->isVisibleTo(this)) {
        FocusNextVisibleBox(k, k, k + 1);
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

// ---- Menu commands --------------------------------------------------------------------------

void Form1::mnuHelp_Click() {
    runModal(std::make_unique<QMessageBox>(QMessageBox::Information, help_text::HelpTitle,
                                           help_text::HelpText, QMessageBox::Ok, this));
}

void Form1::mnuCheck_Click() {
    grading::Answers answers;
    for (int r = 0; r < ReactionCount; ++r) {
        grading::Answer &answer = answers.at(r);
        if (const std::int16_t placed = Reactions.at(r).Tile; placed != facts::NoTile) {
            answer.compound = facts::kindOfTile(placed);
        }
        for (int position = 0; position < BoxesPerReaction; ++position) {
            answer.boxTexts.at(position) = box(facts::boxIndex(r, position))->text();
        }
    }
    const grading::Verdicts verdicts = grading::judge(answers);
    std::vector<spoken::SentHome> sentHome;
    std::vector<int> emptied;
    for (std::int16_t r = 0; r < ReactionCount; ++r) {
        ReactionSlot &reaction = Reactions.at(r);
        const grading::Verdict &verdict = verdicts.at(r);
        if (verdict.compoundWrong) {
            sentHome.push_back({facts::kindOfTile(reaction.Tile), r});
            ReturnTileToTray(reaction.Tile);
            reaction.Tile = facts::NoTile;
            HideCoefficients(r);
        } else if (verdict.compoundRight && !verdict.coefficientsRight) {
            emptied.push_back(r);
            EmptyCoefficients(r);
        }
    }
    const int grade = grading::total(verdicts);
    lastGrade_ = grade;
    // Shown afresh, also when it was shown, so that every accessibility layer reads the new grade and
    // what the Check did: the browser's reads a status as it is shown.
    ui_.LGrade->hide();
    form1::setGradeCaption(ui_.LGrade, grading::caption(grade));
    ui_.LGrade->setAccessibleDescription(spoken::checked(sentHome, emptied));
    ui_.LGrade->show();
    // The grade is said once the command is over: a menu bar chosen from the keyboard hands the focus
    // back only after the command, and a screen reader would read that control instead.
    QTimer::singleShot(0, this, [this] {
        if (ui_.LGrade->isVisible()) {
            form1::sayAt(ui_.LGrade, ui_.LGrade->accessibleDescription());
        }
    });
    // The attempt first, so that whoever keeps it keeps it as this Check left it along with the grade.
    ReportAttempt();
    reportGrade(grade, reported_answers::compose(answers, verdicts));
}

void Form1::EmptyCoefficients(std::int16_t reaction) {
    // All four boxes of the reaction, whether or not it uses the first one.
    for (int position = 0; position < BoxesPerReaction; ++position) {
        box(facts::boxIndex(reaction, position))->setText(QString());
    }
}

void Form1::mnuRestart_Click() {
    // Uniform in [0, 1) with single precision, never 1.
    constexpr int UnusedBits = 8;
    constexpr int SinglePrecisionBits = 24;
    TrayColumn = tray::shuffleColumns(
        [this] { return std::ldexp(static_cast<double>(random_() >> UnusedBits), -SinglePrecisionBits); });
    DealTray();
    ReportAttempt();
}

void Form1::DealTray() {
    for (ReactionSlot &reaction : Reactions) {
        reaction.Tile = facts::NoTile;
    }
    for (std::int16_t r = 0; r < ReactionCount; ++r) {
        HideCoefficients(r);
    }
    for (Picture *t : ui_.ImgMolecular) {
        t->hide();
    }
    for (std::int16_t n = 0; n < TileCount; ++n) {
        ReturnTileToTray(n);
    }
    for (Picture *t : ui_.ImgMolecular) {
        t->show();
    }
    ui_.LGrade->hide();
}

void Form1::mnuSheet_Click() {
    OpenInShell(site::worksheetAddress(), SW_SHOW);
}

void Form1::mnuAbout_Click() {
    // Owned by the main window, so the desktop keeps it above the window it blocks.
    runModal(std::make_unique<frmAbout>(this));
}

void Form1::mnuExit_Click() {
    close();
}

// ---- Tiles ----------------------------------------------------------------------------------

void Form1::connectTile(int index) {
    Picture *t = tile(index);
    connect(t, &Picture::pressed, this,
            [this, index](Qt::MouseButton button) { ImgMolecular_MouseDown(index, button); });
    connect(t, &Picture::moved, this, [this, index] { ImgMolecular_MouseMove(index); });
    connect(t, &Picture::doubleClicked, this, [this, index] { ImgMolecular_DblClick(index); });
}

float Form1::trayLine() const {
    return twipGeometry(ui_.Container).top;
}

bool Form1::liesBelowTrayLine(int tileIndex) const {
    return tile(tileIndex)->twipGeometry().top > trayLine();
}

void Form1::bringToFront(Picture *control) {
    // Pictures come forward only among pictures and labels; the text boxes always stay in front.
    control->stackUnder(box(0));
}

void Form1::ImgMolecular_MouseDown(int index, Qt::MouseButton button) {
    if (drag_->isRunning()) {
        return; // one tile at a time: another button's press carries nothing more
    }
    if (PickUpTile(index)) {
        drag_->begin(tile(index), button, cursors::dragIcon(ui_.DropIcon->resource()));
    }
}

bool Form1::PickUpTile(int index) {
    if (liesBelowTrayLine(index)) {
        return false; // a placed tile is taken off with a double click
    }
    bringToFront(tile(index));
    DraggedTile = static_cast<std::int16_t>(index);
    ui_.LGrade->hide();
    ReportAttempt();
    return true;
}

void Form1::ImgMolecular_MouseMove(int index) {
    tile(index)->setToolTip(liesBelowTrayLine(index) ? PlacedTileTip : TrayTileTip);
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
    ui_.LGrade->hide();
    holder->Tile = facts::NoTile;
    ReturnTileToTray(static_cast<std::int16_t>(index));
    HideCoefficients(static_cast<std::int16_t>(holder - Reactions.begin()));
    ReportAttempt();
}

// ---- Dragging -------------------------------------------------------------------------------

void Form1::routeDrag(QWidget *surface, QPointF pointer, bool drop) {
    const twips::Rect at = surface == ui_.client ? twips::Rect{} : twipGeometry(surface);
    const float x = static_cast<float>(pointer.x()) - at.left;
    const float y = static_cast<float>(pointer.y()) - at.top;
    if (surface == ui_.client) {
        drop ? Form_DragDrop() : Form_DragOver(x, y);
    } else if (const int i = indexOf(ui_.ImgMolecular, surface); i >= 0) {
        drop ? ImgMolecular_DragDrop(i) : ImgMolecular_DragOver(i, x, y);
    } else if (const int r = indexOf(ui_.ImgSyntactic, surface); r >= 0) {
        drop ? ImgSyntactic_DragDrop(r) : ImgSyntactic_DragOver(r, x, y);
    } else if (const int k = indexOf(ui_.tCoefficient, surface); k >= 0) {
        drop ? tCoefficient_DragDrop(k) : tCoefficient_DragOver(k, x, y);
    } else if (surface == ui_.Label2) {
        drop ? Label2_DragDrop(form1::Label2Index) : Label2_DragOver(form1::Label2Index);
    } else if (drop) {
        // A surface that takes no drop, such as the grade: the tile goes home, as from outside.
        ReturnTileToTray(DraggedTile);
    }
}

void Form1::FollowPointer(const QWidget *surface, float x, float y) {
    const twips::Rect at = surface == ui_.client ? twips::Rect{} : twipGeometry(surface);
    Picture *dragged = tile(DraggedTile);
    const twips::Rect &size = dragged->twipGeometry();
    const QPointF corner = placement::hangingTile({at.left + x, at.top + y}, {size.width, size.height});
    dragged->moveTwips(static_cast<float>(corner.x()), static_cast<float>(corner.y()));
}

void Form1::Form_DragOver(float x, float y) {
    const QSizeF client(form1::ClientWidth, form1::ClientHeight);
    if (placement::inEdgeMargin({x, y}, {0, 0}, client)) {
        drag_->end();
        ReturnTileToTray(DraggedTile);
        return;
    }
    FollowPointer(ui_.client, x, y);
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
    FollowPointer(ui_.ImgSyntactic.at(index), x, y);
}

void Form1::ImgSyntactic_DragDrop(int index) {
    PlaceOnReaction(static_cast<std::int16_t>(index));
}

void Form1::tCoefficient_DragOver(int index, float x, float y) {
    FollowPointer(box(index), x, y);
}

void Form1::tCoefficient_DragDrop(int index) {
    PlaceOnReaction(static_cast<std::int16_t>(facts::reactionOfBox(index)));
}

void Form1::Label2_DragOver(int) {
    // The information text cannot be crossed: touching it sends the tile home.
    drag_->end();
    ReturnTileToTray(DraggedTile);
}

void Form1::Label2_DragDrop(int) {
    ReturnTileToTray(DraggedTile);
}

// ---- Placing --------------------------------------------------------------------------------

void Form1::PlaceOnReaction(std::int16_t reaction) {
    ReactionSlot &slot = Reactions.at(reaction);
    if (slot.Tile != facts::NoTile) {
        ReturnTileToTray(slot.Tile);
    }
    slot.Tile = DraggedTile;
    Picture *dragged = tile(DraggedTile);
    const twips::Rect &size = dragged->twipGeometry();
    const QPointF corner =
        placement::slot(reaction, ui_.ImgSyntactic.at(reaction)->twipGeometry(), {size.width, size.height});
    dragged->moveTwips(static_cast<float>(corner.x()), static_cast<float>(corner.y()));
    dragged->setAccessibleDescription(spoken::tileOnReaction(reaction));
    form1::nameBoxes(ui_, reaction, facts::kindOfTile(DraggedTile));
    ShowCoefficients(reaction);
    ReportAttempt();
}

// ---- The attempt kept between visits --------------------------------------------------------

attempt::Attempt Form1::CurrentAttempt() const {
    attempt::Attempt current;
    current.trayColumns = TrayColumn;
    for (int r = 0; r < ReactionCount; ++r) {
        current.placed.at(r) = Reactions.at(r).Tile;
    }
    for (int k = 0; k < BoxCount; ++k) {
        if (k != facts::UnusedBox) {
            current.boxTexts.at(k) = box(k)->text();
        }
    }
    current.lastGrade = lastGrade_;
    current.gradeShown = ui_.LGrade->isVisibleTo(this);
    return current;
}

void Form1::ResumeAttempt(const attempt::Attempt &kept) {
    if (!attempt::fromText(attempt::toText(kept))) {
        return; // not an attempt this window could have shown
    }
    drag_->abandon();
    {
        const QScopedValueRollback resuming(quiet_, true);
        TrayColumn = kept.trayColumns;
        DealTray();
        for (std::int16_t r = 0; r < ReactionCount; ++r) {
            if (const std::int16_t placed = kept.placed.at(r);
                placed != facts::NoTile && PickUpTile(placed)) {
                PlaceOnReaction(r);
                for (int position = facts::firstPosition(r); position < BoxesPerReaction; ++position) {
                    const int k = facts::boxIndex(r, position);
                    box(k)->setText(kept.boxTexts.at(k));
                }
            }
        }
        lastGrade_ = kept.lastGrade;
        if (lastGrade_) {
            form1::setGradeCaption(ui_.LGrade, grading::caption(*lastGrade_));
            ui_.LGrade->setVisible(kept.gradeShown);
        }
    }
    ReportAttempt();
}

void Form1::ReportAttempt() {
    if (quiet_) {
        return;
    }
    const QString current = attempt::toText(CurrentAttempt());
    if (current != reported_) {
        reported_ = current;
        reportAttempt(current);
    }
}

// ---- Keyboard -------------------------------------------------------------------------------

void Form1::connectKeyboard() {
    KeyboardPlacing::Window window;
    window.board = [this] { return KeyboardBoard(); };
    window.dragging = [this] { return drag_->isRunning(); };
    window.pickUp = [this](int index) { return PickUpTile(index); };
    window.drop = [this](int reaction) { ImgSyntactic_DragDrop(reaction); };
    window.putBack = [this] { ReturnTileToTray(DraggedTile); };
    window.takeOff = [this](int index) { ImgMolecular_DblClick(index); };
    keyboardPlacing_ = new KeyboardPlacing(ui_, menuBar(), std::move(window), this);
}

keyboard::Board Form1::KeyboardBoard() const {
    keyboard::Board board;
    board.columnOfKind = TrayColumn;
    for (const QObject *child : ui_.client->children()) {
        const int n = indexOf(ui_.ImgMolecular, child);
        if (n >= 0 && !liesBelowTrayLine(n)) {
            board.trayTilesBackToFront.push_back(n);
        }
    }
    for (int r = 0; r < ReactionCount; ++r) {
        board.placed.at(r) = Reactions.at(r).Tile;
    }
    return board;
}
