#pragma once

#include <QPoint>
#include <QRect>

#include <cmath>

namespace quoterra {

// The screen as the program sees it: dots per inch, the work area (desktop
// minus panels) and the pointer, in pixels. Windows are laid out in twips
// (1/1440 inch): 15 twips a pixel at 96 dpi, 12 at 120, asked afresh at
// every use. The desktop's screen sits behind this; tests set their own.
//
// On a HiDPI screen (192 dpi, say) the pixels here are logical ones: the
// screen reports 96 dpi and a device pixel ratio of 2, each logical pixel
// being 2 x 2 of the screen's own.
class Screen {
public:
    virtual ~Screen() = default;
    virtual int dpiX() const = 0;
    virtual int dpiY() const = 0;
    virtual QRect workArea() const = 0;
    virtual QPoint cursorPos() const = 0;
    virtual double devicePixelRatio() const { return 1.0; }

    // The windows are laid out for 96 and 120 dpi; a HiDPI screen runs that
    // layout at a whole device pixel ratio. Anything else is refused.
    bool supported() const
    {
        const double ratio = devicePixelRatio();
        return (dpiX() == 96 || dpiX() == 120) && ratio >= 1 && ratio == std::floor(ratio);
    }

    float twipsPerPixelX() const { return 1440.0f / float(dpiX() > 0 ? dpiX() : 96); }
    float twipsPerPixelY() const { return 1440.0f / float(dpiY() > 0 ? dpiY() : 96); }

    int pixelsX(double twips) const { return int(std::lround(twips / twipsPerPixelX())); }
    int pixelsY(double twips) const { return int(std::lround(twips / twipsPerPixelY())); }
    float twipsX(double pixels) const { return float(pixels * twipsPerPixelX()); }
    float twipsY(double pixels) const { return float(pixels * twipsPerPixelY()); }
};

} // namespace quoterra
