#pragma once

#include <QString>

// Show commands that callers choose for the opened window, as the desktop shell numbers them.
inline constexpr int SW_SHOWNORMAL = 1;
inline constexpr int SW_SHOW = 5;

// Hands a web address to the desktop's default handler for it. Never waits for the page or its
// viewer and never reports a failure: an address that cannot be opened simply stays unopened.
// The show command is the caller's wish for the viewer's window; the desktop decides.
void OpenInShell(const QString &target, int showCommand);
