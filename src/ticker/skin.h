#pragma once

#include <QPixmap>

namespace quoterra {

class Screen;

// The pictures of one skin, drawn for one font size: the face and mode
// button of each mode, and the other buttons.
struct SkinPictures {
    QPixmap shadeFace;
    QPixmap fullFace;
    QPixmap modeButtonShade;
    QPixmap modeButtonFull;
    QPixmap options;
    QPixmap exit;
    QPixmap chartBrowser;
    QPixmap symbolManager;

    // Large fonts (120 dpi) have pictures of their own, drawn 1.25 times as
    // large, never scaled bitmaps; so do HiDPI screens, at their ratio.
    static SkinPictures standard(const Screen& screen);
    static SkinPictures large(const Screen& screen);
};

} // namespace quoterra
