#pragma once

// What the exercise tells whoever keeps pupils' work. In the browser that is the page, which passes it on to
// a learning platform when it runs inside one; on the desktop nobody keeps it, and the calls do nothing.

#include <QString>

#include <vector>

// One answer of a graded attempt, as a learning platform records it for the teacher: what it answers (a
// name of ASCII letters, digits and '_'), the pupil's answer in printable ASCII, and whether it was right.
struct ReportedAnswer {
    QString id;
    QString response;
    bool right = false;
};

// Each grade the exercise gives (0 to 100), with the answers it judged.
void reportGrade(int percent, const std::vector<ReportedAnswer> &answers);

// The attempt as it stands, in the text that keeps it (ASCII), after each change the pupil makes: a platform
// keeps the last one, so that the pupil may come back to it.
void reportAttempt(const QString &attempt);

// The attempt kept from the pupil's last visit, when the platform hands one back; empty otherwise (and
// always on the desktop). Nothing in it is trusted.
QString keptAttempt();
