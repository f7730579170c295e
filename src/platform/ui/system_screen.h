#pragma once

#include "core/screen.h"

namespace quoterra {

// The primary screen of the running desktop.
class SystemScreen : public Screen {
public:
    int dpiX() const override;
    int dpiY() const override;
    QRect workArea() const override;
    QPoint cursorPos() const override;
    double devicePixelRatio() const override;
};

} // namespace quoterra
