#include "ticker_fixture.h"

namespace quoterra::test {

void TickerTest::SetUpTestSuite()
{
    service = new ServiceProcess;
    Forms::registerForm<Ticker>(Ticker::kName);
}

void TickerTest::TearDownTestSuite()
{
    delete service;
    service = nullptr;
}

void TickerTest::SetUp()
{
    ASSERT_TRUE(service->isRunning());
    qputenv("QUOTERRA_SERVICE", service->origin().toUtf8());
    service->reset();
    CreateKey(HKEY_CURRENT_USER, kMainKey);
    CreateKey(HKEY_CURRENT_USER, kChartsKey);
    ConfigOpen = false;
}

void TickerTest::TearDown()
{
    qunsetenv("QUOTERRA_SERVICE");
}

void TickerTest::setMain(const QString& name, const QString& value)
{
    WriteValue(HKEY_CURRENT_USER, kMainKey, name, REG_SZ, value);
}

void TickerTest::setCharts(const QString& name, const QString& value)
{
    WriteValue(HKEY_CURRENT_USER, kChartsKey, name, REG_SZ, value);
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
