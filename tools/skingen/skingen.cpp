// quoterra-skingen: draws the ticker's skin faces and buttons, the About box
// pictures and the window icon, and checks the embedded copies.
//
//   quoterra-skingen RESOURCES_DIR      write skins/, about/ and icons/ PNGs
//   quoterra-skingen --verify           check every embedded picture
//   quoterra-skingen --sheet FILE       all pictures 4x on grey, for review
//   quoterra-skingen --mockup FILE      the faces with sample labels on them
//
// Everything is drawn on whole pixels; antialiasing is used only for
// diagonals and round corners. Small-font and large-font (120 dpi) pictures
// are each drawn at their own pixel size, never scaled from one another.

#include "skins.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

// ---------------------------------------------------------------------------
// Palette. A deep blue-grey that white text reads well on, all day.

namespace ink {
const QColor outline(0x0b, 0x0f, 0x15);
const QColor stripTop(0x36, 0x43, 0x53);
const QColor stripBottom(0x2c, 0x37, 0x45);
const QColor stripLight(0x64, 0x75, 0x8a);   // top inner edge of the strip
const QColor bodyTop(0x2b, 0x35, 0x42);
const QColor bodyBottom(0x23, 0x2c, 0x37);
const QColor bodyLight(0x45, 0x53, 0x64);    // top inner edge of the body
const QColor buttonTop(0x4a, 0x5a, 0x6e);
const QColor buttonBottom(0x3a, 0x47, 0x57);
const QColor buttonLight(0x72, 0x84, 0x9a);
const QColor glyph(0xee, 0xf2, 0xf6);
const QColor accent(0x62, 0xd2, 0x9c);       // the rising line
const QColor accentLight(0x86, 0xea, 0xb8);  // the same on a button, where it is thin
} // namespace ink

QColor mix(const QColor &a, const QColor &b, double t)
{
    t = std::clamp(t, 0.0, 1.0);
    return QColor::fromRgbF(float(a.redF() + (b.redF() - a.redF()) * t),
                            float(a.greenF() + (b.greenF() - a.greenF()) * t),
                            float(a.blueF() + (b.blueF() - a.blueF()) * t),
                            float(a.alphaF() + (b.alphaF() - a.alphaF()) * t));
}

