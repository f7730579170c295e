// The GIF side on its own: the encoder must produce files that decoders
// read back pixel for pixel, and the no-chart answer must keep its length.

#include "charts.h"
#include "gif_canvas.h"
#include "test_util.h"

#include <QImage>

#include <gtest/gtest.h>

#include <set>

using namespace quoterra::service;
using service_test::decodeGif;

namespace {

std::vector<Rgb> palette(int n)
{
    std::vector<Rgb> p;
    for (int i = 0; i < n; ++i)
        p.push_back(Rgb{std::uint8_t(i * 37), std::uint8_t(255 - i * 11), std::uint8_t(i * 5)});
    return p;
}

TEST(GifEncoder, RoundTripsEveryPixel)
{
    struct Case {
        int width, height, colours;
    };
    // odd sizes and full palettes stress the LZW code-size changes
    const Case cases[] = {{1, 1, 2}, {3, 7, 4}, {192, 96, 8}, {255, 3, 256}, {64, 64, 16}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height) + "/" + std::to_string(c.colours));
        Canvas canvas(c.width, c.height, palette(c.colours));
        for (int y = 0; y < c.height; ++y)
            for (int x = 0; x < c.width; ++x)
                canvas.set(x, y, std::uint8_t((x * 7 + y * 13 + x * y) % c.colours));
        const std::string gif = encodeGif(canvas);
        ASSERT_TRUE(gif.starts_with("GIF89a"));
        ASSERT_EQ(gif.back(), ';'); // trailer
        const auto decoded = decodeGif(gif);
        ASSERT_TRUE(decoded);
        EXPECT_EQ(decoded->width, c.width);
        EXPECT_EQ(decoded->height, c.height);
        EXPECT_EQ(decoded->colours, c.colours);
        EXPECT_EQ(decoded->pixels, canvas.pixels());

        // and Qt's reader, which the ticker uses, sees the same colours
        const QImage image = QImage::fromData(QByteArray(gif.data(), qsizetype(gif.size())), "GIF");
        ASSERT_FALSE(image.isNull());
        const Rgb corner = canvas.palette()[canvas.at(c.width - 1, c.height - 1)];
        EXPECT_EQ(image.pixel(c.width - 1, c.height - 1), qRgb(corner.r, corner.g, corner.b));
    }
}

TEST(GifEncoder, CarriesLongComments)
{
    Canvas canvas(2, 2, palette(2));
    const std::string comment(600, 'c'); // more than one 255-byte sub-block
    const auto decoded = decodeGif(encodeGif(canvas, comment));
    ASSERT_TRUE(decoded);
    ASSERT_EQ(decoded->comments.size(), 1u);
    EXPECT_EQ(decoded->comments[0], comment);
}

TEST(GifEncoder, RejectsPalettesGifCannotHold)
{
    for (int n : {0, 1, 3, 6, 257})
        EXPECT_THROW(Canvas(4, 4, palette(n)), std::invalid_argument) << n;
    EXPECT_THROW(Canvas(4, 4, palette(4), 4), std::invalid_argument);
}

TEST(Canvas, DrawingIsClippedAndLinesReachBothEnds)
{
    Canvas canvas(10, 10, palette(4));
    canvas.line(-5, -5, 20, 20, 1); // clipped diagonal, must not write out of bounds
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(canvas.at(i, i), 1) << i;
    canvas.line(7, 2, 2, 4, 2); // right to left, shallow
    EXPECT_EQ(canvas.at(7, 2), 2);
    EXPECT_EQ(canvas.at(2, 4), 2);
    canvas.set(10, 0, 3);
    canvas.set(0, -1, 3);
    canvas.set(0, 0, 9); // not a palette colour
    EXPECT_EQ(canvas.at(0, 0), 1);
    const int width = canvas.text(0, 0, "IBM", 3);
    EXPECT_EQ(width, Canvas::textWidth("IBM"));
    EXPECT_EQ(Canvas::textWidth(""), 0);
}

TEST(NoChartGif, IsExactlyTheAgreedLengthAndStillAGif)
{
    const std::string& gif = noChartGif();
    ASSERT_EQ(gif.size(), kNoChartSize);
    EXPECT_TRUE(gif.starts_with("GIF89a"));
    const auto decoded = decodeGif(gif);
    ASSERT_TRUE(decoded);
    EXPECT_GE(decoded->width, 1);
    const QImage image = QImage::fromData(QByteArray(gif.data(), qsizetype(gif.size())), "GIF");
    EXPECT_FALSE(image.isNull());
}

TEST(ChartDrawing, EveryRangeDrawsALineAxisAndTitle)
{
    const Market market(1);
    using namespace std::chrono;
    const Calendar calendar(sys_days(2024y / June / 14));
    struct Case {
        const char* symbol;
        ChartRange range;
        SimTime now;
    };
    const Case cases[] = {
        {"IBM", ChartRange::OneDay, {0, 30}},      {"IBM", ChartRange::OneDay, {0, 0}},
        {"^DJI", ChartRange::OneDay, {3, 390}},    {"MSFT", ChartRange::FiveDay, {0, 100}},
        {"^TYX", ChartRange::FiveDay, {10, 0}},    {"BRK.A", ChartRange::OneYear, {0, 200}},
        {"ABCDEFGHIJ", ChartRange::OneYear, {-3, 390}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.symbol) + " range " + std::to_string(int(c.range)));
        const Canvas canvas = drawChart(market, calendar, c.symbol, c.range, c.now);
        EXPECT_EQ(canvas.width(), kChartWidth);
        EXPECT_EQ(canvas.height(), kChartHeight);
        int line = 0, text = 0, titleText = 0;
        for (int y = 0; y < canvas.height(); ++y)
            for (int x = 0; x < canvas.width(); ++x) {
                line += canvas.at(x, y) == kPriceLine;
                text += canvas.at(x, y) == kText;
                titleText += y < 10 && x < 60 && canvas.at(x, y) == kText;
            }
        EXPECT_GE(line, 1);
        if (c.now.minute > 5 || c.range != ChartRange::OneDay) {
            EXPECT_GT(line, 20);
        }
        EXPECT_GT(text, 100);      // axis labels and title
        EXPECT_GT(titleText, 10);  // the symbol name top left
        const auto decoded = decodeGif(encodeGif(canvas));
        ASSERT_TRUE(decoded);
        EXPECT_EQ(decoded->pixels, canvas.pixels());
    }
}

} // namespace
