#pragma once

#include "window_support.h"

#include "app/program.h"
#include "ui/controls.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

namespace quoterra::test {

// The program's windows on the offscreen platform: one quote service for
// the suite, and for every test a fresh profile, screen and program.
class WindowTest : public ::testing::Test {
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
        service->reset();
        start();
    }
    void TearDown() override { stop(); }
    // A fresh program (at `dpi`, on a quote service at `origin`), after the
    // last one's windows are gone.
    void start(int dpi = 96, const QString& origin = {})
    {
        stop();
        t = std::make_unique<TestApp>(origin.isEmpty() ? service->origin() : origin, dpi);
        program = std::make_unique<Program>(*t->app);
    }
    void stop()
    {
        t.reset();
        program.reset();
        ticker = nullptr;
    }
    Settings& settings() { return t->settings(); }
    void set(Setting setting, const char* value) { settings().WriteValue(setting, QLatin1String(value)); }

    // Loads and shows the ticker as start-up does, its timer held still.
    Ticker* openTicker()
    {
        program->reloadTicker();
        ticker = program->ticker();
        if (ticker)
            ticker->findChild<QTimer*>(u"refreshTimer"_s)->stop();
        return ticker;
    }
    // A form of the program, loaded and shown as the program shows it.
    template <class F, class... Args> F* show(Args&... args)
    {
        auto* form = new F(*t->app, args...);
        form->loadAndShow();
        return form;
    }
    template <class W = QWidget> static W* window(const char* name)
    {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* f = dynamic_cast<Form*>(w);
            if (w->objectName() == QLatin1String(name) && (!f || f->isLoaded()))
                return qobject_cast<W*>(w);
        }
        return nullptr;
    }
    template <class W = Label> static W* part(QWidget* window, const char* name)
    {
        return window ? window->findChild<W*>(QLatin1String(name)) : nullptr;
    }

    static inline ServiceProcess* service = nullptr;
    std::unique_ptr<TestApp> t;
    std::unique_ptr<Program> program;
    Ticker* ticker = nullptr; // the last one opened
};

} // namespace quoterra::test
