#pragma once

#include "service_process.h"
#include "test_support.h"

#include "platform/registry.h"
#include "platform/settings.h"
#include "ticker/ticker.h"

#include <gtest/gtest.h>

namespace quoterra::test {

// A fresh profile, a fake screen and the quote service for ticker tests.
// Settings written before load() are what the ticker restores.
class TickerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
    void SetUp() override;
    void TearDown() override;

    void setMain(const QString& name, const QString& value);
    void setCharts(const QString& name, const QString& value);
    QString stored(const QString& key, const QString& name) const;
    Ticker* load();

    static inline ServiceProcess* service = nullptr;
    TestProfile profile;
    FakeScreen screen{96, QRect(0, 0, 1024, 738)};
};

// A form that stands in for a window of another name (the chart browser,
// the Symbol Manager) in the list of loaded forms.
class StandIn : public Form {
public:
    explicit StandIn(const QString& name, float left = 0, float top = 0, float width = 3150, float height = 2400);
};

} // namespace quoterra::test
