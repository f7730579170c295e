#include "msgbox.h"

namespace quoterra {

QMessageBox::StandardButton messageBox(QWidget* parent, const QString& text, QMessageBox::Icon icon,
                                       QMessageBox::StandardButtons buttons, const QString& title)
{
    QMessageBox box(icon, title, text, buttons, parent);
    box.setObjectName(QStringLiteral("MsgBox"));
    box.setWindowFlag(Qt::WindowStaysOnTopHint, true);
    // The first button is the default, as the program's boxes were drawn.
    for (const auto b : {QMessageBox::Ok, QMessageBox::Yes, QMessageBox::Retry}) {
        if (buttons.testFlag(b)) {
            box.setDefaultButton(b);
            break;
        }
    }
    QMessageBox::StandardButton escape = QMessageBox::Ok;
    for (const auto b : {QMessageBox::Cancel, QMessageBox::No}) {
        if (buttons.testFlag(b)) {
            escape = b;
            break;
        }
    }
    box.setEscapeButton(escape);
    box.exec();
    const auto clicked = box.standardButton(box.clickedButton());
    return clicked == QMessageBox::NoButton ? escape : clicked;
}

} // namespace quoterra
