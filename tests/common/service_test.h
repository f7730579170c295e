#pragma once

#include "service_process.h"
#include "test_support.h"

#include "platform/settings.h"

#include <gtest/gtest.h>

namespace quoterra::test {

// For suites that start the program's windows: one quote service for the
// suite, its address in QUOTERRA_SERVICE, and for every test a fresh profile
// whose two settings keys exist, as start-up leaves them.
class ServiceTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { service = new ServiceProcess; }
    static void TearDownTestSuite()
    {
        delete service;
        service = nullptr;
    }
    void SetUp() override
    {
        ASSERT_TRUE(service->isRunning());
        qputenv("QUOTERRA_SERVICE", service->origin().toUtf8());
        service->reset();
        CreateKey(HKEY_CURRENT_USER, kMainKey);
        CreateKey(HKEY_CURRENT_USER, kChartsKey);
    }
    void TearDown() override { qunsetenv("QUOTERRA_SERVICE"); }

    static inline ServiceProcess* service = nullptr;
    TestProfile profile;
};

} // namespace quoterra::test
