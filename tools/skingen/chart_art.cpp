// The chart browser: a header strip that holds the controls and is the drag
// handle, three frame pieces, the dark chart area, and its buttons. One set
// of pixel pictures serves both font sizes: the window is laid out in
// pixels, and on a large-font screen its controls are moved to match.
#include "art.h"

#include <QPainter>

namespace skingen {

namespace {

constexpr int kWidth = 210;
constexpr int kHeaderHeight = 40;
constexpr int kFrameTop = 16; // where the frame pieces start, under the header
constexpr int kFrameBottom = 110;

const QColor screenTop(0x10, 0x16, 0x1e);
const QColor screenBottom(0x17, 0x1f, 0x29);

} // namespace

QImage chartTop(int k)
{
    QImage img = blank(kWidth, kHeaderHeight, k);
    panel(img, 0, kHeaderHeight, ink::stripTop, ink::stripBottom, ink::stripLight, true);
    // A grip of raised dots down the right of the header, below the close
    // button, says where the window can be taken.
    for (int y = 17; y < kHeaderHeight - 5; y += 3)
        for (int x = kWidth - 9; x < kWidth - 4; x += 3) {
            put(img, x, y, ink::stripLight);
            put(img, x + 1, y + 1, ink::outline);
        }
    return img;
}

QImage chartSide(int w, int k)
{
    const int h = kFrameBottom - kFrameTop;
    QImage img = blank(w, h, k);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            put(img, x, y, mix(ink::bodyTop, ink::bodyBottom, double(y) / h));
    // The window's outline on the outer side.
    const bool left = w == 10;
    for (int y = 0; y < h; ++y)
        put(img, left ? 0 : w - 1, y, ink::outline);
    return img;
}

QImage chartBottom(int k)
{
    QImage img = blank(kWidth, 120 - kFrameBottom, k);
    panel(img, 0, 120 - kFrameBottom, ink::bodyBottom, ink::bodyBottom.darker(115), ink::bodyLight, false);
    return img;
}

QImage chartArea(int k)
{
    const int w = kWidth - 10 - 9;
    const int h = kFrameBottom - kFrameTop;
    QImage img = blank(w, h, k);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            put(img, x, y, mix(screenTop, screenBottom, double(y) / h));
    // Sunk into the frame: a dark line along the top and left, a faint light
    // one along the bottom and right.
    fill(img, QRect(0, 0, w, 1), ink::outline, 0.9);
    fill(img, QRect(0, 0, 1, h), ink::outline, 0.9);
    fill(img, QRect(0, h - 1, w, 1), ink::bodyLight, 0.5);
    fill(img, QRect(w - 1, 0, 1, h), ink::bodyLight, 0.5);
    return img;
}

QImage chartTextButton(const char* caption, int w, int h, bool pressed, int k)
{
    QImage img = blank(w, h, k);
    buttonBase(img, pressed);
    const int shift = pressed ? 1 : 0;
    drawText(img, (w - textWidth(caption)) / 2 + shift, (h - 7) / 2 + shift, caption, ink::glyph);
    return img;
}

} // namespace skingen
