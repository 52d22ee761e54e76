#include "toolkit/centre.h"
#include "toolkit/page.h"
#include "toolkit/report.h"
#include "toolkit/viewport_fit.h"

#include <QAccessible>
#include <QApplication>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPointer>
#include <QScopedValueRollback>
#include <QScreen>
#include <QStyleHints>
#include <QWidget>
#include <QWindow>
#include <QtGui/private/qevent_p.h>
#include <QtGui/private/qeventpoint_p.h>
#include <QtGui/private/qhighdpiscaling_p.h>
#include <qpa/qplatformwindow.h>
#include <qpa/qwindowsysteminterface.h>

#include <utility>

#include <emscripten/bind.h>
#include <emscripten/html5.h>
#include <emscripten/val.h>

namespace page {

namespace {

QPointer<QWidget> fitted;
bool refitting = false;

QSizeF viewportSize() {
    const emscripten::val window = emscripten::val::global("window");
    return {window["innerWidth"].as<double>(), window["innerHeight"].as<double>()};
}

// Tells the accessibility layer that a control's place on the page changed, so that what a screen
// reader explores by touch lies over the control.
void reportLocation(QObject *object) {
    QAccessibleEvent event(object, QAccessible::LocationChanged);
    QAccessible::updateAccessibility(&event);
}

// After a new fit every control's accessible place is set again, in the page's new pixels.
void relocateAll() {
    if (!QAccessible::isActive()) {
        return;
    }
    for (QWidget *window : QApplication::topLevelWidgets()) {
        reportLocation(window);
        for (QWidget *control : window->findChildren<QWidget *>()) {
            reportLocation(control);
        }
    }
}

// Scales everything on the screen by the factor that fits the main window: Qt draws the windows at
// that factor times the device's own pixel ratio, so pictures and text stay sharp at any size.
void refit() {
    if (fitted.isNull() || refitting) {
        return;
    }
    const QScopedValueRollback busy(refitting, true); // scaling changes the screen, which calls back
    QScreen *screen = fitted->screen() ? fitted->screen() : QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return;
    }
    const double scale = fitScale(viewportSize(), fitted->frameGeometry().size().toSizeF());
    if (!qFuzzyCompare(QHighDpiScaling::factor(screen), scale)) {
        QHighDpiScaling::setScreenFactor(screen, scale);
    }
    // Qt keeps each window's logical geometry: the windows already shown get their new size on the
    // page, and their new pixel ratio, at once.
    for (QWindow *window : QGuiApplication::topLevelWindows()) {
        if (window->handle() != nullptr) {
            window->handle()->setGeometry(QHighDpi::toNativeWindowGeometry(window->geometry(), window));
            QWindowSystemInterface::handleWindowDevicePixelRatioChanged<
                QWindowSystemInterface::SynchronousDelivery>(window);
        }
    }
    centreOnScreen(fitted);
    relocateAll();
}

// Four mends to what the browser's Qt does, applied to each event before any window or control sees
// it:
// - Qt for WebAssembly gives a window's mouse events a position in the window measured from the
//   window's unscaled place on the screen, which is right only while nothing is scaled; their position
//   on the screen is right. Each mouse event from the pointer is set right from that (a finger's, which
//   Qt makes from touch points, is right already).
// - Qt takes a finger's press for the second of a double tap whenever it comes within the double-click
//   interval of the last press, wherever it lands: a tile touched just after a tap in a box would get
//   a double click instead of its press, and stay where it was. A press that far from the last one is a
//   press, and the double click Qt makes of it is dropped.
// - A control that moves or changes size tells the accessibility layer, which places its element on
//   the page only when it is shown otherwise.
// - A window that Qt finds at a new device pixel ratio is fitted again, which sizes its canvas for the
//   ratio, before Qt paints it whole (see watchPixelRatio).
class PageEventMend : public QObject {
protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
            break;
        case QEvent::Move:
        case QEvent::Resize:
            if (watched->isWidgetType() && QAccessible::isActive()) {
                reportLocation(watched);
            }
            return false;
        case QEvent::DevicePixelRatioChange:
            // Qt's own word of a new ratio, at its next repaint, where the browser did not tell the
            // page (Chromium's emulation going back to ratio 1); the word a fit itself gives is ignored,
            // as refit does nothing while it fits.
            if (watched->isWindowType()) {
                refit();
            }
            return false;
        default:
            return false;
        }
        auto *window = qobject_cast<QWindow *>(watched);
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (window == nullptr || mouse->pointCount() != 1) {
            return false;
        }
        if (mouse->source() == Qt::MouseEventNotSynthesized) {
            const QPointF local = window->mapFromGlobal(mouse->globalPosition());
            QMutableEventPoint::setPosition(mouse->point(0), local);
            QMutableEventPoint::setScenePosition(mouse->point(0), local);
        }
        return dropFarDoubleClick(mouse);
    }

private:
    // Whether the event is a double click to drop; a press too far from the last one loses its mark of
    // a double click.
    bool dropFarDoubleClick(QMouseEvent *mouse) {
        if (mouse->type() == QEvent::MouseButtonDblClick) {
            return std::exchange(dropNextDoubleClick, false);
        }
        if (mouse->type() != QEvent::MouseButtonPress) {
            return false;
        }
        const QPointF at = mouse->globalPosition();
        const QPointF last = std::exchange(lastPress, at);
        const QStyleHints *hints = QGuiApplication::styleHints();
        const int reach = mouse->source() == Qt::MouseEventNotSynthesized ? hints->mouseDoubleClickDistance()
                                                                          : hints->touchDoubleTapDistance();
        dropNextDoubleClick = QMutableSinglePointEvent::isDoubleClick(mouse) &&
                              (qAbs(at.x() - last.x()) > reach || qAbs(at.y() - last.y()) > reach);
        if (dropNextDoubleClick) {
            QMutableSinglePointEvent::setDoubleClick(mouse, false);
        }
        return false;
    }

    QPointF lastPress;
    bool dropNextDoubleClick = false;
};

