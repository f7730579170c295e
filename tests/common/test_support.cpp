#include "test_support.h"

#include "platform/forms.h"
#include "platform/registry.h"
#include "symbols/symbol_file.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>

namespace quoterra::test {

TestProfile::TestProfile()
    : oldConfig_(qgetenv("XDG_CONFIG_HOME"))
    , oldHome_(qgetenv("QUOTERRA_HOME"))
    , oldData_(qgetenv("XDG_DATA_HOME"))
{
    Forms::reset();
    QDir().mkpath(configHome());
    QDir().mkpath(appDir());
    QDir().mkpath(root_.path() + QStringLiteral("/data"));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(configHome()));
    qputenv("QUOTERRA_HOME", QFile::encodeName(appDir()));
    qputenv("XDG_DATA_HOME", QFile::encodeName(root_.path() + QStringLiteral("/data")));
}

TestProfile::~TestProfile()
{
    Forms::reset();
    RegistryStore::flushAll();
    qputenv("XDG_CONFIG_HOME", oldConfig_);
    qputenv("QUOTERRA_HOME", oldHome_);
    qputenv("XDG_DATA_HOME", oldData_);
}

QString TestProfile::registryText() const
{
    RegistryStore::open(registryFile())->flush();
    QFile f(registryFile());
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(f.readAll());
}

FakeScreen::FakeScreen(int dpi_, QRect workArea)
    : dpi(dpi_)
    , area(workArea)
{
    setScreen(this);
}

FakeScreen::~FakeScreen()
{
    setScreen(nullptr);
}

MessageBoxAnswerer::MessageBoxAnswerer(QMessageBox::StandardButton answer)
    : MessageBoxAnswerer(QList<QMessageBox::StandardButton>{answer})
{
}

MessageBoxAnswerer::MessageBoxAnswerer(QList<QMessageBox::StandardButton> answers)
    : answers_(std::move(answers))
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
        Seen s{box->windowTitle(), box->text(), box->icon(), {}};
        for (QAbstractButton* b : box->buttons())
            s.buttons.append(box->standardButton(b));
        seen_.append(s);
        const auto answer = answers_.size() > 1 ? answers_.takeFirst() : answers_.front();
        QAbstractButton* button = box->button(answer);
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

bool waitUntil(const std::function<bool()>& condition, int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > ms)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(1);
    }
    return true;
}

void writeSymbolFile(const QString& path, const QList<QPair<QString, QString>>& entries)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return;
    for (const auto& [symbol, name] : entries)
        f.write(encodeRecord(SymbolEntry{symbol, name}));
}

} // namespace quoterra::test
