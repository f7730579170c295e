#include "service_test.h"

#include "app/startup.h"
#include "app/welcome.h"
#include "platform/registry.h"
#include "ticker/ticker.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

namespace quoterra {
namespace {

using test::FakeScreen;
using test::MessageBoxAnswerer;
using test::TestProfile;

class StartUpTest : public test::ServiceTest {
protected:
    static void SetUpTestSuite()
    {
        ServiceTest::SetUpTestSuite();
        registerForms();
    }
};

TEST_F(StartUpTest, SmallAndLargeFontScreensStartTheTicker)
{
    for (int dpi : {96, 120}) {
        SCOPED_TRACE(dpi);
        TestProfile fresh;
        FakeScreen screen(dpi);
        MessageBoxAnswerer noBoxes;
        ASSERT_TRUE(StartUp());
        auto* ticker = Forms::find<Ticker>();
        ASSERT_NE(ticker, nullptr);
        EXPECT_TRUE(ticker->isVisible());
        EXPECT_TRUE(ticker->borderless());
        EXPECT_TRUE(noBoxes.seen().isEmpty());
    }
}

TEST_F(StartUpTest, OtherFontSizesAreRefusedWithNothingWrittenButTheKeys)
{
    for (int dpi : {72, 144}) {
        SCOPED_TRACE(dpi);
        TestProfile fresh;
        FakeScreen screen(dpi);
        MessageBoxAnswerer answer;
        EXPECT_FALSE(StartUp());
        ASSERT_EQ(answer.seen().size(), 1);
        EXPECT_EQ(answer.seen()[0].text, kFontSizeMessage);
        EXPECT_EQ(answer.seen()[0].title, QStringLiteral("Quoterra"));
        EXPECT_EQ(answer.seen()[0].icon, QMessageBox::Warning);
        EXPECT_EQ(answer.seen()[0].buttons, QList<QMessageBox::StandardButton>{QMessageBox::Ok});
        EXPECT_TRUE(Forms::loaded().isEmpty());
        EXPECT_FALSE(QFile::exists(fresh.symbolFile()));
        EXPECT_EQ(fresh.registryText(), QStringLiteral("[Software]\n\n[Software\\Quoterra]\n\n[Software\\Quoterra\\Charts]\n"));
    }
}

TEST_F(StartUpTest, AFirstStartMakesTheSettingsAndAnEmptyListAndWelcomesTheUser)
{
    FakeScreen screen;
    ASSERT_TRUE(StartUp());
    const QString settings = profile.registryText();
    EXPECT_TRUE(settings.contains(QLatin1String("[Software\\Quoterra]\n")));
    EXPECT_TRUE(settings.contains(QLatin1String("[Software\\Quoterra\\Charts]\n")));
    EXPECT_TRUE(settings.contains(QLatin1String("Size=Standard\n")));
    EXPECT_TRUE(settings.contains(QLatin1String("Interval=10\n")));
    ASSERT_TRUE(QFile::exists(profile.symbolFile()));
    EXPECT_EQ(QFileInfo(profile.symbolFile()).size(), 0);
    ASSERT_NE(Forms::find<Ticker>(), nullptr);
    auto* welcome = Forms::find<frmWelcome>();
    ASSERT_NE(welcome, nullptr);
    EXPECT_TRUE(welcome->isVisible());
    EXPECT_EQ(welcome->Caption(), QStringLiteral("Welcome to Quoterra"));
    EXPECT_EQ(welcome->txtInfo->Text(), frmWelcome::welcomeText());
    EXPECT_TRUE(test::waitUntil([&] { return QApplication::focusWidget() == welcome->cmdOK->button(); }));
}

TEST_F(StartUpTest, AUserWithSymbolsIsNotWelcomedAgain)
{
    test::writeSymbolFile(profile.symbolFile(), {{"IBM", "IBM"}});
    FakeScreen screen;
    ASSERT_TRUE(StartUp());
    EXPECT_NE(Forms::find<Ticker>(), nullptr);
    EXPECT_EQ(Forms::find<frmWelcome>(), nullptr);
}

TEST(Welcome, TheTextHasOneEmptyLineBetweenPiecesAndNothingAfter)
{
    const QString text = frmWelcome::welcomeText();
    const QStringList pieces = text.split(QStringLiteral("\r\n\r\n"));
    ASSERT_EQ(pieces.size(), 4);
    EXPECT_EQ(pieces[0], QStringLiteral("Welcome to Quoterra!"));
    EXPECT_TRUE(pieces[2].startsWith(QLatin1String("1.  Either click")));
    EXPECT_TRUE(pieces[3].startsWith(QLatin1String("2.  While in the Symbol Manager")));
    EXPECT_TRUE(pieces[3].endsWith(QLatin1String("symbols.")));
    EXPECT_FALSE(text.contains(QLatin1String("\r\n\r\n\r\n")));
}

TEST(Welcome, AClickInTheTextLeavesTheFocusOnOkAndEnterCloses)
{
    TestProfile profile;
    Form* form = Forms::show(frmWelcome::kName);
    if (!form) {
        Forms::registerForm<frmWelcome>(frmWelcome::kName);
        form = Forms::show(frmWelcome::kName);
    }
    auto* welcome = qobject_cast<frmWelcome*>(form);
    ASSERT_NE(welcome, nullptr);
    EXPECT_EQ(welcome->txtInfo->Text(), frmWelcome::welcomeText());
    ASSERT_TRUE(QTest::qWaitForWindowActive(welcome));
    welcome->cmdOK->SetFocus();

    auto* viewport = static_cast<QPlainTextEdit*>(welcome->txtInfo->editor())->viewport();
    QTest::mouseClick(viewport, Qt::LeftButton, {}, QPoint(40, 20));
    EXPECT_EQ(QApplication::focusWidget(), static_cast<QWidget*>(welcome->cmdOK->button()));

    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_FALSE(Forms::isLoaded(welcome));
}

} // namespace
} // namespace quoterra
