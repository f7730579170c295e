// The skin generator's drawing kit: pixels, panels, button faces, masks,
// strokes and a small pixel font.
#include "art.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cstring>

namespace skingen {

QColor mix(const QColor& a, const QColor& b, double t)
{
    t = std::clamp(t, 0.0, 1.0);
    return QColor::fromRgbF(
        float(a.redF() + (b.redF() - a.redF()) * t), float(a.greenF() + (b.greenF() - a.greenF()) * t),
        float(a.blueF() + (b.blueF() - a.blueF()) * t), float(a.alphaF() + (b.alphaF() - a.alphaF()) * t));
}

QImage blank(int w, int h, int k)
{
    QImage img(w * k, h * k, QImage::Format_ARGB32);
    img.setDevicePixelRatio(k);
    img.fill(Qt::transparent);
    return img;
}

namespace {

int ratioOf(const QImage& img)
{
    return int(img.devicePixelRatio());
}

void blendDevice(QImage& img, int x, int y, const QColor& c, double a)
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
    img.setPixelColor(x, y,
                      QColor::fromRgbF(float(ch(c.redF(), d.redF())), float(ch(c.greenF(), d.greenF())),
                                       float(ch(c.blueF(), d.blueF())), float(oa)));
}

void putDevice(QImage& img, int x, int y, const QColor& c)
{
    if (x >= 0 && y >= 0 && x < img.width() && y < img.height())
        img.setPixelColor(x, y, c);
}

} // namespace

int designWidth(const QImage& img)
{
    return img.width() / ratioOf(img);
}

int designHeight(const QImage& img)
{
    return img.height() / ratioOf(img);
}

QColor colorAt(const QImage& img, int x, int y)
{
    const int k = ratioOf(img);
    return img.pixelColor(x * k, y * k);
}

void blend(QImage& img, int x, int y, const QColor& c, double a)
{
    const int k = ratioOf(img);
    for (int dy = 0; dy < k; ++dy)
        for (int dx = 0; dx < k; ++dx)
            blendDevice(img, x * k + dx, y * k + dy, c, a);
}

void fill(QImage& img, const QRect& r, const QColor& c, double a)
{
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            blend(img, x, y, c, a);
}

void put(QImage& img, int x, int y, const QColor& c)
{
    const int k = ratioOf(img);
    for (int dy = 0; dy < k; ++dy)
        for (int dx = 0; dx < k; ++dx)
            putDevice(img, x * k + dx, y * k + dy, c);
}

