#pragma once

#include <QPixmap>

namespace quoterra {

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
    // large, never scaled bitmaps.
    static SkinPictures standard(bool largeFonts);
    static SkinPictures large(bool largeFonts);
};

} // namespace quoterra
