#include "testkit.h"

#include "toolkit/shell.h"

#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QTest>
#include <QWindow>
#include <private/qguiapplication_p.h>
#include <qpa/qplatformintegration.h>

#include <algorithm>

namespace testkit {

#ifdef _WIN32
namespace {
UrlRecorder *listening = nullptr;

void recordShellCall(void *owner, const wchar_t *verb, const wchar_t *file, int showCommand) {
    if (!listening) {
        return;
    }
    const QString target = QString::fromWCharArray(file);
    listening->urls << (QDir::isAbsolutePath(target) ? QUrl::fromLocalFile(QDir::fromNativeSeparators(target))
                                                     : QUrl(target));
    listening->showCommands << showCommand;
    if (owner != shell::desktopWindow() || QString::fromWCharArray(verb) != QLatin1String("open")) {
        ++listening->strayCalls;
    }
}
} // namespace

void UrlRecorder::listen(const QStringList &schemes) {
    schemes_ = schemes;
    listening = this;
    shell::setExecute(&recordShellCall);
}

void UrlRecorder::stopListening() {
    if (listening == this) {
        listening = nullptr;
    }
}
#else
void UrlRecorder::listen(const QStringList &schemes) {
    stopListening();
    schemes_ = schemes;
    for (const QString &scheme : schemes_) {
        QDesktopServices::setUrlHandler(scheme, this, "open");
    }
}

void UrlRecorder::stopListening() {
    for (const QString &scheme : std::as_const(schemes_)) {
        QDesktopServices::unsetUrlHandler(scheme);
    }
    schemes_.clear();
}
#endif

bool canActivateWindows() {
    return QGuiApplicationPrivate::platformIntegration()->hasCapability(
        QPlatformIntegration::WindowActivation);
}

CursorUnits cursorUnits(const QWidget &window) {
    const qreal ratio = window.devicePixelRatioF();
    if (!QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) {
        return {ratio, ratio};
    }
    const qreal output = qEnvironmentVariableIsSet("TEST_OUTPUT_SCALE")
                             ? qEnvironmentVariable("TEST_OUTPUT_SCALE").toDouble()
                             : 1.0;
    return {output, ratio / output};
}

bool showActive(QWidget &window) {
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) {
        return false;
    }
    if (canActivateWindows()) {
        window.activateWindow();
        return QTest::qWaitForWindowActive(&window);
    }
    // Not isActiveWindow(), which holds before the compositor's word has come.
    return QTest::qWaitFor([&] {
        return QGuiApplication::focusWindow() == window.windowHandle() &&
               QApplication::activeWindow() == &window;
    });
}

namespace {
constexpr int DragSteps = 4;
constexpr int WatchMilliseconds = 20;
} // namespace

ModalWatcher::ModalWatcher(std::function<void(QWidget *)> onModal) : onModal_(std::move(onModal)) {
    timer_.callOnTimeout([this] {
        QWidget *modal = QApplication::activeModalWidget();
        if (modal == nullptr) {
            return;
        }
        seen << QString::fromLatin1(modal->metaObject()->className());
        if (onModal_) {
            onModal_(modal);
        }
        if (modal->isVisible()) {
            modal->close();
        }
    });
    timer_.start(WatchMilliseconds);
}

Snapshot snapshot(const QWidget &form) {
    Snapshot s;
    for (int n = 0; n < TileCount; ++n) {
        s.tiles.at(n) = tile(form, n)->twipGeometry();
    }
    for (int k = 0; k < BoxCount; ++k) {
        s.shown.at(k) = box(form, k)->isVisibleTo(&form);
        s.texts.at(k) = box(form, k)->text();
    }
    const QWidget *grade = control(form, QStringLiteral("LGrade"));
    s.gradeShown = grade->isVisibleTo(&form);
    s.gradeText = grade->property("text").toString();
    return s;
}

QStringList mismatches(const Snapshot &expected, const Snapshot &actual) {
    QStringList found;
    for (int n = 0; n < TileCount; ++n) {
        const twips::Rect &e = expected.tiles.at(n);
        const twips::Rect &a = actual.tiles.at(n);
        if (!(e == a)) {
            found << QStringLiteral("tile %1 at (%2, %3), expected (%4, %5)")
                         .arg(n)
                         .arg(a.left)
                         .arg(a.top)
                         .arg(e.left)
                         .arg(e.top);
        }
    }
    for (int k = 0; k < BoxCount; ++k) {
        if (expected.shown.at(k) != actual.shown.at(k)) {
            found << QStringLiteral("box %1 %2").arg(k).arg(actual.shown.at(k) ? "shown" : "hidden");
        }
        if (expected.texts.at(k) != actual.texts.at(k)) {
            found << QStringLiteral("box %1 reads \"%2\", expected \"%3\"")
                         .arg(k)
                         .arg(actual.texts.at(k), expected.texts.at(k));
        }
    }
    return found;
}

QList<int> boxesOf(int reaction) {
    QList<int> boxes;
    for (int k = reaction == 4 ? 17 : 4 * reaction; k < 4 * reaction + 4; ++k) {
        boxes << k;
    }
    return boxes;
}

