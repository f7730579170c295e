#pragma once

#include "platform/controls.h"
#include "platform/forms.h"

#include <QStringView>

namespace quoterra {

class Inet;

// The number a version file holds: the longest leading decimal number
// (digits with at most one point) after leading blanks; anything that does
// not start with one reads 0. Independent of the desktop's locale.
double versionFileNumber(QStringView text);

// The running version as a comparable text and number: major, a point, then
// minor and revision run together ("4.00" for 4.0.0, "4.12" for 4.1.2).
QString runningVersionText();
double runningVersionNumber();
// The version the checker compares against; built from version.h until set.
void setRunningVersion(int major, int minor, int revision);

// Asks the update site for the newest version's number and, when it is
// newer than the running one, offers the maker's site.
class UpdateChecker : public Form {
    Q_OBJECT
public:
    static inline const QString kName = QStringLiteral("UpdateChecker");
    static inline const QString kVersionPath = QStringLiteral("/currentversion.txt");

    UpdateChecker();
    ~UpdateChecker() override;

    PictureBox* Picture1;
    Label* Label1;
    Label* lblState;
    CommandButton* cmdCheck;
    CommandButton* cmdClose;
    Inet* inetUpdate;

    // The text of the last fetch.
    QString lastAnswer() const { return lastAnswer_; }

protected:
    void Form_Load() override;
    void Form_Unload(int& cancel) override;

private:
    void check();
    QString lastAnswer_;
    bool holding_ = false; // loaded and not yet unloaded
};

// The offer to open the maker's site for a newer version.
class UpdateAvailable : public Form {
    Q_OBJECT
public:
    static inline const QString kName = QStringLiteral("UpdateAvailable");

    UpdateAvailable();

    PictureBox* Picture1;
    Label* Label1;
    Label* Label2;
    CommandButton* Command1;
    CommandButton* Command2;

protected:
    void Form_Load() override;
};

} // namespace quoterra
