#pragma once

#include <QString>

// Show commands that callers choose for the opened window, as the desktop shell numbers them.
inline constexpr int SW_SHOWNORMAL = 1;
inline constexpr int SW_SHOW = 5;

// Hands a web address (or a file:// address) to the desktop's default handler for it: on Windows the
// shell itself, elsewhere the desktop's handlers through Qt. Never waits for the page or its viewer and
// never reports a failure: an address that cannot be opened simply stays unopened. The show command is
// the caller's wish for the viewer's window; on Windows the shell passes it on, elsewhere the desktop
// decides.
void OpenInShell(const QString &target, int showCommand);

#ifdef _WIN32
namespace shell {

// What OpenInShell calls on Windows: ShellExecuteW with the desktop window as owner, the verb "open",
// the address or a local file's native path, and the show command. A test puts a recorder in its place
// (setExecute returns the one it replaces), so that nothing is opened.
using Execute = void (*)(void *owner, const wchar_t *verb, const wchar_t *file, int showCommand);
Execute setExecute(Execute execute);

// The desktop window, the owner OpenInShell names.
void *desktopWindow();

} // namespace shell
#endif
