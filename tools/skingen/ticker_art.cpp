// The ticker's faces and buttons, the product mark, the data service badge
// and the drag picture.
#include "art.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace skingen {

QImage shadeFace(int w, int h, int k)
{
    QImage img = blank(w, h, k);
    panel(img, 0, h, ink::stripTop, ink::stripBottom, ink::stripLight, true);
    return img;
}

// The full face starts with the very same strip as the shaded face, so the
// top line does not move when the window changes mode; the block of values
// hangs below it as a slightly deeper panel.
QImage fullFace(int w, int h, int stripHeight, const Screen& s, int k)
{
    QImage img = blank(w, h, k);
    const QImage strip = shadeFace(w, stripHeight, k);
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

namespace {

// Glyphs drawn by hand for each size: at 10 pixels every pixel counts. Only
// the inked rows are kept, `top` rows down the square button.
struct Inked {
    int top;
    Mask rows;
};

void drawInked(QImage& img, const Inked& g)
{
    drawMask(img, g.rows, ink::glyph, QPoint(0, g.top));
}

// Three short lines.
const std::map<int, Inked> kOptions{
    {10, {3, {"...####...", "..........", "...####...", "..........", "...####..."}}},
    {13, {4, {"...#######...", ".............", "...#######...", ".............", "...#######..."}}},
    {16,
     {5,
      {"....########....", "................", "................", "....########....", "................",
       "................", "....########...."}}},
};

// Points down: the window opens downwards.
const std::map<int, Inked> kOpen{
    {10, {4, {"..######..", "...####...", "....##...."}}},
    {13, {5, {"...#######...", "....#####....", ".....###.....", "......#......"}}},
    {16, {6, {"....########....", ".....######.....", "......####......", ".......##......."}}},
};

// A cross.
const std::map<int, Inked> kClose{
    {10, {3, {"..##..##..", "...####...", "....##....", "...####...", "..##..##.."}}},
    {13,
     {3,
      {"...#o...o#...", "...o#o.o#o...", "....o#o#o....", ".....o#o.....", "....o#o#o....", "...o#o.o#o...",
       "...#o...o#..."}}},
    {16,
     {5,
      {"....##....##....", ".....##..##.....", "......####......", ".......##.......", "......####......",
       ".....##..##.....", "....##....##...."}}},
};

// The glyph upside down in its square of `size` rows.
Inked flipped(const Inked& g, int size)
{
    return {size - g.top - int(g.rows.size()), Mask(g.rows.rbegin(), g.rows.rend())};
}

// Axes and a rising line with one dip. Laid out by hand for each size so
// that every segment stays on the pixel grid.
void drawChart(QImage& img)
{
    struct Geometry {
        QPoint origin;            // where the axes meet (top-left pixel of the corner)
        int up, right, axis;      // axis lengths and thickness
        std::vector<QPoint> line; // the rising line
        int weight;               // its thickness
    };
    const int h = designHeight(img);
    const Geometry g = h <= 17 ? Geometry{{5, 13}, 10, 10, 1, {{7, 11}, {9, 9}, {10, 10}, {14, 6}}, 1}
        : h <= 21              ? Geometry{{6, 16}, 12, 13, 1, {{8, 13}, {11, 10}, {13, 12}, {18, 7}}, 1}
        : h <= 23              ? Geometry{{7, 18}, 14, 14, 1, {{9, 14}, {12, 11}, {14, 13}, {19, 8}}, 2}
                               : Geometry{{8, 22}, 17, 19, 2, {{12, 17}, {16, 13}, {19, 16}, {25, 10}}, 2};
    const QColor axisInk = mix(ink::glyph, ink::buttonBottom, 0.3);
    const QPoint o = g.origin;
    fill(img, QRect(o.x(), o.y() - g.up, g.axis, g.up + g.axis), axisInk);
    fill(img, QRect(o.x(), o.y(), g.right, g.axis), axisInk);
    stroke(img, g.line, g.weight, ink::accentLight);
}

// Bullets and lines.
void drawList(QImage& img)
{
    struct Geometry {
        int bullet, line, gap, length, space;
    };
    const int h = designHeight(img);
    const Geometry g = h <= 17 ? Geometry{3, 1, 1, 6, 2}
        : h <= 21              ? Geometry{3, 1, 2, 8, 3}
        : h <= 23              ? Geometry{4, 2, 2, 9, 3}
                               : Geometry{4, 2, 3, 12, 4};
    const int totalW = g.bullet + g.space + g.length;
    const int totalH = 3 * g.bullet + 2 * g.gap;
    const int x0 = (designWidth(img) - totalW) / 2;
    const int y0 = (h - totalH + 1) / 2;
    for (int i = 0; i < 3; ++i) {
        const int y = y0 + i * (g.bullet + g.gap);
        fill(img, QRect(x0, y, g.bullet, g.bullet), ink::accentLight);
        // Round the bullets; only a touch on a 3 x 3, which would otherwise
        // read as a plus.
        const double round = g.bullet >= 4 ? 0.55 : 0.3;
        for (const QPoint c : {QPoint(x0, y), QPoint(x0 + g.bullet - 1, y), QPoint(x0, y + g.bullet - 1),
                               QPoint(x0 + g.bullet - 1, y + g.bullet - 1)})
            put(img, c.x(), c.y(),
                mix(ink::accentLight, colorAt(img, c.x() == x0 ? c.x() - 1 : c.x() + 1, c.y()), round));
        fill(img, QRect(x0 + g.bullet + g.space, y + (g.bullet - g.line) / 2, g.length, g.line), ink::glyph);
    }
}

} // namespace

QImage button(int w, int h, Glyph glyph, int k)
{
    QImage img = blank(w, h, k);
    buttonBase(img);
    switch (glyph) {
    case Glyph::Options:
        drawInked(img, kOptions.at(w));
        break;
    case Glyph::Open:
        drawInked(img, kOpen.at(w));
        break;
    case Glyph::Shade:
        drawInked(img, flipped(kOpen.at(w), w));
        break;
    case Glyph::Close:
        drawInked(img, kClose.at(w));
        break;
    case Glyph::Chart:
        drawChart(img);
        break;
    case Glyph::List:
        drawList(img);
        break;
    }
    return img;
}

// ---------------------------------------------------------------------------
// About box and window pictures.

// The product mark: a slate tile with a rising line over a ticker strip.
// The window icon is the same mark made bolder, since it is mostly seen
// shrunk in a task bar. Laid out on a 64-pixel grid and drawn afresh at each
// size with its edges on whole pixels; the smallest sizes leave out what
// would only blur: the strip below 22 pixels, the marks on it below 32. For
// a finer screen it is drawn at that many device pixels.
QImage productMark(bool icon, int n, int ratio)
{
    if (ratio > 1) {
        QImage fine = productMark(icon, n * ratio);
        fine.setDevicePixelRatio(ratio);
        return fine;
    }
    const double k = n / 64.0;
    const auto px = [k](double v) { return int(std::lround(v * k)); };
    QImage img = blank(n, n, 1);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);

    const int edge = std::max(1, px(1)); // the outline's width
    const int margin = std::max(1, px(2));
    const QRectF tileRect(margin, margin, n - 2 * margin, n - 2 * margin);
    QPainterPath tile;
    tile.addRoundedRect(tileRect, 11 * k, 11 * k);
    p.fillPath(tile, ink::outline);
    const QRectF faceRect = tileRect.adjusted(edge, edge, -edge, -edge);
    QPainterPath face;
    face.addRoundedRect(faceRect, 10 * k, 10 * k);
    QLinearGradient g(0, faceRect.top(), 0, faceRect.bottom());
    g.setColorAt(0, ink::stripTop.lighter(112));
    g.setColorAt(1, ink::bodyBottom);
    p.fillPath(face, g);
    // Light top edge.
    const double lightY = faceRect.top() + edge / 2.0;
    p.setPen(QPen(QColor(255, 255, 255, 46), edge));
    p.drawLine(QPointF(12 * k, lightY), QPointF(52 * k, lightY));
    p.setPen(Qt::NoPen);

    if (!icon)
        for (int y : {17, 27, 37})
            p.fillRect(QRect(px(10), px(y), px(44), edge), QColor(255, 255, 255, 16));

    // Without the strip the line moves down into the middle of the tile.
    const QRect stripRect(QPoint(px(9), px(47)), QPoint(px(55) - 1, px(56) - 1));
    const bool withStrip = stripRect.height() >= 3 * edge;
    const double drop = withStrip ? 0 : 6;
    const auto on = [&](double x, double y) { return QPointF(x * k, (y + drop) * k); };
    const QPointF pts[] = {on(10, 40), on(19, 32), on(26, 35.5), on(36, 24), on(43, 27.5), on(53, 14)};
    QPainterPath line;
    line.moveTo(pts[0]);
    for (int i = 1; i < 6; ++i)
        line.lineTo(pts[i]);

    // A soft wash under the line.
    QPainterPath area = line;
    area.lineTo(on(53, 46));
    area.lineTo(on(10, 46));
    area.closeSubpath();
    QLinearGradient wash(on(0, 14), on(0, 46));
    QColor a0 = ink::accent;
    a0.setAlpha(icon ? 90 : 70);
    QColor a1 = ink::accent;
    a1.setAlpha(0);
    wash.setColorAt(0, a0);
    wash.setColorAt(1, a1);
    p.fillPath(area, wash);

    // Never thinner than a pixel and a half, or the line turns to a smudge.
    p.setPen(QPen(ink::accent, std::max((icon ? 4.0 : 3.0) * k, 1.5), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(line);
    p.setPen(Qt::NoPen);
    p.setBrush(ink::accent);
    const double dot = std::max((icon ? 4.0 : 3.5) * k, 1.5);
    p.drawEllipse(pts[5], dot, dot);
    if (n >= 32) {
        p.setBrush(ink::glyph);
        p.drawEllipse(pts[5], 1.5 * k, 1.5 * k);
    }

    // The ticker strip along the bottom.
    const QRect stripFaceRect = stripRect.adjusted(edge, edge, -edge, -edge);
    if (withStrip) {
        QPainterPath strip;
        strip.addRoundedRect(stripRect, 2.5 * k, 2.5 * k);
        p.fillPath(strip, ink::outline);
        QPainterPath stripFace;
        stripFace.addRoundedRect(stripFaceRect, 1.5 * k, 1.5 * k);
        p.fillPath(stripFace, ink::stripTop);
    }
    p.end();
    if (!withStrip)
        return img;
    fill(img, QRect(stripFaceRect.left() + 1, stripFaceRect.top(), stripFaceRect.width() - 2, edge), ink::stripLight,
         0.8);
    if (n < 32)
        return img;
    // Text-like marks on the strip: a symbol, a small up-triangle and a price.
    const auto mark = [&](double x, double y, double w, double h, const QColor& c, double a) {
        fill(img, QRect(px(x), px(y), px(w), px(h)), c, a);
    };
    mark(13, 50, 7, 3, ink::glyph, 0.95);
    const int apex = px(25);
    const int top = px(50);
    for (int r = 0; r < px(3); ++r)
        fill(img, QRect(apex - r, top + r, 1 + 2 * r, 1), ink::accent);
    if (!icon) {
        mark(31, 50, 9, 3, ink::glyph, 0.7);
        mark(43, 50, 8, 3, ink::glyph, 0.45);
    } else {
        mark(31, 50, 19, 3, ink::glyph, 0.6);
    }
    return img;
}

// A neutral badge for the quote source: a stack of three server bars and
// the words DATA SERVICE. Our own drawing, not anybody's mark.
QImage dataServiceBadge(int k)
{
    const int w = 104;
    const int h = 32;
    QImage img = blank(w, h, k);
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
            put(img, c.x(), c.y(), mix(ink::glyph, colorAt(img, c.x(), c.y() == by ? by - 1 : by + 5), 0.6));
        fill(img, QRect(bx + 2, by + 2, 6, 1), ink::bodyBottom, 0.55);
        fill(img, QRect(bx + 10, by + 2, 2, 1), ink::accent);
        blend(img, bx + 10, by + 1, ink::accent, 0.35);
        blend(img, bx + 11, by + 1, ink::accent, 0.35);
    }
    const char* words = "DATA SERVICE";
    const int tx = 30 + (w - 8 - 30 - textWidth(words)) / 2;
    drawText(img, tx, 12, words, ink::glyph);
    return img;
}

// The picture carried under the pointer while a row of a list is dragged:
// a light row with a grip, a little shadow beneath.
QImage dragRow(int k)
{
    QImage img = blank(32, 32, k);
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

} // namespace skingen
