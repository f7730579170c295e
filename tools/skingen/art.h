#pragma once

// The drawing kit of the skin generator and the pictures it draws. Every
// picture is drawn on whole pixels; antialiasing only for diagonals and round
// corners.

#include <QColor>
#include <QImage>

#include <cmath>
#include <vector>

namespace skingen {

// ---- Palette: a deep blue-grey that white text reads well on, all day.

namespace ink {
inline const QColor outline(0x0b, 0x0f, 0x15);
inline const QColor stripTop(0x36, 0x43, 0x53);
inline const QColor stripBottom(0x2c, 0x37, 0x45);
inline const QColor stripLight(0x64, 0x75, 0x8a); // top inner edge of the strip
inline const QColor bodyTop(0x2b, 0x35, 0x42);
inline const QColor bodyBottom(0x23, 0x2c, 0x37);
inline const QColor bodyLight(0x45, 0x53, 0x64); // top inner edge of the body
inline const QColor buttonTop(0x4a, 0x5a, 0x6e);
inline const QColor buttonBottom(0x3a, 0x47, 0x57);
inline const QColor buttonLight(0x72, 0x84, 0x9a);
inline const QColor glyph(0xee, 0xf2, 0xf6);
inline const QColor accent(0x62, 0xd2, 0x9c);      // the rising line
inline const QColor accentLight(0x86, 0xea, 0xb8); // the same on a button, where it is thin
} // namespace ink

// ---- Pixels
//
// Pictures are laid out in design pixels. A picture for a screen of device
// pixel ratio k (2 on a 200 % screen) holds k x k device pixels for each
// design pixel, as the image's own device pixel ratio says: the pixel
// primitives fill whole blocks, while curves, diagonals and gradients drawn
// with a painter or a stroke come out at the finer resolution.

QColor mix(const QColor& a, const QColor& b, double t);
QImage blank(int w, int h, int k);
int designWidth(const QImage& img);
int designHeight(const QImage& img);
// The colour of one design pixel.
QColor colorAt(const QImage& img, int x, int y);
// Source-over of one colour with extra coverage `a` onto one pixel.
void blend(QImage& img, int x, int y, const QColor& c, double a = 1.0);
void fill(QImage& img, const QRect& r, const QColor& c, double a = 1.0);
void put(QImage& img, int x, int y, const QColor& c);
// Rows [y0, y0 + h) as one framed panel: dark outline, light top edge, a
// faint vertical gradient; the outline's top row only when asked.
void panel(QImage& img, int y0, int h, const QColor& top, const QColor& bottom, const QColor& light, bool topOutline);
// A small rounded button face a shade lighter than the skin.
void buttonBase(QImage& img, bool pressed = false);
// Crisp strokes along the pixel grid: horizontal, vertical or 45 degrees.
void stroke(QImage& img, const std::vector<QPoint>& pts, int t, const QColor& c);

// Masks, one character a pixel: '#' full, 'o' 60 %, '+' 35 %, '-' 15 %.
using Mask = std::vector<const char*>;
void drawMask(QImage& img, const Mask& m, const QColor& c, QPoint at = {});
// 5x7 capitals.
int textWidth(const char* s);
void drawText(QImage& img, int x, int y, const char* s, const QColor& c);

// ---- Layout: fixed in twips, rounded here to pixels (15 twips a pixel at
// 96 dpi, 12 at 120; the large skin is everything times 4/3).

struct Screen {
    double twipsPerPixel; // 15 or 12
    double scale;         // 1 for the standard skin, 4/3 for the large one
    int px(double twips) const { return int(std::floor(twips * scale / twipsPerPixel + 0.5)); }
};

constexpr Screen kStd96{15, 1.0};
constexpr Screen kStd120{12, 1.0};
constexpr Screen kLarge96{15, 4.0 / 3.0};
constexpr Screen kLarge120{12, 4.0 / 3.0};

// The full block: captions end here, values start there (twips, standard skin).
constexpr double kCaptionRight = 1305;
constexpr double kValueLeft = 1410;

// ---- The pictures

// Each at device pixel ratio `k`.
QImage shadeFace(int w, int h, int k);
QImage fullFace(int w, int h, int stripHeight, const Screen& s, int k);
enum class Glyph { Options, Open, Shade, Close, Chart, List };
QImage button(int w, int h, Glyph glyph, int k);
// `size` pixels square; the About box and window pictures are 64.
QImage productMark(bool icon, int size, int k = 1);
QImage dataServiceBadge(int k);
QImage dragRow(int k);

// The chart browser: one set of pixel pictures for both font sizes.
QImage chartTop(int k);
QImage chartSide(int w, int k);
QImage chartBottom(int k);
QImage chartArea(int k);
QImage chartTextButton(const char* caption, int w, int h, bool pressed, int k);

} // namespace skingen
