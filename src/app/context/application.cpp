#include "application.h"

#include "symbols/file/symbol_file.h"
#include "ui/msgbox.h"

#include <QDir>

namespace quoterra {

Application::Application(Screen& screen, const QString& registryFile, const QString& applicationDirectory,
                         ServiceHosts hosts, QObject* parent)
    : QObject(parent)
    , store_(registryFile)
    , settings_(store_)
    , hosts_(std::move(hosts))
    , directory_(applicationDirectory)
    , forms_(screen)
{
    // Said once, after whatever handler came upon it has finished.
    connect(
        &store_, &RegistryStore::problem, this,
        [](const QString& message) { messageBox(nullptr, message, QMessageBox::Warning); }, Qt::QueuedConnection);
    connect(&forms_, &FormRegistry::aboutToEnd, &store_, &RegistryStore::flush);
}

Application::~Application() = default;

void Application::AlwaysOnTop(Form& form)
{
    form.setTopmost(settings_.isTrue(Setting::AlwaysOnTop));
}

FileErrorAction ReportFileError(int error, QWidget* parent)
{
    const QString message = fileErrorMessage(error);
    if (message.isEmpty())
        return FileErrorAction::GiveUp;
    const auto buttons = error == kDeviceUnavailable ? QMessageBox::Retry | QMessageBox::Cancel : QMessageBox::Ok;
    const auto answer = messageBox(parent, message, QMessageBox::Warning, buttons, QStringLiteral("File Error"));
    return answer == QMessageBox::Retry ? FileErrorAction::Retry : FileErrorAction::GiveUp;
}

bool Application::LoadSymbolFile(SymbolCursor& cursor, QWidget* parent)
{
    for (;;) {
        QString reason;
        const int error = cursor.OpenSymbolFile(directory_, kSymbolFileName, &reason);
        if (error == kNoFileError || forms_.ending())
            break;
        if (ReportFileError(error, parent) == FileErrorAction::Retry)
            continue;
        // Errors without a message of their own still deserve one.
        if (fileErrorMessage(error).isEmpty() && !forms_.ending()) {
            messageBox(parent,
                       QStringLiteral("Quoterra cannot open its symbol list\n%1\n\n%2.")
                           .arg(QDir(directory_).filePath(kSymbolFileName), reason),
                       QMessageBox::Warning, QMessageBox::Ok, QStringLiteral("File Error"));
        }
        break;
    }
    cursor.ResetCursor();
    return cursor.isOpen();
}

} // namespace quoterra
