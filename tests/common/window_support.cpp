#include "window_support.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDesktopServices>

namespace quoterra::test {

QImage gifImage(const QByteArray& bytes)
{
    // Qt draws what it can of a truncated file, so insist on the trailer too.
    if (!bytes.startsWith("GIF89a") || !bytes.endsWith(';'))
        return {};
    return QImage::fromData(bytes, "GIF");
}

TestApp::TestApp(const QString& origin, int dpi)
    : screen(dpi)
    , app(std::make_unique<Application>(screen, profile.registryFile(), profile.appDir(), ServiceHosts::at(origin)))
{
    app->settings().createKeys();
}

TestApp::~TestApp()
{
    // Windows unloaded during the test go first, then the rest with the app.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    app.reset();
}

QString TestApp::saved(Setting setting)
{
    app->settingsFile().flush();
    return profile.setting(Settings::key(setting), Settings::name(setting));
}

QStringList TestApp::saved(std::initializer_list<Setting> settings)
{
    QStringList values;
    for (Setting s : settings)
        values << saved(s);
    return values;
}

MessageBoxAnswerer::MessageBoxAnswerer(QMessageBox::StandardButton answer)
    : answer_(answer)
{
    connect(&timer_, &QTimer::timeout, this, &MessageBoxAnswerer::poll);
    timer_.start(5);
}

void MessageBoxAnswerer::poll()
{
    for (QWidget* w : QApplication::topLevelWidgets()) {
        auto* box = qobject_cast<QMessageBox*>(w);
        if (!box || !box->isVisible() || box->property("answered").toBool())
            continue;
        box->setProperty("answered", true);
        seen_.append({box->windowTitle(), box->text()});
        QAbstractButton* button = box->button(answer_);
        if (!button)
            button = box->buttons().value(0);
        if (button)
            QTimer::singleShot(0, button, [button] { button->click(); });
    }
}

UrlRecorder::UrlRecorder()
{
    for (const char* scheme : {"http", "https", "mailto"})
        QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), this, "open");
}

UrlRecorder::~UrlRecorder()
{
    for (const char* scheme : {"http", "https", "mailto"})
        QDesktopServices::unsetUrlHandler(QString::fromLatin1(scheme));
}

void UrlRecorder::open(const QUrl& url)
{
    opened.append(url.toString());
}

} // namespace quoterra::test
