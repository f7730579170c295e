#include "symbol_manager_fixture.h"

#include "platform/settings.h"
#include "symbols/symbol_dialogs.h"

#include <QPushButton>
#include <QTest>

namespace quoterra::test {
namespace {

TEST_F(SymbolManagerTest, LookupSendsTheTextWithSpacesAsPlusSignsToTheBrowser)
{
    struct Case {
        const char* typed;
        const char* query;
    };
    WriteValue(HKEY_CURRENT_USER, kMainKey, QStringLiteral("Always On Top"), REG_SZ, QStringLiteral("True"));
    for (const Case& c : {Case{"General Motors", "General+Motors"}, Case{"General  Motors", "General++Motors"},
                          Case{" Acme ", "+Acme+"}}) {
        SCOPED_TRACE(c.typed);
        UrlRecorder browser;
        auto* lookup = qobject_cast<SymbolLookup*>(Forms::show(SymbolLookup::kName));
        ASSERT_NE(lookup, nullptr);
        EXPECT_TRUE(lookup->topmost());
        EXPECT_EQ(lookup->Caption(), QStringLiteral("Quoterra - Symbol Lookup"));
        EXPECT_EQ(lookup->Label1->Caption(),
                  QStringLiteral("Enter any part of the company name, mutual fund, market index, or corporate bond:"));
        EXPECT_EQ(lookup->Command1->Caption(), QStringLiteral("Search"));
        EXPECT_TRUE(focusedIn(lookup, lookup->Text1->editor()));

        QTest::keyClicks(lookup->Text1->editor(), QString::fromLatin1(c.typed));
        QTest::mouseClick(lookup->Command1->button(), Qt::LeftButton);
        EXPECT_EQ(browser.opened, QStringList{service->origin() + QStringLiteral("/l?s=") + QLatin1String(c.query)});
        EXPECT_FALSE(Forms::isLoaded(lookup));
    }
    // The page is there to open on the bundled service.
    EXPECT_EQ(service->exchange("GET", "/l?s=General+Motors").status, 200);
}

} // namespace
} // namespace quoterra::test
