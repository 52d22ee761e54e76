#include "toolkit/shell.h"

#include <QUrl>

#include <emscripten/val.h>

// In the browser the page's own addresses (the worksheet beside it, given relative to the page) and web
// pages open in a new tab. The new tab gets no hold on this page (noopener), and no address but a web
// page's or the page's own neighbour is opened at all: never a script.
void OpenInShell(const QString &target, int showCommand) {
    Q_UNUSED(showCommand) // the browser opens a tab of its own
    const QUrl url(target, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || !(url.isRelative() || scheme == u"http" || scheme == u"https")) {
        return;
    }
    emscripten::val::global("window").call<emscripten::val>("open",
                                                            url.toString(QUrl::FullyEncoded).toStdString(),
                                                            std::string("_blank"), std::string("noopener"));
}
