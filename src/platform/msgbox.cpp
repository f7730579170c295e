#include "msgbox.h"

#include "nested_wait.h"
#include "registry.h"

#include <QApplication>
#include <QMessageBox>

#include <cstdio>
#include <cstdlib>

namespace quoterra {

namespace {

struct ButtonSpec {
    QMessageBox::StandardButton button;
    MsgBoxResult result;
};

QList<ButtonSpec> buttonsFor(int set)
{
    switch (set) {
    case vbOKCancel: return {{QMessageBox::Ok, vbOK}, {QMessageBox::Cancel, vbCancel}};
    case vbAbortRetryIgnore:
        return {{QMessageBox::Abort, vbAbort}, {QMessageBox::Retry, vbRetry}, {QMessageBox::Ignore, vbIgnore}};
    case vbYesNoCancel:
        return {{QMessageBox::Yes, vbYes}, {QMessageBox::No, vbNo}, {QMessageBox::Cancel, vbCancel}};
    case vbYesNo: return {{QMessageBox::Yes, vbYes}, {QMessageBox::No, vbNo}};
    case vbRetryCancel: return {{QMessageBox::Retry, vbRetry}, {QMessageBox::Cancel, vbCancel}};
    default: return {{QMessageBox::Ok, vbOK}};
    }
}

QMessageBox::Icon iconFor(int icon)
{
    switch (icon) {
    case vbCritical: return QMessageBox::Critical;
    case vbQuestion: return QMessageBox::Question;
    case vbExclamation: return QMessageBox::Warning;
    case vbInformation: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
    }
}

} // namespace

int MsgBox(const QString& prompt, int style, const QString& title, QWidget* parent)
{
    const auto buttons = buttonsFor(style & 0x0F);
    QMessageBox box(iconFor(style & 0x70), title, prompt, QMessageBox::NoButton, parent);
    box.setObjectName(QStringLiteral("MsgBox"));
    box.setWindowFlag(Qt::WindowStaysOnTopHint, true);
    for (const auto& choice : buttons)
        box.addButton(choice.button);
    box.setDefaultButton(buttons.front().button);
    // Escape: Cancel when offered, else No, else the only button.
    QMessageBox::StandardButton escape = buttons.back().button;
    for (const auto& choice : buttons) {
        if (choice.result == vbCancel)
            escape = choice.button;
    }
    box.setEscapeButton(escape);

    NestedWait wait;
    box.exec();
    const auto clicked = box.standardButton(box.clickedButton());
    for (const auto& choice : buttons) {
        if (choice.button == clicked)
            return choice.result;
    }
    for (const auto& choice : buttons) {
        if (choice.button == escape)
            return choice.result;
    }
    return vbCancel;
}

void fatalApplicationError(int number, const QString& source, const QString& description)
{
    std::fprintf(stderr, "%s: %s\n", qPrintable(source), qPrintable(description));
    MsgBox(description, vbCritical, source);
    // Whatever is already in the registry store stays; nothing more is saved.
    RegistryStore::flushAll();
    std::_Exit(number);
}

} // namespace quoterra