bool onResize(int, const EmscriptenUiEvent *, void *) {
    refit();
    return false;
}

// A new device pixel ratio with the same viewport (the browser's window taken to another screen): Qt
// for WebAssembly hears of it only at its next repaint, and then paints only what that repaint covers,
// on a canvas still sized for the old ratio. The page hears it at once, through a media query on the
// ratio it has, asked again for each new one: a fit sizes the canvases for the new ratio and tells Qt,
// which then paints each window whole.
void watchPixelRatio() {
    const emscripten::val window = emscripten::val::global("window");
    const std::string ratio = emscripten::val::global("String")(window["devicePixelRatio"]).as<std::string>();
    const emscripten::val query =
        window.call<emscripten::val>("matchMedia", "(resolution: " + ratio + "dppx)");
    emscripten::val once = emscripten::val::object();
    once.set("once", true);
    query.call<void>("addEventListener", std::string("change"),
                     emscripten::val::module_property("alkynePixelRatioChanged"), once);
}

void pixelRatioChanged(emscripten::val) {
    watchPixelRatio();
    refit();
}

// Qt for WebAssembly makes the page's accessibility elements when a screen reader's user switches them on
// (the page's hidden button), each with its control's name, but gives a text box's element its text only
// as the text changes: a box that holds text by then (an attempt resumed as the program started) would
// read as empty. Once they are on, each box's text is told again.
void tellBoxTexts(emscripten::val) {
    for (QWidget *window : QApplication::topLevelWidgets()) {
        for (QLineEdit *box : window->findChildren<QLineEdit *>()) {
            if (!box->text().isEmpty()) {
                QAccessibleTextCursorEvent event(box, box->cursorPosition());
                QAccessible::updateAccessibility(&event);
            }
        }
    }
}

// Heard after Qt's own handler of the switch, which makes the elements.
void listenForScreenReader() {
    const emscripten::val host =
        emscripten::val::global("document")
            .call<emscripten::val>("querySelector", std::string("#qt-shadow-container"));
    const emscripten::val root = host.isNull() ? host : host["shadowRoot"];
    if (root.isNull() || root.isUndefined()) {
        return;
    }
    const emscripten::val buttons = root.call<emscripten::val>(
        "querySelectorAll", std::string("button.hidden-visually-read-by-screen-reader"));
    for (int i = 0; i < buttons["length"].as<int>(); ++i) {
        buttons[i].call<void>("addEventListener", std::string("click"),
                              emscripten::val::module_property("alkyneTellBoxTexts"));
    }
}

// Tells the page's script what the program did: an event on the page's document, with `detail`.
void dispatchToPage(const std::string &name, const emscripten::val &detail = emscripten::val::null()) {
    emscripten::val options = emscripten::val::object();
    options.set("detail", detail);
    const emscripten::val event = emscripten::val::global("CustomEvent").new_(name, options);
    emscripten::val::global("document").call<bool>("dispatchEvent", event);
}

} // namespace

void showFitted(QWidget *mainWindow) {
    fitted = mainWindow;
    static PageEventMend mend;
    qApp->installEventFilter(&mend);
    mainWindow->setWindowFlag(Qt::FramelessWindowHint);
    refit();
    mainWindow->showNormal();
    listenForScreenReader();
    // The browser's Qt learns of a new viewport a moment after the page does, and then moves the
    // screen, and the window with it: the window is fitted and centred again then.
    QObject::connect(mainWindow->screen(), &QScreen::geometryChanged, mainWindow, [] { refit(); });
    emscripten_set_resize_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, false, onResize);
    watchPixelRatio();
}

void announceEnd() {
    dispatchToPage("exerciseended");
}

} // namespace page

EMSCRIPTEN_BINDINGS(alkyne_page) {
    emscripten::function("alkyneTellBoxTexts", &page::tellBoxTexts);
    emscripten::function("alkynePixelRatioChanged", &page::pixelRatioChanged);
}

// The page hears each grade, and the attempt after each change, in the detail of an event, and passes them
// to a learning platform.
void reportGrade(int percent, const std::vector<ReportedAnswer> &answers) {
    emscripten::val detail = emscripten::val::object();
    detail.set("grade", percent);
    emscripten::val list = emscripten::val::array();
    for (const ReportedAnswer &answer : answers) {
        emscripten::val item = emscripten::val::object();
        item.set("id", answer.id.toStdString());
        item.set("response", answer.response.toStdString());
        item.set("right", answer.right);
        list.call<void>("push", item);
    }
    detail.set("answers", list);
    page::dispatchToPage("exercisegraded", detail);
}

void reportAttempt(const QString &attempt) {
    emscripten::val detail = emscripten::val::object();
    detail.set("attempt", attempt.toStdString());
    page::dispatchToPage("exercisechanged", detail);
}

// Asked as an event whose detail the page fills while it hears it: events are heard as they are dispatched.
// Anything but a text of a kept attempt's length is no attempt.
QString keptAttempt() {
    constexpr int LongestKept = 4096;
    emscripten::val detail = emscripten::val::object();
    detail.set("attempt", emscripten::val::null());
    page::dispatchToPage("exercisestarted", detail);
    const emscripten::val kept = detail["attempt"];
    if (!kept.isString() || kept["length"].as<int>() > LongestKept) {
        return {};
    }
    return QString::fromStdString(kept.as<std::string>());
}
