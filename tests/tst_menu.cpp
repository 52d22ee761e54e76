// The menu commands that leave the exercise itself alone: Help, the worksheet, About, the divider
// and Exit, driven through the window's menu actions.

#include "about/frmabout.h"
#include "answers.h"
#include "exercise/form1.h"
#include "site.h"
#include "testkit.h"
#include "toolkit/fonts.h"
#include "toolkit/shell.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <functional>

using namespace testkit;

namespace {

constexpr int GuardMilliseconds = 5000;
constexpr int GuardExitCode = 99;
// The schemes of the addresses the menu commands open, all caught by the recorder.
const QStringList Schemes{QStringLiteral("http"), QStringLiteral("file")};

const QStringList HelpParagraphs{
    QStringLiteral("Σύρετε με πατημένο κλικ τις ενώσεις που βρίσκονται σε πράσινο πλαίσιο στο πάνω μέρος του "
                   "παραθύρου, πάνω στις αντίστοιχες αντιδράσεις που βρίσκονται σε κίτρινο πλαίσιο."),
    QStringLiteral(
        "Προσθέστε τους ακέραιους συντελεστές των αντιδράσεων ως αναλογίες μεταξύ των μορίων. Για να "
        "μετακινηθείτε από τον ένα συντελεστή στον άλλο πατήστε το πλήκτρο TAB."),
    QStringLiteral("Στην τελευταία αντίδραση δεκτοί συντελεστές είναι της μορφής ν, 2ν, 3ν-7, 4ν+5 κλπ."),
    QStringLiteral("Όταν τελειώσετε ζητήστε έλεγχο της προσπάθειάς σας."),
};
constexpr qsizetype HelpLength = 470;
// Where a school might host its own worksheet.
const QString HostedWorksheet =
    QStringLiteral("http://lyceum.example.org/Lessons/Chemistry/QZ/WS_KM_37.pdf?print=1#page=1");

} // namespace

