#pragma once

// The exercise's instructions: the Help command shows them, and the printed worksheet carries them.

#include <QString>

namespace help_text {

inline const QString HelpTitle = QStringLiteral("Βοήθεια");
// Four paragraphs, each but the last ending with CR LF.
inline const QString HelpText =
    QStringLiteral("Σύρετε με πατημένο κλικ τις ενώσεις που βρίσκονται σε πράσινο πλαίσιο στο πάνω μέρος του "
                   "παραθύρου, πάνω στις αντίστοιχες αντιδράσεις που βρίσκονται σε κίτρινο πλαίσιο.\r\n"
                   "Προσθέστε τους ακέραιους συντελεστές των αντιδράσεων ως αναλογίες μεταξύ των μορίων. Για "
                   "να μετακινηθείτε από τον ένα συντελεστή στον άλλο πατήστε το πλήκτρο TAB.\r\n"
                   "Στην τελευταία αντίδραση δεκτοί συντελεστές είναι της μορφής ν, 2ν, 3ν-7, 4ν+5 κλπ.\r\n"
                   "Όταν τελειώσετε ζητήστε έλεγχο της προσπάθειάς σας.");

} // namespace help_text