QImage blank(int w, int h)
{
    QImage img(w, h, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    return img;
}

// Source-over of one colour with extra coverage `a` onto one pixel.
void blend(QImage &img, int x, int y, const QColor &c, double a = 1.0)
{
    if (x < 0 || y < 0 || x >= img.width() || y >= img.height() || a <= 0)
        return;
    const double sa = std::clamp(c.alphaF() * a, 0.0, 1.0);
    const QColor d = img.pixelColor(x, y);
    const double da = d.alphaF();
    const double oa = sa + da * (1 - sa);
    if (oa <= 0)
        return;
    auto ch = [&](double s, double dst) { return (s * sa + dst * da * (1 - sa)) / oa; };
    img.setPixelColor(x, y, QColor::fromRgbF(float(ch(c.redF(), d.redF())),
                                             float(ch(c.greenF(), d.greenF())),
                                             float(ch(c.blueF(), d.blueF())), float(oa)));
}

void fill(QImage &img, const QRect &r, const QColor &c, double a = 1.0)
{
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            blend(img, x, y, c, a);
}

void put(QImage &img, int x, int y, const QColor &c)
{
    if (x >= 0 && y >= 0 && x < img.width() && y < img.height())
        img.setPixelColor(x, y, c);
}

// ---------------------------------------------------------------------------
// Faces.
//
// Layout is fixed in twips (1/1440 inch) and rounded here to the nearest
// pixel: 15 twips a pixel at 96 dpi, 12 at 120 dpi; the large skin is
// everything times 4/3.

struct Screen {
    double twipsPerPixel;  // 15 or 12
    double scale;          // 1 for the standard skin, 4/3 for the large one
    int px(double twips) const { return int(std::floor(twips * scale / twipsPerPixel + 0.5)); }
};

constexpr Screen kStd96{15, 1.0};
constexpr Screen kStd120{12, 1.0};
constexpr Screen kLarge96{15, 4.0 / 3.0};
constexpr Screen kLarge120{12, 4.0 / 3.0};

// The full block: captions end here, values start there (twips, standard skin).
constexpr double kCaptionRight = 1305;
constexpr double kValueLeft = 1410;

// Rows [y0, y0 + h) as one framed panel: dark outline outside, a light top
// edge, soft side edges and a dark bottom edge inside, a faint vertical
// gradient in between. The outline of the top row is drawn only when asked,
// so the body of the full face can sit right under the strip.
void panel(QImage &img, int y0, int h, const QColor &top, const QColor &bottom,
           const QColor &light, bool topOutline)
{
    const int w = img.width();
    const int first = y0 + (topOutline ? 1 : 0);  // first row inside the outline
    const int last = y0 + h - 2;                  // last row inside the outline
    for (int y = first; y <= last; ++y) {
        const double t = last > first ? double(y - first) / (last - first) : 0;
        const QColor c = mix(top, bottom, t);
        for (int x = 1; x < w - 1; ++x)
            put(img, x, y, c);
        // Sides: a touch lighter on the left, a touch darker on the right.
        put(img, 1, y, mix(c, light, 0.35));
        put(img, w - 2, y, mix(c, ink::outline, 0.35));
    }
    for (int x = 1; x < w - 1; ++x) {
        put(img, x, first, light);
        put(img, x, last, mix(bottom, ink::outline, 0.45));
    }
    // Soften where the light top edge meets the side edges.
    put(img, 1, first, mix(light, top, 0.45));
    put(img, w - 2, first, mix(light, top, 0.6));
    for (int y = y0; y < y0 + h; ++y) {
        put(img, 0, y, ink::outline);
        put(img, w - 1, y, ink::outline);
    }
    if (topOutline)
        for (int x = 0; x < w; ++x)
            put(img, x, y0, ink::outline);
    for (int x = 0; x < w; ++x)
        put(img, x, y0 + h - 1, ink::outline);
}

QImage shadeFace(int w, int h)
{
    QImage img = blank(w, h);
    panel(img, 0, h, ink::stripTop, ink::stripBottom, ink::stripLight, true);
    return img;
}

// The full face starts with the very same strip as the shaded face, so the
// top line does not move when the window changes mode; the block of values
// hangs below it as a slightly deeper panel.
QImage fullFace(int w, int h, int stripHeight, const Screen &s)
{
    QImage img = blank(w, h);
    const QImage strip = shadeFace(w, stripHeight);
    {
        QPainter p(&img);
        p.drawImage(0, 0, strip);
    }
    panel(img, stripHeight, h - stripHeight, ink::bodyTop, ink::bodyBottom, ink::bodyLight, false);

    // A faint engraved rule between the caption column and the values,
    // fading out at both ends so it reads as a guide, not a border.
    const int x = (s.px(kCaptionRight) + s.px(kValueLeft)) / 2;
    const int y0 = stripHeight + 4;
    const int y1 = h - 6;
    const int fadeLen = std::max(3, (y1 - y0) / 6);
    for (int y = y0; y <= y1; ++y) {
        const double f = std::min({1.0, double(y - y0 + 1) / fadeLen, double(y1 - y + 1) / fadeLen});
        blend(img, x, y, ink::outline, 0.40 * f);
        blend(img, x + 1, y, Qt::white, 0.07 * f);
    }
    return img;
}

// ---------------------------------------------------------------------------
// Buttons: small rounded squares a shade lighter than the face, with a light
// glyph. Corners are transparent so the face shows through.

void buttonBase(QImage &img)
{
    const int w = img.width();
    const int h = img.height();
    const int m = std::min(w, h);
    const double r = m <= 10 ? 1.6 : m <= 13 ? 2.0 : m <= 17 ? 2.5 : 3.0;
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    QPainterPath outer;
    outer.addRoundedRect(QRectF(0, 0, w, h), r, r);
    p.fillPath(outer, ink::outline);
    QPainterPath inner;
    inner.addRoundedRect(QRectF(1, 1, w - 2, h - 2), r - 1, r - 1);
    QLinearGradient g(0, 1, 0, h - 1);
    g.setColorAt(0, ink::buttonTop);
    g.setColorAt(1, ink::buttonBottom);
    p.fillPath(inner, g);
    p.end();
    // Light top edge inside, stopping short of the rounded corners.
    const int inset = r > 2.2 ? 2 : 1;
    for (int x = 1 + inset; x < w - 1 - inset; ++x)
        put(img, x, 1, mix(ink::buttonTop, ink::buttonLight, 0.6));
    if (inset > 1) {
        blend(img, 2, 1, ink::buttonLight, 0.3);
        blend(img, w - 3, 1, ink::buttonLight, 0.3);
    }
}

// Glyph masks, one character a pixel: '#' full, 'o' 60 %, '+' 35 %, '-' 15 %.
// Drawn by hand for each size: at 10 pixels every pixel counts.
using Mask = std::vector<const char *>;

void drawMask(QImage &img, const Mask &m, const QColor &c)
{
    for (int y = 0; y < int(m.size()); ++y)
        for (int x = 0; m[y][x]; ++x) {
            double a = 0;
            switch (m[y][x]) {
            case '#': a = 1.0; break;
            case 'o': a = 0.6; break;
            case '+': a = 0.35; break;
            case '-': a = 0.15; break;
            default: break;
            }
            blend(img, x, y, c, a);
        }
}

enum class Glyph { Options, Open, Shade, Close, Chart, List };

// Three short lines.
const std::map<int, Mask> kOptions{
    {10, {"..........",
          "..........",
          "..........",
          "...####...",
          "..........",
          "...####...",
          "..........",
          "...####...",
          "..........",
          ".........."}},
    {13, {".............",
          ".............",
          ".............",
          ".............",
          "...#######...",
          ".............",
          "...#######...",
          ".............",
          "...#######...",
          ".............",
          ".............",
          ".............",
          "............."}},
    {16, {"................",
          "................",
          "................",
          "................",
          "................",
          "....########....",
          "................",
          "................",
          "....########....",
          "................",
          "................",
          "....########....",
          "................",
          "................",
          "................",
          "................"}},
};

// Points down: the window opens downwards.
const std::map<int, Mask> kOpen{
    {10, {"..........",
          "..........",
          "..........",
          "..........",
          "..######..",
          "...####...",
          "....##....",
          "..........",
          "..........",
          ".........."}},
    {13, {".............",
          ".............",
          ".............",
          ".............",
          ".............",
          "...#######...",
          "....#####....",
          ".....###.....",
          "......#......",
          ".............",
          ".............",
          ".............",
          "............."}},
    {16, {"................",
          "................",
          "................",
          "................",
          "................",
          "................",
          "....########....",
          ".....######.....",
          "......####......",
          ".......##.......",
          "................",
          "................",
          "................",
          "................",
          "................",
          "................"}},
};

// A cross.
const std::map<int, Mask> kClose{
    {10, {"..........",
          "..........",
          "..........",
          "..##..##..",
          "...####...",
          "....##....",
          "...####...",
          "..##..##..",
          "..........",
          ".........."}},
    {13, {".............",
          ".............",
          ".............",
          "...#o...o#...",
          "...o#o.o#o...",
          "....o#o#o....",
          ".....o#o.....",
          "....o#o#o....",
          "...o#o.o#o...",
          "...#o...o#...",
          ".............",
          ".............",
          "............."}},
    {16, {"................",
          "................",
          "................",
          "................",
          "................",
          "....##....##....",
          ".....##..##.....",
          "......####......",
          ".......##.......",
          "......####......",
          ".....##..##.....",
          "....##....##....",
          "................",
          "................",
          "................",
          "................"}},
};

Mask flipped(const Mask &m)
{
    return Mask(m.rbegin(), m.rend());
}

// Crisp strokes along the pixel grid: each segment is horizontal, vertical
// or exactly 45 degrees, drawn with a t x t square brush. A one-pixel
// diagonal looks dotted at button size, so it gets a faint second pixel
// underneath, which reads as a smooth line about 1.4 pixels wide.
void stroke(QImage &img, const std::vector<QPoint> &pts, int t, const QColor &c)
{
    std::vector<QPoint> soft;
    for (size_t i = 1; i < pts.size(); ++i) {
        QPoint a = pts[i - 1];
        const QPoint b = pts[i];
        const QPoint step((b.x() > a.x()) - (b.x() < a.x()), (b.y() > a.y()) - (b.y() < a.y()));
        for (;;) {
            for (int dy = 0; dy < t; ++dy)
                for (int dx = 0; dx < t; ++dx)
                    put(img, a.x() + dx, a.y() + dy, c);
            if (t == 1 && step.x() && step.y() && a != b)
                soft.push_back(a + QPoint(0, 1) + (step.y() < 0 ? QPoint(1, -1) : QPoint(0, 0)));
            if (a == b)
                break;
            a += step;
        }
    }
    for (const QPoint &p : soft)
        if (img.pixelColor(p) != c)
            blend(img, p.x(), p.y(), c, 0.4);
}

// Axes and a rising line with one dip. Laid out by hand for each size so
// that every segment stays on the pixel grid.
void drawChart(QImage &img)
{
    struct Geometry {
        QPoint origin;             // where the axes meet (top-left pixel of the corner)
        int up, right, axis;       // axis lengths and thickness
        std::vector<QPoint> line;  // the rising line
        int weight;                // its thickness
    };
    const int h = img.height();
    const Geometry g = h <= 17 ? Geometry{{5, 13}, 10, 10, 1, {{7, 11}, {9, 9}, {10, 10}, {14, 6}}, 1}
                     : h <= 21 ? Geometry{{6, 16}, 12, 13, 1, {{8, 13}, {11, 10}, {13, 12}, {18, 7}}, 1}
                     : h <= 23 ? Geometry{{7, 18}, 14, 14, 1, {{9, 14}, {12, 11}, {14, 13}, {19, 8}}, 2}
                               : Geometry{{8, 22}, 17, 19, 2, {{12, 17}, {16, 13}, {19, 16}, {25, 10}}, 2};
    const QColor axisInk = mix(ink::glyph, ink::buttonBottom, 0.3);
    const QPoint o = g.origin;
    fill(img, QRect(o.x(), o.y() - g.up, g.axis, g.up + g.axis), axisInk);
    fill(img, QRect(o.x(), o.y(), g.right, g.axis), axisInk);
    stroke(img, g.line, g.weight, ink::accentLight);
}

// Bullets and lines.
void drawList(QImage &img)
{
    struct Geometry { int bullet, line, gap, length, space; };
    const int h = img.height();
    const Geometry g = h <= 17 ? Geometry{3, 1, 1, 6, 2}
                     : h <= 21 ? Geometry{3, 1, 2, 8, 3}
                     : h <= 23 ? Geometry{4, 2, 2, 9, 3}
                               : Geometry{4, 2, 3, 12, 4};
    const int totalW = g.bullet + g.space + g.length;
    const int totalH = 3 * g.bullet + 2 * g.gap;
    const int x0 = (img.width() - totalW) / 2;
    const int y0 = (h - totalH + 1) / 2;
    for (int i = 0; i < 3; ++i) {
        const int y = y0 + i * (g.bullet + g.gap);
        fill(img, QRect(x0, y, g.bullet, g.bullet), ink::accentLight);
        // Round the bullets; only a touch on a 3 x 3, which would otherwise
        // read as a plus.
        const double round = g.bullet >= 4 ? 0.55 : 0.3;
        for (const QPoint c : {QPoint(x0, y), QPoint(x0 + g.bullet - 1, y),
                               QPoint(x0, y + g.bullet - 1), QPoint(x0 + g.bullet - 1, y + g.bullet - 1)})
            put(img, c.x(), c.y(), mix(ink::accentLight, img.pixelColor(c.x() == x0 ? c.x() - 1 : c.x() + 1, c.y()), round));
        fill(img, QRect(x0 + g.bullet + g.space, y + (g.bullet - g.line) / 2, g.length, g.line), ink::glyph);
    }
}

QImage button(int w, int h, Glyph glyph)
{
    QImage img = blank(w, h);
    buttonBase(img);
    switch (glyph) {
    case Glyph::Options: drawMask(img, kOptions.at(w), ink::glyph); break;
    case Glyph::Open: drawMask(img, kOpen.at(w), ink::glyph); break;
    case Glyph::Shade: drawMask(img, flipped(kOpen.at(w)), ink::glyph); break;
    case Glyph::Close: drawMask(img, kClose.at(w), ink::glyph); break;
    case Glyph::Chart: drawChart(img); break;
    case Glyph::List: drawList(img); break;
    }
    return img;
}

// ---------------------------------------------------------------------------
// About box and window pictures.

// The product mark: a slate tile with a rising line over a ticker strip.
// The window icon is the same mark made bolder, since it is mostly seen
// shrunk in a task bar.
QImage productMark(bool icon)
{
    const int n = 64;
    QImage img = blank(n, n);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);

    QPainterPath tile;
    tile.addRoundedRect(QRectF(2, 2, 60, 60), 11, 11);
    p.fillPath(tile, ink::outline);
    QPainterPath face;
    face.addRoundedRect(QRectF(3, 3, 58, 58), 10, 10);
    QLinearGradient g(0, 3, 0, 61);
    g.setColorAt(0, ink::stripTop.lighter(112));
    g.setColorAt(1, ink::bodyBottom);
    p.fillPath(face, g);
    // Light top edge.
    p.setPen(QPen(QColor(255, 255, 255, 46), 1));
    p.drawLine(QPointF(12, 3.5), QPointF(52, 3.5));
    p.setPen(Qt::NoPen);

    if (!icon)
        for (int y : {17, 27, 37})
            p.fillRect(QRect(10, y, 44, 1), QColor(255, 255, 255, 16));

    const QPointF pts[] = {{10, 40}, {19, 32}, {26, 35.5}, {36, 24}, {43, 27.5}, {53, 14}};
    QPainterPath line;
    line.moveTo(pts[0]);
    for (int i = 1; i < 6; ++i)
        line.lineTo(pts[i]);

    // A soft wash under the line.
    QPainterPath area = line;
    area.lineTo(53, 46);
    area.lineTo(10, 46);
    area.closeSubpath();
    QLinearGradient wash(0, 14, 0, 46);
    QColor a0 = ink::accent;
    a0.setAlpha(icon ? 90 : 70);
    QColor a1 = ink::accent;
    a1.setAlpha(0);
    wash.setColorAt(0, a0);
    wash.setColorAt(1, a1);
    p.fillPath(area, wash);

    p.setPen(QPen(ink::accent, icon ? 4.0 : 3.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(line);
    p.setPen(Qt::NoPen);
    p.setBrush(ink::accent);
    p.drawEllipse(pts[5], icon ? 4.0 : 3.5, icon ? 4.0 : 3.5);
    p.setBrush(ink::glyph);
    p.drawEllipse(pts[5], 1.5, 1.5);

    // The ticker strip along the bottom.
    QPainterPath strip;
    strip.addRoundedRect(QRectF(9, 47, 46, 9), 2.5, 2.5);
    p.fillPath(strip, ink::outline);
    QPainterPath stripFace;
    stripFace.addRoundedRect(QRectF(10, 48, 44, 7), 1.5, 1.5);
    p.fillPath(stripFace, ink::stripTop);
    p.end();
    for (int x = 11; x < 53; ++x)
        blend(img, x, 48, ink::stripLight, 0.8);
    // Text-like marks on the strip: a symbol, a small up-triangle and a price.
    fill(img, QRect(13, 50, 7, 3), ink::glyph, 0.95);
    const QRect tri(23, 50, 5, 3);
    for (int r = 0; r < 3; ++r)
        fill(img, QRect(tri.left() + 2 - r, tri.top() + r, 1 + 2 * r, 1), ink::accent);
    if (!icon) {
        fill(img, QRect(31, 50, 9, 3), ink::glyph, 0.7);
        fill(img, QRect(43, 50, 8, 3), ink::glyph, 0.45);
    } else {
        fill(img, QRect(31, 50, 19, 3), ink::glyph, 0.6);
    }
    return img;
}

// 5x7 capitals, just the letters the badge needs.
const std::map<char, Mask> kLetters{
    {'A', {".###.", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"}},
    {'C', {".###.", "#...#", "#....", "#....", "#....", "#...#", ".###."}},
    {'D', {"####.", "#...#", "#...#", "#...#", "#...#", "#...#", "####."}},
    {'E', {"#####", "#....", "#....", "####.", "#....", "#....", "#####"}},
    {'I', {"###", ".#.", ".#.", ".#.", ".#.", ".#.", "###"}},
    {'R', {"####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#"}},
    {'S', {".####", "#....", "#....", ".###.", "....#", "....#", "####."}},
    {'T', {"#####", "..#..", "..#..", "..#..", "..#..", "..#..", "..#.."}},
    {'V', {"#...#", "#...#", "#...#", "#...#", "#...#", ".#.#.", "..#.."}},
};

int textWidth(const char *s)
{
    int w = 0;
    for (const char *c = s; *c; ++c)
        w += (*c == ' ' ? 3 : int(std::strlen(kLetters.at(*c)[0]))) + (c[1] ? 1 : 0);
    return w;
}

void drawText(QImage &img, int x, int y, const char *s, const QColor &c)
{
    for (const char *ch = s; *ch; ++ch) {
        if (*ch == ' ') {
            x += 4;
            continue;
        }
        const Mask &m = kLetters.at(*ch);
        for (int r = 0; r < int(m.size()); ++r)
            for (int k = 0; m[r][k]; ++k)
                if (m[r][k] == '#')
                    blend(img, x + k, y + r, c);
        x += int(std::strlen(m[0])) + 1;
    }
}

// A neutral badge for the quote source: a stack of three server bars and
// the words DATA SERVICE. Our own drawing, not anybody's mark.
QImage dataServiceBadge()
{
    const int w = 104;
    const int h = 32;
    QImage img = blank(w, h);
    {
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        QPainterPath outer;
        outer.addRoundedRect(QRectF(0, 0, w, h), 6, 6);
        p.fillPath(outer, ink::outline);
        QPainterPath inner;
        inner.addRoundedRect(QRectF(1, 1, w - 2, h - 2), 5, 5);
        QLinearGradient g(0, 1, 0, h - 1);
        g.setColorAt(0, ink::stripTop);
        g.setColorAt(1, ink::bodyBottom);
        p.fillPath(inner, g);
    }
    for (int x = 5; x < w - 5; ++x)
        put(img, x, 1, ink::stripLight);

    // Server bars: 14 x 5, two pixels apart, each with a status light.
    const int bx = 9;
    for (int i = 0; i < 3; ++i) {
        const int by = 7 + i * 7;
        fill(img, QRect(bx, by, 14, 5), ink::glyph, 0.85);
        for (const QPoint c : {QPoint(bx, by), QPoint(bx + 13, by), QPoint(bx, by + 4), QPoint(bx + 13, by + 4)})
            put(img, c.x(), c.y(), mix(ink::glyph, img.pixelColor(c.x(), c.y() == by ? by - 1 : by + 5), 0.6));
        fill(img, QRect(bx + 2, by + 2, 6, 1), ink::bodyBottom, 0.55);
        fill(img, QRect(bx + 10, by + 2, 2, 1), ink::accent);
        blend(img, bx + 10, by + 1, ink::accent, 0.35);
        blend(img, bx + 11, by + 1, ink::accent, 0.35);
    }
    const char *words = "DATA SERVICE";
    const int tx = 30 + (w - 8 - 30 - textWidth(words)) / 2;
    drawText(img, tx, 12, words, ink::glyph);
    return img;
}

// The picture carried under the pointer while a row of a list is dragged:
// a light row with a grip, a little shadow beneath.
QImage dragRow()
{
    QImage img = blank(32, 32);
    const QRect row(2, 9, 27, 13);
    // A soft shadow down and to the right, so the row seems lifted.
    fill(img, row.translated(2, 2), Qt::black, 0.10);
    fill(img, row.translated(1, 1), Qt::black, 0.16);
    fill(img, row, QColor(0x5f, 0x6d, 0x7e));
    fill(img, row.adjusted(1, 1, -1, -1), QColor(0xf6, 0xf8, 0xfa));
    fill(img, QRect(row.left() + 1, row.top() + 1, row.width() - 2, 1), Qt::white);
    // Grip: two columns of three dots.
    for (int c = 0; c < 2; ++c)
        for (int r = 0; r < 3; ++r)
            put(img, row.left() + 4 + c * 2, row.top() + 4 + r * 2, QColor(0x7a, 0x88, 0x99));
    // Two text lines.
    fill(img, QRect(row.left() + 9, row.top() + 4, 14, 2), QColor(0x3a, 0x47, 0x57));
    fill(img, QRect(row.left() + 9, row.top() + 8, 9, 1), QColor(0x9a, 0xa6, 0xb4));
    // Blend the row's outline corners.
    for (const QPoint c : {row.topLeft(), row.topRight(), row.bottomLeft(), row.bottomRight()})
        put(img, c.x(), c.y(), QColor(0x5f, 0x6d, 0x7e, 110));
    return img;
}

// ---------------------------------------------------------------------------
// What gets written where.

struct Output {
    std::string path;  // resource path, e.g. ":/skins/picDefaultShade.png"
    std::function<QImage()> draw;
};

std::vector<Output> outputs()
{
    auto sq = [](Glyph g, int n) { return [g, n] { return button(n, n, g); }; };
    auto wide = [](Glyph g, int w, int h) { return [g, w, h] { return button(w, h, g); }; };
    return {
        {":/skins/picDefaultShade.png", [] { return shadeFace(210, 14); }},
        {":/skins/picDefaultShadeLargeFont.png", [] { return shadeFace(263, 18); }},
        {":/skins/picDefaultFull.png", [] { return fullFace(210, 116, 14, kStd96); }},
        {":/skins/picDefaultFullLargeFont.png", [] { return fullFace(263, 145, 18, kStd120); }},
        {":/skins/picLargeShade.png", [] { return shadeFace(280, 19); }},
        {":/skins/picLargeShadeLargeFont.png", [] { return shadeFace(350, 23); }},
        {":/skins/picLargeFull.png", [] { return fullFace(280, 155, 19, kLarge96); }},
        {":/skins/picLargeFullLargeFont.png", [] { return fullFace(350, 193, 23, kLarge120); }},

        {":/skins/picDefaultWindowShade.png", sq(Glyph::Open, 10)},
        {":/skins/picDefaultWindowShadeLargeFont.png", sq(Glyph::Open, 13)},
        {":/skins/picDefaultWindowFull.png", sq(Glyph::Shade, 10)},
        {":/skins/picDefaultWindowFullLargeFont.png", sq(Glyph::Shade, 13)},
        {":/skins/picDefaultOptions.png", sq(Glyph::Options, 10)},
        {":/skins/picDefaultOptionsLargeFont.png", sq(Glyph::Options, 13)},
        {":/skins/picDefaultExit.png", sq(Glyph::Close, 10)},
        {":/skins/picDefaultExitLargeFont.png", sq(Glyph::Close, 13)},
        {":/skins/picLargeWindowShade.png", sq(Glyph::Open, 13)},
        {":/skins/picLargeWindowShadeLargeFont.png", sq(Glyph::Open, 16)},
        {":/skins/picLargeWindowFull.png", sq(Glyph::Shade, 13)},
        {":/skins/picLargeWindowFullLargeFont.png", sq(Glyph::Shade, 16)},
        {":/skins/picLargeOptions.png", sq(Glyph::Options, 13)},
        {":/skins/picLargeOptionsLargeFont.png", sq(Glyph::Options, 16)},
        {":/skins/picLargeExit.png", sq(Glyph::Close, 13)},
        {":/skins/picLargeExitLargeFont.png", sq(Glyph::Close, 16)},

        {":/skins/picChart.png", wide(Glyph::Chart, 20, 17)},
        {":/skins/picChartLargeFont.png", wide(Glyph::Chart, 25, 21)},
        {":/skins/picSymbolEditor.png", wide(Glyph::List, 20, 17)},
        {":/skins/picSymbolEditorLargeFont.png", wide(Glyph::List, 25, 21)},
        {":/skins/picLargeChartBrowser.png", wide(Glyph::Chart, 27, 23)},
        {":/skins/picLargeChartBrowserLargeFont.png", wide(Glyph::Chart, 34, 29)},
        {":/skins/picLargeSymbolManager.png", wide(Glyph::List, 27, 23)},
        {":/skins/picLargeSymbolManagerLargeFont.png", wide(Glyph::List, 34, 29)},

        {":/about/product.png", [] { return productMark(false); }},
        {":/about/data-service.png", dataServiceBadge},
        {":/icons/quoterra.png", [] { return productMark(true); }},
        {":/icons/drag-row.png", dragRow},
    };
}

QString str(std::string_view s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }

// Every picture drawn, checked against the catalogue's size.
bool drawAll(std::vector<std::pair<std::string, QImage>> &out)
{
    bool ok = true;
    std::set<std::string_view> drawn;
    for (const Output &o : outputs()) {
        const quoterra::skins::Picture *pic = quoterra::skins::find(o.path);
        QImage img = o.draw();
        if (!pic) {
            std::fprintf(stderr, "%s: drawn but not in the catalogue\n", o.path.c_str());
            ok = false;
        } else if (img.width() != pic->width || img.height() != pic->height) {
            std::fprintf(stderr, "%s: drawn %dx%d, catalogue says %dx%d\n", o.path.c_str(), img.width(),
                         img.height(), pic->width, pic->height);
            ok = false;
        } else {
            drawn.insert(pic->path);
        }
        out.emplace_back(o.path, std::move(img));
    }
    for (const auto &pic : quoterra::skins::pictures())
        if (!drawn.count(pic.path)) {
            std::fprintf(stderr, "%s: in the catalogue but never drawn\n", std::string(pic.path).c_str());
            ok = false;
        }
    return ok;
}

int generate(const QString &root)
{
    std::vector<std::pair<std::string, QImage>> images;
    if (!drawAll(images))
        return 1;
    for (const auto &[path, img] : images) {
        // ":/skins/x.png" -> ROOT/skins/x.png
        const QString file = QDir(root).filePath(QString::fromStdString(path).mid(2));
        if (!QDir().mkpath(QFileInfo(file).path()) || !img.save(file, "PNG")) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    std::printf("wrote %zu pictures under %s\n", images.size(), qPrintable(QDir(root).absolutePath()));
    return 0;
}

// Loads every embedded picture the way the program does and checks its
// size; also flags embedded files the catalogue does not know about.
int verify()
{
    int bad = 0;
    for (const auto &pic : quoterra::skins::pictures()) {
        const QPixmap pm(str(pic.path));
        if (pm.isNull()) {
            std::fprintf(stderr, "MISSING  %s\n", std::string(pic.path).c_str());
            ++bad;
        } else if (pm.width() != pic.width || pm.height() != pic.height) {
            std::fprintf(stderr, "SIZE     %s is %dx%d, expected %dx%d\n", std::string(pic.path).c_str(),
                         pm.width(), pm.height(), pic.width, pic.height);
            ++bad;
        }
    }
    for (const char *dir : {":/skins", ":/about", ":/icons"}) {
        QDirIterator it(dir, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString f = it.next();
            if (!quoterra::skins::find(f.toStdString())) {
                std::fprintf(stderr, "UNKNOWN  %s is embedded but not catalogued\n", qPrintable(f));
                ++bad;
            }
        }
    }
    // The full face must begin with the shaded face, or the top line jumps
    // when the window changes mode.
    for (const char *set : {"picDefault", "picLarge"})
        for (const char *font : {"", "LargeFont"}) {
            const QString base = QStringLiteral(":/skins/") + QLatin1String(set);
            const QImage shade = QImage(base + QStringLiteral("Shade") + QLatin1String(font) + QStringLiteral(".png"))
                                     .convertToFormat(QImage::Format_ARGB32);
            const QImage full = QImage(base + QStringLiteral("Full") + QLatin1String(font) + QStringLiteral(".png"))
                                    .convertToFormat(QImage::Format_ARGB32);
            if (shade.isNull() || full.isNull())
                continue;  // already reported
            if (full.width() != shade.width() || full.height() < shade.height()
                || full.copy(0, 0, shade.width(), shade.height()) != shade) {
                std::fprintf(stderr, "STRIP    %sFull%s does not start with %sShade%s\n", set, font, set, font);
                ++bad;
            }
        }
    const auto n = quoterra::skins::pictures().size();
    if (bad) {
        std::fprintf(stderr, "%d problem(s) among %zu pictures\n", bad, n);
        return 1;
    }
    std::printf("all %zu embedded pictures load at their sizes\n", n);
    return 0;
}

// ---------------------------------------------------------------------------
// Review pictures: not shipped, only for looking at the art.

QImage enlarged(const QImage &img, int k)
{
    return img.scaled(img.width() * k, img.height() * k, Qt::IgnoreAspectRatio, Qt::FastTransformation);
}

QFont labelFont(double points, bool bold, double dpi)
{
    QFont f(QStringLiteral("Liberation Sans"));
    f.setStyleHint(QFont::SansSerif);
    f.setPixelSize(int(std::lround(points * dpi / 72.0)));
    f.setBold(bold);
    f.setHintingPreference(QFont::PreferFullHinting);
    return f;
}

// Button places on the standard skin, twips, chosen to be whole pixels at
// 96 dpi and, where possible, at 120 dpi too. The strip buttons' top of 30
// centres them on the strip at either dpi. The large skin scales all of
// them by 4/3 like every other control.
struct Place { double left, top; };
constexpr Place kOptionsAt{30, 30};
constexpr Place kWindowAt{2790, 30};
constexpr Place kExitAt{2970, 30};
constexpr Place kChartAt{2760, 660};
constexpr Place kListAt{2760, 1020};

using Drawn = std::map<QString, QImage>;

Drawn drawnPictures()
{
    std::vector<std::pair<std::string, QImage>> images;
    drawAll(images);
    Drawn out;
    for (auto &[path, img] : images)
        out[QString::fromStdString(path)] = img;
    return out;
}

// One ticker window as it will look: face, buttons and white labels.
QImage mockWindow(const Drawn &pics, bool large, bool dpi120, bool full)
{
    const Screen s = large ? (dpi120 ? kLarge120 : kLarge96) : (dpi120 ? kStd120 : kStd96);
    const double dpi = 1440.0 / s.twipsPerPixel;
    const QString suffix = dpi120 ? QStringLiteral("LargeFont") : QString();
    auto load = [&](const QString &path) {
        const auto it = pics.find(path);
        if (it == pics.end()) {
            std::fprintf(stderr, "no picture %s\n", qPrintable(path));
            return QImage();
        }
        return it->second;
    };
    auto skin = [&](const QString &name) { return load(QStringLiteral(":/skins/") + name + QStringLiteral(".png")); };

    const QString set = large ? QStringLiteral("picLarge") : QStringLiteral("picDefault");
    const QString mode = full ? QStringLiteral("Full") : QStringLiteral("Shade");
    QImage img = skin(set + mode + suffix);
    QString windowButton = set + QStringLiteral("Window") + mode + suffix;
    if (windowButton == QLatin1String("picDefaultWindowShade"))
        windowButton = QStringLiteral("picDefaultWindowShade");  // this one holder is spelt with a capital I

    QPainter p(&img);
    // Strip buttons are centred on the strip, except that the large skin on
    // 120 dpi puts them at a fixed 50 twips.
    auto at = [&](const Place &pl, const QImage &b, bool onStrip) {
        const int top = onStrip && large && dpi120 ? int(std::lround(50 / s.twipsPerPixel)) : s.px(pl.top);
        p.drawImage(s.px(pl.left), top, b);
    };
    at(kOptionsAt, skin(set + QStringLiteral("Options") + suffix), true);
    at(kWindowAt, skin(windowButton), true);
    at(kExitAt, skin(set + QStringLiteral("Exit") + suffix), true);
    if (full) {
        at(kChartAt, skin((large ? QStringLiteral("picLargeChartBrowser") : QStringLiteral("picChart")) + suffix), false);
        at(kListAt, skin((large ? QStringLiteral("picLargeSymbolManager") : QStringLiteral("picSymbolEditor")) + suffix),
           false);
    }

    p.setPen(Qt::white);
    auto text = [&](double leftTw, double topTw, const QFont &f, const QString &t, bool alignRight = false) {
        p.setFont(f);
        const int y = int(std::lround(topTw / s.twipsPerPixel));
        if (alignRight)
            p.drawText(QRect(0, y, s.px(leftTw), 100), Qt::AlignRight | Qt::AlignTop, t);
        else
            p.drawText(QRect(s.px(leftTw), y, 1000, 100), Qt::AlignLeft | Qt::AlignTop, t);
    };
    if (!full) {
        // Compact line: symbol, price, change.
        const double symTop = large ? 15 : (dpi120 ? 15 : 0);
        const double numTop = large ? 30 : 25;
        text(220, symTop, labelFont(large ? 11 : 8.25, true, dpi), QStringLiteral("IBM"));
        text(1105, numTop, labelFont(large ? 10 : 6.75, false, dpi), QStringLiteral("112.45"));
        text(1900, numTop, labelFont(large ? 10 : 6.75, false, dpi), QStringLiteral("+1.25"));
    } else {
        const double rows[] = {270, 450, 630, 825, 1035, 1245, 1440};
        const char *captions[] = {"Current Symbol:", "Last Price:", "Change:", "Open Price:",
                                  "Daily High:", "Daily Low:", "Volume:"};
        const char *values[] = {"INTL BUSINESS MAC", "112.45", "+1.25", "111.20", "113.05", "110.90", "4,512,300"};
        const double pt = large ? 11 : 8.25;
        for (int i = 0; i < 7; ++i) {
            text(kCaptionRight, rows[i] * s.scale, labelFont(pt, false, dpi), QString::fromLatin1(captions[i]), true);
            text(kValueLeft, rows[i] * s.scale, labelFont(pt, i == 0, dpi), QString::fromLatin1(values[i]));
        }
    }
    return img;
}

int mockup(const QString &file)
{
    struct Variant { const char *title; bool large, dpi120; int zoom; };
    const Variant variants[] = {
        {"Standard skin, 96 dpi (actual size and 4x)", false, false, 4},
        {"Standard skin, 120 dpi (2x)", false, true, 2},
        {"Large skin, 96 dpi (2x)", true, false, 2},
        {"Large skin, 120 dpi (2x)", true, true, 2},
    };
    const Drawn pics = drawnPictures();
    const QColor desk(0x9a, 0xa0, 0xa6);
    QImage sheet(1560, 2000, QImage::Format_ARGB32);
    sheet.fill(desk);
    QPainter p(&sheet);
    QFont title(QStringLiteral("Liberation Sans"));
    title.setPixelSize(14);
    title.setBold(true);
    int y = 12;
    for (const Variant &v : variants) {
        p.setFont(title);
        p.setPen(QColor(0x20, 0x24, 0x28));
        p.drawText(12, y + 14, QString::fromLatin1(v.title));
        y += 24;
        const QImage shade = mockWindow(pics, v.large, v.dpi120, false);
        const QImage full = mockWindow(pics, v.large, v.dpi120, true);
        int x = 12;
        if (v.zoom == 4) {
            p.drawImage(x, y, shade);
            p.drawImage(x, y + shade.height() + 12, full);
            x += full.width() + 24;
        }
        const QImage zs = enlarged(shade, v.zoom);
        const QImage zf = enlarged(full, v.zoom);
        p.drawImage(x, y, zs);
        p.drawImage(x, y + zs.height() + 12, zf);
        y += zs.height() + zf.height() + 36;
    }
    p.end();
    sheet = sheet.copy(0, 0, sheet.width(), y);
    if (!sheet.save(file, "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
        return 1;
    }
    return 0;
}

int contactSheet(const QString &file)
{
    std::vector<std::pair<std::string, QImage>> images;
    drawAll(images);
    const int k = 4;
    const int width = 1500;
    QImage sheet(width, 6000, QImage::Format_ARGB32);
    sheet.fill(QColor(0x80, 0x84, 0x88));
    QPainter p(&sheet);
    QFont f(QStringLiteral("Liberation Sans"));
    f.setPixelSize(12);
    p.setFont(f);
    int x = 12, y = 12, rowH = 0;
    for (const auto &[path, img] : images) {
        const QImage z = enlarged(img, k);
        const QString label = QStringLiteral("%1 %2x%3").arg(QString::fromStdString(path).mid(2)).arg(img.width()).arg(img.height());
        const int cellW = std::max(z.width() + img.width() + 4, p.fontMetrics().horizontalAdvance(label)) - img.width() - 4;
        if (x + cellW > width - 12) {
            x = 12;
            y += rowH + 12;
            rowH = 0;
        }
        p.setPen(Qt::black);
        p.drawText(x, y + 12, label);
        p.drawImage(x, y + 18, z);
        p.drawImage(x + z.width() + 4, y + 18, img);
        x += cellW + img.width() + 20;
        rowH = std::max(rowH, z.height() + 18);
    }
    p.end();
    sheet = sheet.copy(0, 0, width, y + rowH + 12);
    return sheet.save(file, "PNG") ? 0 : 1;
}

int usage()
{
    std::fprintf(stderr,
                 "usage: quoterra-skingen RESOURCES_DIR   write the pictures under RESOURCES_DIR/{skins,about,icons}\n"
                 "       quoterra-skingen --verify        check every embedded picture and its size\n"
                 "       quoterra-skingen --sheet FILE    all pictures enlarged, for review\n"
                 "       quoterra-skingen --mockup FILE   the faces with sample labels, for review\n");
    return 2;
}

} // namespace

int main(int argc, char **argv)
{
    // A drawing tool: it needs no screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
    QGuiApplication app(argc, argv);

    const QStringList args = app.arguments().mid(1);
    if (args.size() == 1 && args[0] == QLatin1String("--verify"))
        return verify();
    if (args.size() == 2 && args[0] == QLatin1String("--sheet"))
        return contactSheet(args[1]);
    if (args.size() == 2 && args[0] == QLatin1String("--mockup"))
        return mockup(args[1]);
    if (args.size() == 1 && !args[0].startsWith(QLatin1Char('-')))
        return generate(args[0]);
    return usage();
}
