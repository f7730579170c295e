#pragma once

#include "ui/controls.h"

#include <QPushButton>

#include <utility>

namespace quoterra {

// The spacing the Symbol Manager and its dialogs share, in twips.
inline constexpr float kMargin = 120;
inline constexpr float kButtonWidth = 1200;
inline constexpr float kButtonHeight = 360;

// OK and Cancel side by side, a margin apart, Cancel's right edge at `right`.
inline void placeOkCancel(QPushButton* ok, QPushButton* cancel, float right, float top)
{
    const float cancelLeft = right - kButtonWidth;
    placeTwips(cancel, cancelLeft, top, kButtonWidth, kButtonHeight);
    placeTwips(ok, cancelLeft - kMargin - kButtonWidth, top, kButtonWidth, kButtonHeight);
}

inline std::pair<QPushButton*, QPushButton*> makeOkCancel(QWidget* parent, float right, float top)
{
    auto* ok = new QPushButton(QStringLiteral("OK"), parent);
    ok->setObjectName(QStringLiteral("cmdOK"));
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), parent);
    cancel->setObjectName(QStringLiteral("cmdCancel"));
    placeOkCancel(ok, cancel, right, top);
    return {ok, cancel};
}

} // namespace quoterra
