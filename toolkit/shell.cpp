#include "toolkit/shell.h"

#include <QDesktopServices>
#include <QUrl>

void OpenInShell(const QString &target, int showCommand) {
    Q_UNUSED(showCommand) // the desktop's default handler chooses its own window
    const QUrl url(target, QUrl::StrictMode);
    if (url.isValid()) {
        QDesktopServices::openUrl(url);
    }
}
