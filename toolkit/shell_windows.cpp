#include "toolkit/shell.h"

#include <QDir>
#include <QUrl>

#include <windows.h>

#include <shellapi.h>

namespace {

void shellExecute(void *owner, const wchar_t *verb, const wchar_t *file, int showCommand) {
    ShellExecuteW(static_cast<HWND>(owner), verb, file, nullptr, nullptr, showCommand);
}

shell::Execute execute = &shellExecute;

} // namespace

namespace shell {

Execute setExecute(Execute replacement) {
    const Execute previous = execute;
    execute = replacement;
    return previous;
}

void *desktopWindow() {
    return GetDesktopWindow();
}

} // namespace shell

void OpenInShell(const QString &target, int showCommand) {
    const QUrl url(target, QUrl::StrictMode);
    if (!url.isValid()) {
        return;
    }
    // The shell opens a local file by its path: a file:// address with spaces or Greek letters,
    // percent-encoded, is not what every viewer takes on its command line.
    const QString file = url.isLocalFile() ? QDir::toNativeSeparators(url.toLocalFile()) : target;
    execute(shell::desktopWindow(), L"open", reinterpret_cast<const wchar_t *>(file.utf16()), showCommand);
}
