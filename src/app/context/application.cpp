#include "application.h"

#include "core/transfer.h"
#include "symbols/file/symbol_file.h"
#include "ui/msgbox.h"

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

void Application::follow(ServiceLink& link)
{
    link_ = &link;
}

bool Application::serviceAnswered(const Transfer& transfer)
{
    return !link_ || link_->answered(transfer.lastTransferRefused(), transfer.lastHeader(ServiceLink::tokenHeader()));
}

bool Application::serviceTrusted() const
{
    return !link_ || link_->trusted();
}

void Application::AlwaysOnTop(Form& form)
{
    form.setTopmost(settings_.alwaysOnTop());
}

bool Application::LoadSymbolFile(SymbolCursor& cursor, QWidget* parent)
{
    const QString title = QStringLiteral("File Error");
    for (;;) {
        QString reason;
        const FileError error = cursor.OpenSymbolFile(directory_, kSymbolFileName, &reason);
        if (error == FileError::None || forms_.ending())
            break;
        const QString message = fileErrorMessage(error);
        if (message.isEmpty()) {
            // Errors without a message of their own still deserve one.
            messageBox(parent,
                       QStringLiteral("Quoterra cannot open its symbol list\n%1\n\n%2.")
                           .arg(symbolFilePath(directory_), reason),
                       QMessageBox::Warning, QMessageBox::Ok, title);
            break;
        }
        const auto buttons =
            error == FileError::DeviceUnavailable ? QMessageBox::Retry | QMessageBox::Cancel : QMessageBox::Ok;
        if (messageBox(parent, message, QMessageBox::Warning, buttons, title) != QMessageBox::Retry)
            break;
    }
    cursor.ResetCursor();
    return cursor.isOpen();
}

} // namespace quoterra
