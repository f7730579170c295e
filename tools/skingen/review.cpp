// Review pictures: not shipped, only for looking at the art.
#include "review.h"
#include "art.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>

#include <cmath>
#include <cstdio>

namespace skingen {

namespace {

QImage enlarged(const QImage& img, int k)
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
struct Place {
    double left, top;
};
constexpr Place kOptionsAt{30, 30};
constexpr Place kWindowAt{2790, 30};
constexpr Place kExitAt{2970, 30};
constexpr Place kChartAt{2760, 660};
constexpr Place kListAt{2760, 1020};

using Drawn = std::map<QString, QImage>;

Drawn drawnPictures()
{
    std::vector<std::pair<std::string, QImage>> images;
    drawAll(images, 1);
    Drawn out;
    for (auto& [path, img] : images)
        out[QString::fromStdString(path)] = img;
    return out;
}

// One ticker window as it will look: face, buttons and white labels.
QImage mockWindow(const Drawn& pics, bool large, bool dpi120, bool full)
{
    const Screen s = large ? (dpi120 ? kLarge120 : kLarge96) : (dpi120 ? kStd120 : kStd96);
    const double dpi = 1440.0 / s.twipsPerPixel;
    const QString suffix = dpi120 ? QStringLiteral("LargeFont") : QString();
    auto load = [&](const QString& path) {
        const auto it = pics.find(path);
        if (it == pics.end()) {
            std::fprintf(stderr, "no picture %s\n", qPrintable(path));
            return QImage();
        }
        return it->second;
    };
    auto skin = [&](const QString& name) { return load(QStringLiteral(":/skins/") + name + QStringLiteral(".png")); };

    const QString set = large ? QStringLiteral("picLarge") : QStringLiteral("picDefault");
    const QString mode = full ? QStringLiteral("Full") : QStringLiteral("Shade");
    QImage img = skin(set + mode + suffix);
    const QString windowButton = set + QStringLiteral("Window") + mode + suffix;

    QPainter p(&img);
    // Strip buttons are centred on the strip, except that the large skin on
    // 120 dpi puts them at a fixed 50 twips.
    auto at = [&](const Place& pl, const QImage& b, bool onStrip) {
        const int top = onStrip && large && dpi120 ? int(std::lround(50 / s.twipsPerPixel)) : s.px(pl.top);
        p.drawImage(s.px(pl.left), top, b);
    };
    at(kOptionsAt, skin(set + QStringLiteral("Options") + suffix), true);
    at(kWindowAt, skin(windowButton), true);
    at(kExitAt, skin(set + QStringLiteral("Exit") + suffix), true);
    if (full) {
        at(kChartAt, skin((large ? QStringLiteral("picLargeChartBrowser") : QStringLiteral("picChart")) + suffix),
           false);
        at(kListAt,
           skin((large ? QStringLiteral("picLargeSymbolManager") : QStringLiteral("picSymbolEditor")) + suffix), false);
    }

    p.setPen(Qt::white);
    auto text = [&](double leftTw, double topTw, const QFont& f, const QString& t, bool alignRight = false) {
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
        const char* captions[] = {
            "Current Symbol:", "Last Price:", "Change:", "Open Price:", "Daily High:", "Daily Low:", "Volume:"};
        const char* values[] = {"INTL BUSINESS MAC", "112.45", "+1.25", "111.20", "113.05", "110.90", "4,512,300"};
        const double pt = large ? 11 : 8.25;
        for (int i = 0; i < 7; ++i) {
            text(kCaptionRight, rows[i] * s.scale, labelFont(pt, false, dpi), QString::fromLatin1(captions[i]), true);
            text(kValueLeft, rows[i] * s.scale, labelFont(pt, i == 0, dpi), QString::fromLatin1(values[i]));
        }
    }
    return img;
}

} // namespace

int mockup(const QString& file)
{
    struct Variant {
        const char* title;
        bool large, dpi120;
        int zoom;
    };
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
    for (const Variant& v : variants) {
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

int contactSheet(const QString& file)
{
    std::vector<std::pair<std::string, QImage>> images;
    drawAll(images, 1);
    const int k = 4;
    const int width = 1500;
    QImage sheet(width, 6000, QImage::Format_ARGB32);
    sheet.fill(QColor(0x80, 0x84, 0x88));
    QPainter p(&sheet);
    QFont f(QStringLiteral("Liberation Sans"));
    f.setPixelSize(12);
    p.setFont(f);
    int x = 12, y = 12, rowH = 0;
    for (const auto& [path, img] : images) {
        const QImage z = enlarged(img, k);
        const QString label =
            QStringLiteral("%1 %2x%3").arg(QString::fromStdString(path).mid(2)).arg(img.width()).arg(img.height());
        const int cellW =
            std::max(z.width() + img.width() + 4, p.fontMetrics().horizontalAdvance(label)) - img.width() - 4;
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

} // namespace skingen
