#pragma once

#include <QString>

class QWidget;

namespace quoterra {

// Button sets and icons, combined by adding them.
enum MsgBoxStyle {
    vbOKOnly = 0,
    vbOKCancel = 1,
    vbAbortRetryIgnore = 2,
    vbYesNoCancel = 3,
    vbYesNo = 4,
    vbRetryCancel = 5,
    vbCritical = 16,
    vbQuestion = 32,
    vbExclamation = 48,
    vbInformation = 64,
};

enum MsgBoxResult {
    vbOK = 1,
    vbCancel = 2,
    vbAbort = 3,
    vbRetry = 4,
    vbIgnore = 5,
    vbYes = 6,
    vbNo = 7,
};

inline const QString kApplicationTitle = QStringLiteral("Quoterra");

// A modal message box; returns the button the user chose. Closing the box
// counts as Cancel (or No, or OK, whichever the set offers).
int MsgBox(const QString& prompt, int style = vbOKOnly, const QString& title = kApplicationTitle,
           QWidget* parent = nullptr);

// An error the program cannot go on from: shown, then the program ends at
// once with `number` as its exit code, without saving anything.
[[noreturn]] void fatalApplicationError(int number, const QString& source, const QString& description);

} // namespace quoterra
