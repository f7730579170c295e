#include "ticker_fixture.h"

namespace quoterra::test {

void TickerTest::SetUpTestSuite()
{
    ServiceTest::SetUpTestSuite();
    Forms::registerForm<Ticker>(Ticker::kName);
}

void TickerTest::SetUp()
{
    ServiceTest::SetUp();
    ConfigOpen = false;
}

QString TickerTest::stored(const QString& key, const QString& name) const
{
    return RegistryStore::current()->value(key, name).value_or(QStringLiteral("<missing>"));
}

Ticker* TickerTest::load()
{
    return qobject_cast<Ticker*>(Forms::show(Ticker::kName));
}

StandIn::StandIn(const QString& name, float left, float top, float width, float height)
    : Form(name, Window)
{
    setBorderless(true);
    Move(left, top, width, height);
}

} // namespace quoterra::test
