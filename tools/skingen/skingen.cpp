// quoterra-skingen: draws the ticker's and the chart browser's skin
// pictures, the About box pictures and the window icon, and checks the
// embedded copies.
//
//   quoterra-skingen RESOURCES_DIR      write skins/, about/ and icons/ PNGs
//   quoterra-skingen --icons DIR SIZE.. the menu icon at each size, hicolor layout
//   quoterra-skingen --verify           check every embedded picture
//   quoterra-skingen --sheet FILE       all pictures 4x on grey, for review
//   quoterra-skingen --mockup FILE      the faces with sample labels on them
//
// Small-font and large-font (120 dpi) pictures are each drawn at their own
// pixel size, never scaled from one another.

#include "art.h"
#include "review.h"
#include "skins.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPixmap>

#include <cstdio>
#include <functional>
#include <set>
#include <string>

namespace skingen {

// ---------------------------------------------------------------------------
// What gets written where.

struct Output {
    std::string path; // resource path, e.g. ":/skins/picDefaultShade.png"
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

        {":/charts/picTop.png", chartTop},
        {":/charts/picLeft.png", [] { return chartSide(10); }},
        {":/charts/picRight.png", [] { return chartSide(9); }},
        {":/charts/picBottom.png", chartBottom},
        {":/charts/picCharts.png", chartArea},
        {":/charts/picSymbolUp.png", [] { return chartTextButton("SYMBOL", 74, 15, false); }},
        {":/charts/picSymbolDown.png", [] { return chartTextButton("SYMBOL", 74, 15, true); }},
        {":/charts/picChartTypeUp.png", [] { return chartTextButton("RANGE", 74, 15, false); }},
        {":/charts/picChartTypeDown.png", [] { return chartTextButton("RANGE", 74, 15, true); }},
        {":/charts/picUpdateUp.png", [] { return chartTextButton("UPDATE", 52, 22, false); }},
        {":/charts/picUpdateDown.png", [] { return chartTextButton("UPDATE", 52, 22, true); }},

        {":/about/product.png", [] { return productMark(false); }},
        {":/about/data-service.png", dataServiceBadge},
        {":/icons/quoterra.png", [] { return productMark(true); }},
        {":/icons/drag-row.png", dragRow},
    };
}

QString str(std::string_view s)
{
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

// Every picture drawn, checked against the catalogue's size.
bool drawAll(std::vector<std::pair<std::string, QImage>>& out)
{
    bool ok = true;
    std::set<std::string_view> drawn;
    for (const Output& o : outputs()) {
        const quoterra::skins::Picture* pic = quoterra::skins::find(o.path);
        QImage img = o.draw();
        if (!pic) {
            std::fprintf(stderr, "%s: drawn but not in the catalogue\n", o.path.c_str());
            ok = false;
        } else if (img.width() != pic->width || img.height() != pic->height) {
            std::fprintf(stderr, "%s: drawn %dx%d, catalogue says %dx%d\n", o.path.c_str(), img.width(), img.height(),
                         pic->width, pic->height);
            ok = false;
        } else {
            drawn.insert(pic->path);
        }
        out.emplace_back(o.path, std::move(img));
    }
    for (const auto& pic : quoterra::skins::pictures())
        if (!drawn.count(pic.path)) {
            std::fprintf(stderr, "%s: in the catalogue but never drawn\n", std::string(pic.path).c_str());
            ok = false;
        }
    return ok;
}

int generate(const QString& root)
{
    std::vector<std::pair<std::string, QImage>> images;
    if (!drawAll(images))
        return 1;
    for (const auto& [path, img] : images) {
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

// The menu icon, drawn afresh at each size into DIR/hicolor/NxN/apps/.
int icons(const QString& root, const QStringList& sizes)
{
    for (const QString& size : sizes) {
        bool ok = false;
        const int n = size.toInt(&ok);
        if (!ok || n < 16 || n > 1024) {
            std::fprintf(stderr, "not an icon size from 16 to 1024: %s\n", qPrintable(size));
            return 2;
        }
        const QString file = QStringLiteral("%1/hicolor/%2x%2/apps/quoterra.png").arg(root).arg(n);
        if (!QDir().mkpath(QFileInfo(file).path()) || !productMark(true, n).save(file, "PNG")) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}

// Loads every embedded picture the way the program does and checks its
// size; also flags embedded files the catalogue does not know about.
int verify()
{
    int bad = 0;
    for (const auto& pic : quoterra::skins::pictures()) {
        const QPixmap pm(str(pic.path));
        if (pm.isNull()) {
            std::fprintf(stderr, "MISSING  %s\n", std::string(pic.path).c_str());
            ++bad;
        } else if (pm.width() != pic.width || pm.height() != pic.height) {
            std::fprintf(stderr, "SIZE     %s is %dx%d, expected %dx%d\n", std::string(pic.path).c_str(), pm.width(),
                         pm.height(), pic.width, pic.height);
            ++bad;
        }
    }
    for (const char* dir : {":/skins", ":/charts", ":/about", ":/icons"}) {
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
    for (const char* set : {"picDefault", "picLarge"})
        for (const char* font : {"", "LargeFont"}) {
            const QString base = QStringLiteral(":/skins/") + QLatin1String(set);
            const QImage shade = QImage(base + QStringLiteral("Shade") + QLatin1String(font) + QStringLiteral(".png"))
                                     .convertToFormat(QImage::Format_ARGB32);
            const QImage full = QImage(base + QStringLiteral("Full") + QLatin1String(font) + QStringLiteral(".png"))
                                    .convertToFormat(QImage::Format_ARGB32);
            if (shade.isNull() || full.isNull())
                continue; // already reported
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

} // namespace skingen

namespace {

int usage()
{
    std::fprintf(
        stderr,
        "usage: quoterra-skingen RESOURCES_DIR   write the pictures under RESOURCES_DIR/{skins,charts,about,icons}\n"
        "       quoterra-skingen --icons DIR SIZE...  the menu icon at each SIZE under DIR/hicolor\n"
        "       quoterra-skingen --verify        check every embedded picture and its size\n"
        "       quoterra-skingen --sheet FILE    all pictures enlarged, for review\n"
        "       quoterra-skingen --mockup FILE   the faces with sample labels, for review\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    using namespace skingen;
    // A drawing tool: it needs no screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
    QGuiApplication app(argc, argv);

    const QStringList args = app.arguments().mid(1);
    if (args.size() == 1 && args[0] == QLatin1String("--verify"))
        return verify();
    if (args.size() >= 3 && args[0] == QLatin1String("--icons"))
        return icons(args[1], args.mid(2));
    if (args.size() == 2 && args[0] == QLatin1String("--sheet"))
        return contactSheet(args[1]);
    if (args.size() == 2 && args[0] == QLatin1String("--mockup"))
        return mockup(args[1]);
    if (args.size() == 1 && !args[0].startsWith(QLatin1Char('-')))
        return generate(args[0]);
    return usage();
}