QString brokenRule(const QWidget &form, const Picture *inTransit) {
    std::array<int, KindCount> columnOfKind;
    std::array<int, ReactionCount> holder;
    columnOfKind.fill(-1);
    holder.fill(-1);
    for (int n = 0; n < TileCount; ++n) {
        const Picture *t = tile(form, n);
        const twips::Rect g = t->twipGeometry();
        if (g.width != TileWidth || g.height != TileHeight || !t->isVisible()) {
            return QStringLiteral("tile %1 is resized or hidden").arg(n);
        }
        if (t == inTransit) {
            continue;
        }
        const auto column = std::find(TrayLefts.begin(), TrayLefts.end(), g.left);
        if (g.top == TrayTop && column != TrayLefts.end()) {
            int &kindColumn = columnOfKind.at(n % KindCount);
            const int c = static_cast<int>(column - TrayLefts.begin());
            if (kindColumn >= 0 && kindColumn != c) {
                return QStringLiteral("tile %1 lies in tray column %2, its kind in column %3")
                    .arg(n)
                    .arg(c)
                    .arg(kindColumn);
            }
            kindColumn = c;
            continue;
        }
        const auto slot = std::find_if(Slots.begin(), Slots.end(),
                                       [&g](QPointF s) { return s.x() == g.left && s.y() == g.top; });
        if (slot == Slots.end()) {
            return QStringLiteral("tile %1 at (%2, %3) lies neither in the tray nor on a reaction")
                .arg(n)
                .arg(g.left)
                .arg(g.top);
        }
        int &slotHolder = holder.at(static_cast<std::size_t>(slot - Slots.begin()));
        if (slotHolder >= 0) {
            return QStringLiteral("tiles %1 and %2 share a reaction's slot").arg(slotHolder).arg(n);
        }
        slotHolder = n;
    }
    for (int a = 0; a < KindCount; ++a) {
        for (int b = a + 1; b < KindCount; ++b) {
            if (columnOfKind.at(a) >= 0 && columnOfKind.at(a) == columnOfKind.at(b)) {
                return QStringLiteral("kinds %1 and %2 share a tray column").arg(a).arg(b);
            }
        }
    }
    for (int r = 0; r < ReactionCount; ++r) {
        for (int k : boxesOf(r)) {
            if (box(form, k)->isVisible() != (holder.at(r) >= 0)) {
                return QStringLiteral("box %1 is %2 while reaction %3 %4")
                    .arg(k)
                    .arg(box(form, k)->isVisible() ? "shown" : "hidden")
                    .arg(r)
                    .arg(holder.at(r) >= 0 ? "holds a tile" : "is empty");
            }
        }
    }
    return box(form, UnusedBox)->isVisible() ? QStringLiteral("box 16 is shown") : QString();
}

QWidget *control(const QWidget &form, const QString &name) {
    auto *found = form.findChild<QWidget *>(name);
    if (found == nullptr) {
        qFatal("no control named %s", qPrintable(name));
    }
    return found;
}

Picture *tile(const QWidget &form, int n) {
    return qobject_cast<Picture *>(control(form, QStringLiteral("ImgMolecular_%1").arg(n)));
}

Picture *reaction(const QWidget &form, int r) {
    return qobject_cast<Picture *>(control(form, QStringLiteral("ImgSyntactic_%1").arg(r)));
}

QLineEdit *box(const QWidget &form, int k) {
    return qobject_cast<QLineEdit *>(control(form, QStringLiteral("tCoefficient_%1").arg(k)));
}

QWidget *client(const QWidget &form) {
    return control(form, QStringLiteral("client"));
}

void trigger(const QWidget &form, const char *action) {
    auto *item = form.findChild<QAction *>(QLatin1String(action));
    if (item == nullptr) {
        qFatal("no menu command named %s", action);
    }
    item->trigger();
}

qsizetype depth(const QWidget *control) {
    return control->parentWidget()->children().indexOf(control);
}

QPoint windowPoint(const QWidget &form, QPointF clientTwips) {
    const QPoint pixels(qRound(clientTwips.x() / twips::PerPixel), qRound(clientTwips.y() / twips::PerPixel));
    return client(form)->mapTo(&form, pixels);
}

Picture *tileUnder(const QWidget &form, QPoint windowPosition) {
    QWidget *area = client(form);
    return qobject_cast<Picture *>(area->childAt(area->mapFrom(&form, windowPosition)));
}

QPoint centreOf(const QWidget &form, const QWidget *control) {
    return control->mapTo(&form, control->rect().center());
}

int topTileOfKind(const QWidget &form, int kind) {
    for (int n = kind; n < TileCount; n += KindCount) {
        if (tile(form, n)->twipGeometry().top <= TrayLine) {
            const Picture *hit = tileUnder(form, centreOf(form, tile(form, n)));
            return hit->objectName().section(QLatin1Char('_'), 1).toInt();
        }
    }
    qFatal("no tile of kind %d left in the tray", kind);
}

void press(const QWidget &form, QPoint at, Qt::MouseButton button) {
    QTest::mousePress(form.windowHandle(), button, Qt::NoModifier, at);
}

void moveTo(const QWidget &form, QPoint at, Qt::MouseButton held) {
    // QTest keeps the pressed buttons between calls, so a move while a button is held is a drag.
    Q_UNUSED(held)
    QTest::mouseMove(form.windowHandle(), at);
}

void release(const QWidget &form, QPoint at, Qt::MouseButton button) {
    QTest::mouseRelease(form.windowHandle(), button, Qt::NoModifier, at);
}

void doubleClick(const QWidget &form, QPoint at) {
    QTest::mouseDClick(form.windowHandle(), Qt::LeftButton, Qt::NoModifier, at);
}

void dragTile(const QWidget &form, int n, QPoint to, Qt::MouseButton button) {
    const QPoint from = centreOf(form, tile(form, n));
    press(form, from, button);
    for (int step = 1; step <= DragSteps; ++step) {
        moveTo(form, from + (to - from) * step / DragSteps, button);
    }
    release(form, to, button);
}

void typeInto(QLineEdit *box, const QString &text) {
    box->setFocus();
    box->selectAll();
    QTest::keyClick(box, Qt::Key_Delete);
    // Key by key with the character as the key's text, so Greek letters type like Latin ones.
    for (const QChar c : text) {
        QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

} // namespace testkit
