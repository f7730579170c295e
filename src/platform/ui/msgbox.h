#pragma once

#include <QMessageBox>
#include <QString>

namespace quoterra {

inline const QString kApplicationTitle = QStringLiteral("Quoterra");

// A modal message box, above every other window; returns the button chosen.
// Closing the box counts as Cancel, or No, or OK, whichever it offers.
QMessageBox::StandardButton messageBox(QWidget* parent, const QString& text, QMessageBox::Icon icon,
                                       QMessageBox::StandardButtons buttons = QMessageBox::Ok,
                                       const QString& title = kApplicationTitle);

} // namespace quoterra
