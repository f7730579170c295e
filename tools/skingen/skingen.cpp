// quoterra-skingen: draws the ticker's and the chart browser's skin
// pictures, the About box pictures and the window icon, and checks the
// embedded copies.
//
//   quoterra-skingen RESOURCES_DIR      write skins/, about/ and icons/ PNGs (1x, @2x, @3x)
//   quoterra-skingen --icons DIR SIZE.. the menu icon at each size, hicolor layout
//   quoterra-skingen --verify           check every embedded picture
//   quoterra-skingen --sheet FILE       all pictures 4x on grey, for review
//   quoterra-skingen --mockup FILE      the faces with sample labels on them
//
// Small-font and large-font (120 dpi) pictures are each drawn at their own
// pixel size, never scaled from one another; so is each one's 2x and 3x set
// for HiDPI screens.

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
    std::function<QImage(int k)> draw; // at device pixel ratio k
};

std::vector<Output> outputs()
{
    auto sq = [](Glyph g, int n) { return [g, n](int k) { return button(n, n, g, k); }; };
    auto wide = [](Glyph g, int w, int h) { return [g, w, h](int k) { return button(w, h, g, k); }; };
    auto text = [](const char* caption, int w, int h, bool pressed) {
        return [=](int k) { return chartTextButton(caption, w, h, pressed, k); };
    };
    return {
        {":/skins/picDefaultShade.png", [](int k) { return shadeFace(210, 14, k); }},
        {":/skins/picDefaultShadeLargeFont.png", [](int k) { return shadeFace(263, 18, k); }},
        {":/skins/picDefaultFull.png", [](int k) { return fullFace(210, 116, 14, kStd96, k); }},
        {":/skins/picDefaultFullLargeFont.png", [](int k) { return fullFace(263, 145, 18, kStd120, k); }},
        {":/skins/picLargeShade.png", [](int k) { return shadeFace(280, 19, k); }},
        {":/skins/picLargeShadeLargeFont.png", [](int k) { return shadeFace(350, 23, k); }},
        {":/skins/picLargeFull.png", [](int k) { return fullFace(280, 155, 19, kLarge96, k); }},
        {":/skins/picLargeFullLargeFont.png", [](int k) { return fullFace(350, 193, 23, kLarge120, k); }},

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
        {":/charts/picLeft.png", [](int k) { return chartSide(10, k); }},
        {":/charts/picRight.png", [](int k) { return chartSide(9, k); }},
        {":/charts/picBottom.png", chartBottom},
        {":/charts/picCharts.png", chartArea},
        {":/charts/picSymbolUp.png", text("SYMBOL", 74, 15, false)},
        {":/charts/picSymbolDown.png", text("SYMBOL", 74, 15, true)},
        {":/charts/picChartTypeUp.png", text("RANGE", 74, 15, false)},
        {":/charts/picChartTypeDown.png", text("RANGE", 74, 15, true)},
        {":/charts/picUpdateUp.png", text("UPDATE", 52, 22, false)},
        {":/charts/picUpdateDown.png", text("UPDATE", 52, 22, true)},

        {":/about/product.png", [](int k) { return productMark(false, 64, k); }},
        {":/about/data-service.png", dataServiceBadge},
        {":/icons/quoterra.png", [](int k) { return productMark(true, 64, k); }},
        {":/icons/drag-row.png", dragRow},
    };
}

// The finer sets beside each picture: name@2x.png and name@3x.png, the
// names Qt reads a device pixel ratio from.
constexpr int kRatios[] = {1, 2, 3};

std::string atRatio(const std::string& path, int k)
{
    if (k == 1)
        return path;
    return path.substr(0, path.size() - 4) + "@" + std::to_string(k) + "x.png";
}

// The catalogue's name of an embedded file and the ratio its name gives.
std::pair<std::string, int> designName(const std::string& file)
{
    for (int k : {2, 3}) {
        const std::string suffix = "@" + std::to_string(k) + "x.png";
        if (file.size() > suffix.size() && file.compare(file.size() - suffix.size(), suffix.size(), suffix) == 0)
            return {file.substr(0, file.size() - suffix.size()) + ".png", k};
    }
    return {file, 1};
}

// Every picture drawn at ratio k, checked against the catalogue's size.
bool drawAll(std::vector<std::pair<std::string, QImage>>& out, int k)
{
    bool ok = true;
    std::set<std::string_view> drawn;
    for (const Output& o : outputs()) {
        const quoterra::skins::Picture* pic = quoterra::skins::find(o.path);
        QImage img = o.draw(k);
        const std::string path = atRatio(o.path, k);
        if (!pic) {
            std::fprintf(stderr, "%s: drawn but not in the catalogue\n", path.c_str());
            ok = false;
        } else if (img.width() != pic->width * k || img.height() != pic->height * k) {
            std::fprintf(stderr, "%s: drawn %dx%d, catalogue says %dx%d\n", path.c_str(), img.width(), img.height(),
                         pic->width * k, pic->height * k);
            ok = false;
        } else {
            drawn.insert(pic->path);
        }
        out.emplace_back(path, std::move(img));
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
    for (int k : kRatios)
        if (!drawAll(images, k))
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

// Loads every embedded picture and its finer sets the way the program does
// and checks each one's size and the ratio Qt reads from its name; also
// flags embedded files the catalogue does not know about.
int verify()
{
    int bad = 0;
    for (const auto& pic : quoterra::skins::pictures())
        for (int k : kRatios) {
            const std::string path = atRatio(std::string(pic.path), k);
            const QPixmap pm(QString::fromStdString(path));
            if (pm.isNull()) {
                std::fprintf(stderr, "MISSING  %s\n", path.c_str());
                ++bad;
            } else if (pm.width() != pic.width * k || pm.height() != pic.height * k || pm.devicePixelRatio() != k) {
                std::fprintf(stderr, "SIZE     %s is %dx%d at ratio %g, expected %dx%d at %d\n", path.c_str(),
                             pm.width(), pm.height(), pm.devicePixelRatio(), pic.width * k, pic.height * k, k);
                ++bad;
            }
        }
    for (const char* dir : {":/skins", ":/charts", ":/about", ":/icons"}) {
        QDirIterator it(dir, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString f = it.next();
            if (!quoterra::skins::find(designName(f.toStdString()).first)) {
                std::fprintf(stderr, "UNKNOWN  %s is embedded but not catalogued\n", qPrintable(f));
                ++bad;
            }
        }
    }
    // The full face must begin with the shaded face, or the top line jumps
    // when the window changes mode.
    for (const char* set : {"picDefault", "picLarge"})
        for (const char* font : {"", "LargeFont"})
            for (int k : kRatios) {
                const std::string base = std::string(":/skins/") + set;
                const auto load = [&](const char* mode) {
                    return QImage(QString::fromStdString(atRatio(base + mode + font + ".png", k)))
                        .convertToFormat(QImage::Format_ARGB32);
                };
                const QImage shade = load("Shade");
                const QImage full = load("Full");
                if (shade.isNull() || full.isNull())
                    continue; // already reported
                if (full.width() != shade.width() || full.height() < shade.height()
                    || full.copy(0, 0, shade.width(), shade.height()) != shade) {
                    std::fprintf(stderr, "STRIP    %sFull%s at %dx does not start with %sShade%s\n", set, font, k,
                                 set, font);
                    ++bad;
                }
            }
    const auto n = quoterra::skins::pictures().size();
    if (bad) {
        std::fprintf(stderr, "%d problem(s) among %zu pictures\n", bad, n);
        return 1;
    }
    std::printf("all %zu embedded pictures load at their sizes, with their 2x and 3x sets\n", n);
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
