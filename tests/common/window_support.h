#pragma once

// What a test of the program's windows needs besides the window-free support.
#include "test_support.h"

#include "app/context/application.h"

#include <QImage>
#include <QMessageBox>

namespace quoterra::test {

// The chart as the ticker's image reader sees it; null for a broken or cut-off GIF.
QImage gifImage(const QByteArray& bytes);

// One run of the program's windows for a test: its own profile and screen,
// the quote service at `origin`, both settings keys made as start-up makes
// them. Every window is gone when it ends.
class TestApp {
public:
    explicit TestApp(const QString& origin = u"http://127.0.0.1:9"_s, int dpi = 96);
    ~TestApp();

    TestProfile profile;
    FakeScreen screen;
    std::unique_ptr<Application> app;

    Settings& settings() { return app->settings(); }
    // Settings as the file on disk holds them, once pending writes are in.
    QString saved(Setting setting);
    QStringList saved(std::initializer_list<Setting> settings);
};

// Answers every message box that opens while it lives, recording each.
class MessageBoxAnswerer : public QObject {
public:
    struct Seen {
        QString title, text;
    };
    explicit MessageBoxAnswerer(QMessageBox::StandardButton answer = QMessageBox::Ok);
    const QList<Seen>& seen() const { return seen_; }

private:
    void poll();
    QMessageBox::StandardButton answer_;
    QList<Seen> seen_;
    QTimer timer_;
};

// Takes every web and mail address the program hands to the desktop.
class UrlRecorder : public QObject {
    Q_OBJECT
public:
    UrlRecorder();
    ~UrlRecorder() override;
    QStringList opened;

public slots:
    void open(const QUrl& url);
};

} // namespace quoterra::test
