#pragma once

#include "ui/form.h"

namespace quoterra {

class Application;

// The about box: title, version, a data disclaimer and three links (the data
// service, the maker's site, a mail to the maker).
class About : public Dialog {
    Q_OBJECT
public:
    explicit About(Application& app);

protected:
    void onLoad() override;

private:
    Application& app_;
};

} // namespace quoterra
