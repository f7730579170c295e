#pragma once

#include "service_test.h"

#include "platform/registry.h"
#include "platform/settings.h"
#include "ticker/ticker.h"

#include <gtest/gtest.h>

namespace quoterra::test {

// A fresh profile, a fake screen and the quote service for ticker tests.
// Settings written before load() are what the ticker restores.
class TickerTest : public ServiceTest {
protected:
    static void SetUpTestSuite();
    void SetUp() override;

    // What the store holds, without writing a default for a missing value.
    QString stored(const QString& key, const QString& name) const;
    Ticker* load();

    FakeScreen screen{96, QRect(0, 0, 1024, 738)};
};

// A form that stands in for a window of another name (the chart browser,
// the Symbol Manager) in the list of loaded forms.
class StandIn : public Form {
public:
    explicit StandIn(const QString& name, float left = 0, float top = 0, float width = 3150, float height = 2400);
};

} // namespace quoterra::test