class TestMenu : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        fonts::installSubstitutes();
        recorder_.listen(Schemes);
    }
    void cleanupTestCase() { recorder_.stopListening(); }
    void init() { recorder_.clear(); }

    void commandsLeaveTheExerciseAlone_data() {
        QTest::addColumn<QByteArray>("action");
        QTest::addColumn<QString>("modal");
        QTest::addColumn<int>("addresses");
        QTest::newRow("help") << QByteArray("mnuHelp") << "QMessageBox" << 0;
        QTest::newRow("worksheet") << QByteArray("mnuSheet") << "" << 1;
        QTest::newRow("about") << QByteArray("mnuAbout") << "frmAbout" << 0;
        QTest::newRow("divider") << QByteArray("mnuVSeperator") << "" << 0;
    }

    // Each command, given twice, does its own thing each time and changes nothing of the exercise.
    void commandsLeaveTheExerciseAlone() {
        QFETCH(QByteArray, action);
        QFETCH(QString, modal);
        QFETCH(int, addresses);
        Form1 form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        // Half done: a compound on the first reaction, a coefficient typed and a grade shown.
        dragTile(form, 1, centreOf(form, reaction(form, 0)));
        trigger(form, "mnuCheck");
        if (box(form, 0)->isVisible()) {
            typeInto(box(form, 0), QStringLiteral("2"));
        }
        const Snapshot before = snapshot(form);
        QVERIFY(before.gradeShown);

        ModalWatcher watcher;
        trigger(form, action.constData());
        trigger(form, action.constData());
        QCOMPARE(watcher.seen, (modal.isEmpty() ? QStringList() : QStringList{modal, modal}));
        QCOMPARE(recorder_.urls.size(), 2 * addresses);
        QVERIFY(form.isVisible());
        const Snapshot after = snapshot(form);
        QCOMPARE(mismatches(before, after), QStringList());
        QCOMPARE(after.gradeShown, before.gradeShown);
        QCOMPARE(after.gradeText, before.gradeText);
    }

    void menuKeys_data() {
        QTest::addColumn<QList<int>>("keys");
        QTest::addColumn<QString>("chosen"); // the command shown chosen, empty when the menu bar is closed
        QTest::addColumn<bool>("checked");
        QTest::newRow("F10 opens at the first command") << QList<int>{Qt::Key_F10} << "mnuHelp" << false;
        QTest::newRow("F10, Right, Right")
            << QList<int>{Qt::Key_F10, Qt::Key_Right, Qt::Key_Right} << "mnuRestart" << false;
        QTest::newRow("F10, Left goes round") << QList<int>{Qt::Key_F10, Qt::Key_Left} << "mnuExit" << false;
        QTest::newRow("F10 again closes")
            << QList<int>{Qt::Key_F10, Qt::Key_Right, Qt::Key_F10} << "" << false;
        QTest::newRow("Escape closes") << QList<int>{Qt::Key_F10, Qt::Key_Escape} << "" << false;
        QTest::newRow("Enter runs the command")
            << QList<int>{Qt::Key_F10, Qt::Key_Right, Qt::Key_Return} << "" << true;
        QTest::newRow("Alt, then F10 closes") << QList<int>{Qt::Key_Alt, Qt::Key_F10} << "" << false;
    }

    // F10 reaches the menu from the keyboard where Alt does not; closed, the menu bar gives the
    // keyboard back to the box that had it.
    void menuKeys() {
        QFETCH(QList<int>, keys);
        QFETCH(QString, chosen);
        QFETCH(bool, checked);
        Form1 form;
        QVERIFY(showActive(form));
        dragTile(form, RightKind.at(0), centreOf(form, reaction(form, 0)));
        QLineEdit *first = box(form, boxesOf(0).first());
        first->setFocus();
        QVERIFY(QTest::qWaitFor([&] { return first->hasFocus(); }));
        for (int key : keys) {
            QTest::keyClick(form.windowHandle(), Qt::Key(key),
                            key == Qt::Key_Alt ? Qt::AltModifier : Qt::NoModifier);
        }
        QMenuBar *bar = form.menuBar();
        if (chosen.isEmpty()) {
            QVERIFY(QTest::qWaitFor([&] { return first->hasFocus(); }));
            QVERIFY(bar->activeAction() == nullptr);
        } else {
            QVERIFY(bar->hasFocus());
            QVERIFY(bar->activeAction() != nullptr);
            QCOMPARE(bar->activeAction()->objectName(), chosen);
        }
        QCOMPARE(snapshot(form).gradeShown, checked);
    }

    void helpBox() {
        Form1 form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QString title;
        QString text;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QMessageBox::StandardButtons standard;
        qsizetype buttonCount = 0;
        bool closedByOk = false;
        ModalWatcher watcher([&](QWidget *modal) {
            auto *box = qobject_cast<QMessageBox *>(modal);
            if (box == nullptr) {
                return;
            }
            title = box->windowTitle();
            text = box->text();
            icon = box->icon();
            standard = box->standardButtons();
            buttonCount = box->buttons().size();
            if (QAbstractButton *ok = box->button(QMessageBox::Ok)) {
                QTest::mouseClick(ok, Qt::LeftButton);
                closedByOk = !box->isVisible();
            }
        });
        trigger(form, "mnuHelp");
        QCOMPARE(watcher.seen, QStringList{QStringLiteral("QMessageBox")});
        QCOMPARE(title, QStringLiteral("Βοήθεια"));
        QCOMPARE(text, HelpParagraphs.join(QStringLiteral("\r\n")));
        QCOMPARE(text.size(), HelpLength);
        QCOMPARE(icon, QMessageBox::Information);
        QCOMPARE(standard, QMessageBox::StandardButtons(QMessageBox::Ok));
        QCOMPARE(buttonCount, 1);
        QVERIFY(closedByOk);
    }

    // The command hands over the address of this build's setting: by default the worksheet shipped
    // with the program, found beside the program as it runs from the build tree.
    void worksheetAddress() {
        Form1 form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        ModalWatcher watcher;
        trigger(form, "mnuSheet");
        QCOMPARE(watcher.seen, QStringList());
        QCOMPARE(recorder_.urls.size(), 1);
#ifdef _WIN32
        QCOMPARE(recorder_.showCommands, QList<int>{SW_SHOW});
        QCOMPARE(recorder_.strayCalls, 0);
#endif
        const QUrl opened = recorder_.urls.constFirst();
        if (!site::WorksheetSetting.isEmpty()) {
            QCOMPARE(opened.toString(QUrl::FullyEncoded), site::WorksheetSetting);
            return;
        }
        QVERIFY2(opened.isLocalFile(), qPrintable(opened.toString()));
        QVERIFY(!opened.hasQuery() && !opened.hasFragment());
        const QFileInfo sheet(opened.toLocalFile());
        QVERIFY2(sheet.isFile(), qPrintable(sheet.filePath()));
        QCOMPARE(sheet.fileName(), QStringLiteral("worksheet.pdf"));
        QFile file(sheet.filePath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.read(5), QByteArray("%PDF-"));
    }

    void worksheetAddressForSetting_data() {
        QTest::addColumn<QString>("setting");
        QTest::addColumn<QString>("programFolder");
        QTest::addColumn<QString>("expected");
#ifdef _WIN32
        // The worksheet lies beside the program, installed or unpacked from the portable zip.
        QTest::newRow("installed in Program Files")
            << ""
            << "C:/Program Files/alkyne-combustion"
            << "file:///C:/Program%20Files/alkyne-combustion/worksheet.pdf";
        QTest::newRow("unpacked on a USB stick, in a Greek folder")
            << ""
            << "E:/Χημεία/alkyne-combustion"
            << "file:///E:/%CE%A7%CE%B7%CE%BC%CE%B5%CE%AF%CE%B1/alkyne-combustion/worksheet.pdf";
#else
        QTest::newRow("installed in /usr/bin") << ""
                                               << "/usr/bin"
                                               << "file:///usr/share/alkyne-combustion/worksheet.pdf";
        QTest::newRow("installed under /opt") << ""
                                              << "/opt/school/bin"
                                              << "file:///opt/school/share/alkyne-combustion/worksheet.pdf";
        QTest::newRow("build tree in a folder with a space and Greek")
            << ""
            << "/home/μαθητής/my builds/bin"
            << "file:///home/%CE%BC%CE%B1%CE%B8%CE%B7%CF%84%CE%AE%CF%82/my%20builds/share/alkyne-combustion/"
               "worksheet.pdf";
#endif
        QTest::newRow("hosted by the school, kept as it is")
            << HostedWorksheet << QCoreApplication::applicationDirPath() << HostedWorksheet;
    }

    void worksheetAddressForSetting() {
        QFETCH(QString, setting);
        QFETCH(QString, programFolder);
        QFETCH(QString, expected);
        const QString address = site::worksheetAddress(setting, programFolder);
        QCOMPARE(address, expected);
        // What the shell does with it: a valid address that parses back to the same one.
        const QUrl url(address, QUrl::StrictMode);
        QVERIFY(url.isValid());
        QCOMPARE(url.toString(QUrl::FullyEncoded), expected);
    }

    void aboutIsModalAndNewEachTime() {
        Form1 form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        constexpr auto Mark = "openedBefore";
        QList<QPointer<QWidget>> shown;
        QList<bool> markedBefore;
        QList<bool> appModal;
        ModalWatcher watcher([&](QWidget *modal) {
            shown << modal;
            markedBefore << modal->property(Mark).isValid();
            appModal << (modal->windowModality() == Qt::ApplicationModal);
            modal->setProperty(Mark, true);
            if (auto *ok = modal->findChild<QPushButton *>(QStringLiteral("cmdClose"))) {
                QTest::mouseClick(ok, Qt::LeftButton);
            }
        });
        trigger(form, "mnuAbout");
        QCOMPARE(shown.size(), 1);
        QVERIFY(shown.constFirst().isNull()); // closed and gone with its command
        trigger(form, "mnuAbout");
        QCOMPARE(watcher.seen, (QStringList{QStringLiteral("frmAbout"), QStringLiteral("frmAbout")}));
        QCOMPARE(markedBefore, (QList<bool>{false, false}));
        QCOMPARE(appModal, (QList<bool>{true, true}));
        QVERIFY(form.isVisible());
    }

    void modalWindowsStayAboveTheMainWindow_data() {
        QTest::addColumn<QByteArray>("command");
        QTest::newRow("Help") << QByteArray("mnuHelp");
        QTest::newRow("About") << QByteArray("mnuAbout");
    }

    // A window the desktop does not know to belong to the main window can sink behind it when the
    // pupil clicks the main window, which then takes no input while nothing on the screen does.
    void modalWindowsStayAboveTheMainWindow() {
        QFETCH(QByteArray, command);
        Form1 form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QWidget *owner = nullptr;
        QWindow *transientParent = nullptr;
        ModalWatcher watcher([&](QWidget *modal) {
            owner = modal->parentWidget();
            transientParent = modal->windowHandle()->transientParent();
            modal->close();
        });
        trigger(form, command.constData());
        QCOMPARE(watcher.seen.size(), 1);
        QCOMPARE(owner, &form);
        QCOMPARE(transientParent, form.windowHandle());
    }

    void exitEndsTheProgram_data() {
        QTest::addColumn<bool>("closeBox");
        QTest::addColumn<bool>("otherWindow");
        QTest::newRow("Exit command") << false << false;
        QTest::newRow("close box") << true << false;
        // Not merely the last window closing: the program ends even while another window is open.
        QTest::newRow("Exit command beside another window") << false << true;
        QTest::newRow("close box beside another window") << true << true;
    }

    void exitEndsTheProgram() {
        QFETCH(bool, closeBox);
        QFETCH(bool, otherWindow);
        QWidget other;
        if (otherWindow) {
            other.show();
            QVERIFY(QTest::qWaitForWindowExposed(&other));
        }
        Form1 form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QTimer::singleShot(0, &form, [&] {
            if (closeBox) {
                form.close();
            } else {
                trigger(form, "mnuExit");
            }
        });
        QTimer guard;
        guard.setSingleShot(true);
        guard.callOnTimeout([] { QCoreApplication::exit(GuardExitCode); });
        guard.start(GuardMilliseconds);
        const int code = QApplication::exec();
        QCOMPARE(code, 0);
        QVERIFY(!form.isVisible());
    }

private:
    UrlRecorder recorder_;
};

QTEST_MAIN(TestMenu)
#include "tst_menu.moc"
