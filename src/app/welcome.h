#pragma once

#include "platform/controls.h"
#include "platform/forms.h"

namespace quoterra {

// The first-run text that tells a new user how to build a symbol list.
class frmWelcome : public Form {
    Q_OBJECT
public:
    static inline const QString kName = QStringLiteral("frmWelcome");
    static QString welcomeText();

    frmWelcome();

    TextBox* txtInfo;
    CommandButton* cmdOK;

protected:
    void Form_Load() override;
};

} // namespace quoterra
