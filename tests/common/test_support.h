#pragma once

#include "platform/screen.h"

#include <QList>
#include <QMessageBox>
#include <QObject>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>

#include <functional>

#include <ostream>

// Readable failure messages for texts.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace quoterra::test {

// A fresh profile for one test: its own settings file, application
// directory and data directory, and no windows left over from before.
class TestProfile {
public:
    TestProfile();
    ~TestProfile();
    QString configHome() const { return root_.path() + QStringLiteral("/config"); }
    QString appDir() const { return root_.path() + QStringLiteral("/home"); }
    QString registryFile() const { return configHome() + QStringLiteral("/Quoterra/registry.ini"); }
    QString symbolFile() const { return appDir() + QStringLiteral("/stockdata.std"); }
    // The registry file as it is on disk once every write has landed.
    QString registryText() const;

private:
    QTemporaryDir root_;
    QByteArray oldConfig_, oldHome_, oldData_;
};

// A screen of the test's choosing.
class FakeScreen : public Screen {
public:
    explicit FakeScreen(int dpi = 96, QRect workArea = QRect(0, 0, 1024, 738));
    ~FakeScreen() override;
    int dpiX() const override { return dpi; }
    int dpiY() const override { return dpi; }
    QRect workArea() const override { return area; }
    QPoint systemCursorPos() const override { return cursor; }

    int dpi;
    QRect area;
    QPoint cursor;
};

// Answers every message box that opens while it lives, recording each.
class MessageBoxAnswerer : public QObject {
public:
    struct Seen {
        QString title;
        QString text;
        QMessageBox::Icon icon;
        QList<QMessageBox::StandardButton> buttons;
    };
    explicit MessageBoxAnswerer(QMessageBox::StandardButton answer = QMessageBox::Ok);
    // Answers to give in turn; the last one repeats.
    explicit MessageBoxAnswerer(QList<QMessageBox::StandardButton> answers);
    const QList<Seen>& seen() const { return seen_; }

private:
    void poll();
    QList<QMessageBox::StandardButton> answers_;
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

// Lets events run until `condition` holds or `ms` pass; says which. (QtTest's
// QTRY_ macros report to QtTest, not to GoogleTest, so tests use this.)
bool waitUntil(const std::function<bool()>& condition, int ms = 5000);

// Writes a symbol list file of whole records.
void writeSymbolFile(const QString& path, const QList<QPair<QString, QString>>& entries);

} // namespace quoterra::test