// Rows [y0, y0 + h) as one framed panel: dark outline outside, a light top
// edge, soft side edges and a dark bottom edge inside, a faint vertical
// gradient in between. The outline of the top row is drawn only when asked,
// so the body of the full face can sit right under the strip.
void panel(QImage& img, int y0, int h, const QColor& top, const QColor& bottom, const QColor& light, bool topOutline)
{
    const int w = designWidth(img);
    const int first = y0 + (topOutline ? 1 : 0); // first row inside the outline
    const int last = y0 + h - 2;                 // last row inside the outline
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

// ---------------------------------------------------------------------------
// Buttons: small rounded squares a shade lighter than the face, with a light
// glyph. Corners are transparent so the face shows through.

void buttonBase(QImage& img, bool pressed)
{
    const int w = designWidth(img);
    const int h = designHeight(img);
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
    // Pressed, the face sinks: darker, lit from below, a shadow along the top.
    g.setColorAt(0, pressed ? ink::buttonBottom.darker(125) : ink::buttonTop);
    g.setColorAt(1, ink::buttonBottom);
    p.fillPath(inner, g);
    p.end();
    if (pressed) {
        for (int x = 2; x < w - 2; ++x)
            blend(img, x, 1, ink::outline, 0.45);
        return;
    }
    // Light top edge inside, stopping short of the rounded corners.
    const int inset = r > 2.2 ? 2 : 1;
    for (int x = 1 + inset; x < w - 1 - inset; ++x)
        put(img, x, 1, mix(ink::buttonTop, ink::buttonLight, 0.6));
    if (inset > 1) {
        blend(img, 2, 1, ink::buttonLight, 0.3);
        blend(img, w - 3, 1, ink::buttonLight, 0.3);
    }
}

void drawMask(QImage& img, const Mask& m, const QColor& c, QPoint at)
{
    for (int y = 0; y < int(m.size()); ++y)
        for (int x = 0; m[y][x]; ++x) {
            double a = 0;
            switch (m[y][x]) {
            case '#':
                a = 1.0;
                break;
            case 'o':
                a = 0.6;
                break;
            case '+':
                a = 0.35;
                break;
            case '-':
                a = 0.15;
                break;
            default:
                break;
            }
            blend(img, at.x() + x, at.y() + y, c, a);
        }
}

// Crisp strokes along the pixel grid: each segment is horizontal, vertical
// or exactly 45 degrees, drawn with a t x t square brush. A one-pixel
// diagonal looks dotted at button size, so it gets a faint second pixel
// underneath, which reads as a smooth line about 1.4 pixels wide. On a finer
// grid the brush steps one device pixel at a time, so a diagonal is a
// finer staircase and needs no help.
void stroke(QImage& img, const std::vector<QPoint>& pts, int t, const QColor& c)
{
    const int k = ratioOf(img);
    if (k > 1) {
        for (size_t i = 1; i < pts.size(); ++i) {
            QPoint a = pts[i - 1] * k;
            const QPoint b = pts[i] * k;
            const QPoint step((b.x() > a.x()) - (b.x() < a.x()), (b.y() > a.y()) - (b.y() < a.y()));
            for (;;) {
                for (int dy = 0; dy < t * k; ++dy)
                    for (int dx = 0; dx < t * k; ++dx)
                        putDevice(img, a.x() + dx, a.y() + dy, c);
                if (a == b)
                    break;
                a += step;
            }
        }
        return;
    }
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
    for (const QPoint& p : soft)
        if (img.pixelColor(p) != c)
            blend(img, p.x(), p.y(), c, 0.4);
}

namespace {

// 5x7 capitals, just the letters the pictures need.
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
    {'B', {"####.", "#...#", "#...#", "####.", "#...#", "#...#", "####."}},
    {'G', {".###.", "#...#", "#....", "#.###", "#...#", "#...#", ".###."}},
    {'L', {"#....", "#....", "#....", "#....", "#....", "#....", "#####"}},
    {'M', {"#...#", "##.##", "#.#.#", "#.#.#", "#...#", "#...#", "#...#"}},
    {'N', {"#...#", "##..#", "#.#.#", "#.#.#", "#..##", "#...#", "#...#"}},
    {'O', {".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."}},
    {'P', {"####.", "#...#", "#...#", "####.", "#....", "#....", "#...."}},
    {'U', {"#...#", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."}},
    {'Y', {"#...#", "#...#", ".#.#.", "..#..", "..#..", "..#..", "..#.."}},
};

} // namespace

int textWidth(const char* s)
{
    int w = 0;
    for (const char* c = s; *c; ++c)
        w += (*c == ' ' ? 3 : int(std::strlen(kLetters.at(*c)[0]))) + (c[1] ? 1 : 0);
    return w;
}

void drawText(QImage& img, int x, int y, const char* s, const QColor& c)
{
    for (const char* ch = s; *ch; ++ch) {
        if (*ch == ' ') {
            x += 4;
            continue;
        }
        const Mask& m = kLetters.at(*ch);
        for (int r = 0; r < int(m.size()); ++r)
            for (int k = 0; m[r][k]; ++k)
                if (m[r][k] == '#')
                    blend(img, x + k, y + r, c);
        x += int(std::strlen(m[0])) + 1;
    }
}

} // namespace skingen
