#pragma once

#include "ui/form.h"

class QPushButton;

namespace quoterra {

class Application;

// The first-run text that tells a new user how to build a symbol list.
class Welcome : public Dialog {
    Q_OBJECT
public:
    explicit Welcome(Application& app);
    // Where the keyboard goes: the text never keeps a caret.
    QPushButton* okButton() const { return cmdOK; }

protected:
    void onLoad() override;

private:
    QPushButton* cmdOK;
};

} // namespace quoterra
