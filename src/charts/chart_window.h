#pragma once

#include "ui/form.h"

namespace quoterra {

// The chart browser as the ticker sees it: the ticker opens and closes it,
// and saves what its labels show when the program ends.
class ChartWindow : public Window {
public:
    using Window::Window;
    virtual QString symbolCaption() const = 0;
    virtual QString chartTypeCaption() const = 0;
};

} // namespace quoterra
