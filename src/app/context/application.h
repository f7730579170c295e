#pragma once

#include "hosts/bundled_service.h"
#include "hosts/hosts.h"
#include "settings/settings.h"

#include "core/registry.h"
#include "ui/form.h"

#include <QObject>

namespace quoterra {

class SymbolCursor;
class Transfer;

// What every window of one run of the program shares: the screen, the
// record of loaded windows, the settings, the outside addresses, the
// application directory, and whether fetching is held.
class Application : public QObject {
    Q_OBJECT
public:
    Application(Screen& screen, const QString& registryFile, const QString& applicationDirectory, ServiceHosts hosts,
                QObject* parent = nullptr);
    ~Application() override;

    Screen& screen() const { return forms_.screen(); }
    FormRegistry& forms() { return forms_; }
    RegistryStore& settingsFile() { return store_; }
    Settings& settings() { return settings_; }
    const ServiceHosts& hosts() const { return link_ ? link_->hosts() : hosts_; }
    // The addresses follow `link` from now on (the service may move); a
    // program without one keeps the hosts it was given.
    void follow(ServiceLink& link);
    // Told of a quote answer: false when it must not be believed (it came
    // from another program than the quote service, or from nowhere).
    bool serviceAnswered(const Transfer& transfer);
    // Whether research pages may be opened on the quote service's host.
    bool serviceTrusted() const;
    const QString& applicationDirectory() const { return directory_; }

    // While the configuration dialog or the update checker is open, the
    // ticker fetches no quotes.
    bool fetchingHeld() const { return fetchingHeld_; }
    void setFetchingHeld(bool held) { fetchingHeld_ = held; }

    // Applies the "Always On Top" setting to a window.
    void AlwaysOnTop(Form& form);

    // Opens the symbol list on `cursor` and reads its first entry. A file
    // error is shown (and the open tried again while the user chooses
    // Retry); the cursor then holds an empty list. True when it is open.
    bool LoadSymbolFile(SymbolCursor& cursor, QWidget* parent = nullptr);

private:
    RegistryStore store_;
    Settings settings_;
    ServiceHosts hosts_; // while no link is followed
    ServiceLink* link_ = nullptr;
    QString directory_;
    bool fetchingHeld_ = false;
    // Last, so the windows go before the settings they may still write.
    FormRegistry forms_;
};

// A window's hold on fetching. The hold is one flag for every window: any
// release lets go of it. A hold still on when its window is destroyed
// without an unload (the program ending) is let go then.
class FetchingHold {
public:
    explicit FetchingHold(Application& app)
        : app_(app)
    {
    }
    ~FetchingHold()
    {
        if (held_)
            release();
    }
    FetchingHold(const FetchingHold&) = delete;
    FetchingHold& operator=(const FetchingHold&) = delete;

    void hold()
    {
        app_.setFetchingHeld(true);
        held_ = true;
    }
    void release()
    {
        app_.setFetchingHeld(false);
        held_ = false;
    }

private:
    Application& app_;
    bool held_ = false;
};

} // namespace quoterra
