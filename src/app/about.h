#pragma once

#include "platform/controls.h"
#include "platform/forms.h"

namespace quoterra {

// The about box: title, version, data disclaimer and three links (the
// data service, the maker's site, a mail to the maker).
class About : public Form {
    Q_OBJECT
public:
    static inline const QString kName = QStringLiteral("About");

    About();

    PictureBox* Picture1;
    Frame* Frame1;
    Label* Label1;
    Label* Label3;
    Label* Label9;
    Frame* Frame3;
    Label* Label6;
    PictureBox* Picture2;
    Label* Label4;
    Label* Label5;
    Label* Label7;
    CommandButton* Command1;

protected:
    void Form_Load() override;
};

} // namespace quoterra
