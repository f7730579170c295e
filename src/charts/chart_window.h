#pragma once

#include "ui/form.h"

namespace quoterra {

// The chart browser as the ticker sees it: the ticker opens and closes it,
// saves what its labels show when the program ends, and opens it on a
// symbol an alert told of.
class ChartWindow : public Window {
public:
    using Window::Window;
    virtual QString symbolCaption() const = 0;
    virtual QString chartTypeCaption() const = 0;
    // Shows the chart of `symbol` in front, fetched anew.
    virtual void showChartOf(const QString& symbol) = 0;
};

} // namespace quoterra
