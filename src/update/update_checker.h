#pragma once

#include "app/context/application.h"
#include "ui/form.h"

class QPushButton;

namespace quoterra {

class Label;
class Transfer;

// A version as the checker compares it: major, a point, then minor and
// revision run together ("4.00" for 4.0.0, "4.12" for 4.1.2).
QString versionText(int major, int minor, int revision);

// Asks the update site for the newest version's number and, when it is
// newer than the running one, offers the maker's site.
class UpdateChecker : public Dialog {
    Q_OBJECT
public:
    static inline const QString kVersionPath = QStringLiteral("/currentversion.txt");

    explicit UpdateChecker(Application& app);

    // The version compared against; the running one unless a test sets another.
    void setRunningVersion(int major, int minor, int revision) { running_ = versionText(major, minor, revision); }
    // The text of the last fetch.
    QString lastAnswer() const { return lastAnswer_; }

protected:
    void onLoad() override;
    bool onUnload() override;

private:
    void check();

    Application& app_;
    Label* lblState;
    QPushButton* cmdCheck;
    Transfer* inetUpdate;
    QString running_;
    QString lastAnswer_;
    FormSlot<Form> available_;
    FetchingHold fetching_;
};

// The offer to open the maker's site for a newer version.
class UpdateAvailable : public Dialog {
    Q_OBJECT
public:
    explicit UpdateAvailable(Application& app);

protected:
    void onLoad() override;

private:
    Application& app_;
};

} // namespace quoterra
