#include "about/frmabout.h"

#include "site.h"
#include "toolkit/centre.h"
#include "toolkit/cursors.h"
#include "toolkit/fonts.h"
#include "toolkit/link_click.h"
#include "toolkit/picture.h"
#include "toolkit/shape.h"
#include "toolkit/shell.h"
#include "toolkit/stored_icon.h"
#include "toolkit/twips.h"

#include <QCloseEvent>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {

const QString Caption = site::ExerciseTitle + QStringLiteral(", 2014");
const QString EmblemResource = QStringLiteral(":/pictures/emblem.svg");
const QString LogoCardResource = QStringLiteral(":/pictures/logo_card.svg");

constexpr float ClientWidth = 8055;
constexpr float ClientHeight = 5325;
constexpr twips::Rect CommentGeometry{60, 4080, 7995, 795};
constexpr twips::Rect CloseGeometry{3120, 4980, 1935, 315};
constexpr twips::Rect EmblemGeometry{2460, 420, 3195, 3195};
constexpr twips::Rect CreditGeometry{165, 1260, 3705, 1665};
constexpr twips::Rect WhiteSquareGeometry{60, 60, 4005, 4005};
constexpr twips::Rect LogoCardGeometry{4020, 60, 4005, 4005};
constexpr double CreditPoints = 24;
constexpr int NoBorder = 0;

const QColor DarkGrey(0x40, 0x40, 0x40);
const QColor White(0xFF, 0xFF, 0xFF);
const QColor Green(0x00, 0x80, 0x00);

const QString CloseCaption = QStringLiteral("OK");
const QString DoctorTitle = QStringLiteral("Δρ. ");
const QString ChemistTitle = QStringLiteral(", Χημικός");
const QString EmblemTip = QStringLiteral("κλικ για να συνδεθείτε με την ιστοσελίδα του Λυκείου Μιρτάνων");
const QString CreditTipStart = QStringLiteral("κλικ για να συνδεθείτε με τη συλλογή προγραμμάτων του");
const QString LogoCardTipStart = QStringLiteral("κλικ για να συνδεθείτε με την");

// The credit line keeps the window's colour as its own background but lets the white square show
// through; its height follows the wrapped text.
QLabel *makeCreditLine(QWidget *window) {
    auto *credit = new QLabel(DoctorTitle + site::AuthorName + ChemistTitle, window);
    credit->setObjectName(QStringLiteral("Label1"));
    credit->setFont(fonts::designFont(CreditPoints));
    credit->setAlignment(Qt::AlignCenter);
    credit->setWordWrap(true);
    QPalette creditPalette = credit->palette();
    creditPalette.setColor(QPalette::Window, DarkGrey);
    creditPalette.setColor(QPalette::WindowText, Green);
    credit->setPalette(creditPalette);
    const QRect area = twips::toPixels(CreditGeometry);
    credit->setGeometry(area.x(), area.y(), area.width(), credit->heightForWidth(area.width()));
    credit->setToolTip(CreditTipStart + u' ' + site::AuthorNameGenitive);
    return credit;
}

} // namespace

frmAbout::frmAbout(QWidget *parent) : QDialog(parent) {
    buildControls();
    Form_Load();
}

void frmAbout::buildControls() {
    setUpWindow();
    // Created back to front, so each control lies in front of those made before it.
    makeLinks();
    makeCloseButton();
    makeNoticeBox();
    // OK first, then the notice; OK has the focus when the window opens.
    setTabOrder(cmdClose, Comment);
    cmdClose->setFocus();
}

void frmAbout::setUpWindow() {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(Caption);
    setWindowIcon(storedIcon(site::WindowIconResource));
    // Fixed dialog border: a close box only, no resizing.
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                   Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFixedSize(twips::toPixels(ClientWidth, ClientHeight));
    setAutoFillBackground(true);
    QPalette windowPalette = palette();
    windowPalette.setColor(QPalette::Window, DarkGrey);
    setPalette(windowPalette);
}

// The logo card, the white square, the credit line and the emblem, back to front; the three pictures
// and the credit line open their web sites.
void frmAbout::makeLinks() {
    logo2 = new Picture(LogoCardResource, this, Picture::Fit::Stretch);
    logo2->setObjectName(QStringLiteral("logo2"));
    logo2->setTwipGeometry(LogoCardGeometry);
    logo2->setToolTip(LogoCardTipStart + u' ' + site::MakerSiteAddress);

    logo1 = new Shape(White, White, NoBorder, this);
    logo1->setObjectName(QStringLiteral("logo1"));
    logo1->setGeometry(twips::toPixels(WhiteSquareGeometry));

    Label1 = makeCreditLine(this);

    Image1 = new Picture(EmblemResource, this, Picture::Fit::NaturalSize);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setTwipGeometry(EmblemGeometry);
    Image1->setToolTip(EmblemTip);

    for (QWidget *link :
         {static_cast<QWidget *>(Image1), static_cast<QWidget *>(Label1), static_cast<QWidget *>(logo2)}) {
        link->setCursor(cursors::hand());
    }
    new LinkClick(Image1, [this] { Image1_Click(); });
    new LinkClick(Label1, [this] { Label1_Click(); });
    new LinkClick(logo2, [this] { logo2_Click(); });
}

void frmAbout::makeCloseButton() {
    cmdClose = new QPushButton(CloseCaption, this);
    cmdClose->setObjectName(QStringLiteral("cmdClose"));
    cmdClose->setGeometry(twips::toPixels(CloseGeometry));
    cmdClose->setAutoDefault(false);
    cmdClose->setDefault(false);
    connect(cmdClose, &QPushButton::clicked, this, &frmAbout::cmdClose_Click);
}

void frmAbout::makeNoticeBox() {
    Comment = new QPlainTextEdit(this);
    Comment->setObjectName(QStringLiteral("Comment"));
    Comment->setGeometry(twips::toPixels(CommentGeometry));
    Comment->setReadOnly(true);
    Comment->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    Comment->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Comment->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Comment->setTabChangesFocus(true);
}

void frmAbout::Form_Load() {
    // The outer size counts the window's frame, which the desktop knows once the window exists.
    create();
    centreOnScreen(this);
    notice_ = site::AboutNotice;
    Comment->setPlainText(notice_);
}

void frmAbout::cmdClose_Click() {
    accept();
}

void frmAbout::Image1_Click() {
    OpenInShell(site::SchoolHomeAddress, SW_SHOWNORMAL);
}

void frmAbout::Label1_Click() {
    OpenInShell(site::CollectionAddress, SW_SHOWNORMAL);
}

void frmAbout::logo2_Click() {
    OpenInShell(site::MakerAddress, SW_SHOWNORMAL);
}

void frmAbout::keyPressEvent(QKeyEvent *event) {
    if (event->matches(QKeySequence::Cancel)) {
        // Escape leaves the window open: only OK and the close box close it.
        event->accept();
        return;
    }
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        // There is no default button: Enter presses only the button that has the focus.
        if (auto *button = qobject_cast<QPushButton *>(focusWidget())) {
            button->click();
            event->accept();
        } else {
            event->ignore();
        }
        return;
    }
    QDialog::keyPressEvent(event);
}

void frmAbout::closeEvent(QCloseEvent *event) {
    // The close box unloads the window just as OK does.
    if (isVisible()) {
        accept();
    }
    event->accept();
}
