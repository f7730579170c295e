#pragma once

#include "service_process.h"
#include "test_support.h"

#include "platform/listview.h"
#include "symbols/symbol_editor.h"

#include <gtest/gtest.h>

namespace quoterra::test {

using Rows = QList<QPair<QString, QString>>;

// A fresh profile, a fake screen and the quote service; every window of
// the program is registered, so a save can restart the ticker.
class SymbolManagerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
    void SetUp() override;
    void TearDown() override;

    // The list file of the profile in force (a test may make its own).
    static QString symbolFile();
    static QByteArray fileBytes();
    // Writes the list, then opens the Symbol Manager on it.
    static SymbolEditor* openEditor(const Rows& rows);

    static inline ServiceProcess* service = nullptr;
    TestProfile profile;
    FakeScreen screen{96, QRect(0, 0, 1024, 738)};
};

// "S1".."Sn" named "Name 1".."Name n".
Rows numbered(int count);
QStringList symbolsOf(const ListView* list);
// The middle of a row, in the list's viewport pixels.
QPoint rowCentre(const ListView* list, int index);
void clickRow(ListView* list, int index, Qt::MouseButton button = Qt::LeftButton);
// The selected row's index, 0 for none.
int selectedIndex(const ListView* list);
// A double click as the system delivers it: press, release, double click, release.
void doubleClick(QWidget* widget, QPoint at);
// Waits for a dialog's window and tells whether `editor` holds its focus.
bool focusedIn(QWidget* dialog, QWidget* editor);
void closePopups();

} // namespace quoterra::test
