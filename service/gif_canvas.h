#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quoterra::service {

struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
};

// A palette image to draw charts on. Drawing outside the canvas is clipped.
class Canvas {
public:
    // The palette size must be a power of two between 2 and 256 (a GIF rule).
    Canvas(int width, int height, std::vector<Rgb> palette, std::uint8_t background = 0);

    int width() const { return width_; }
    int height() const { return height_; }
    const std::vector<Rgb>& palette() const { return palette_; }
    const std::vector<std::uint8_t>& pixels() const { return pixels_; }

    std::uint8_t at(int x, int y) const;
    void set(int x, int y, std::uint8_t colour);
    void line(int x0, int y0, int x1, int y1, std::uint8_t colour);
    void dottedHLine(int x0, int x1, int y, std::uint8_t colour);
    void fill(int x, int y, int w, int h, std::uint8_t colour);

    // 5x7 capitals, digits and a few signs; lower case is drawn as capitals,
    // anything else as a blank. Returns the width drawn.
    int text(int x, int y, std::string_view s, std::uint8_t colour);
    static int textWidth(std::string_view s);
    static constexpr int kGlyphHeight = 7;

private:
    int width_;
    int height_;
    std::vector<Rgb> palette_;
    std::vector<std::uint8_t> pixels_;
};

// Encodes the canvas as a GIF89a file in memory (giflib), with an optional
// comment extension before the image. Throws std::runtime_error on failure.
std::string encodeGif(const Canvas& canvas, std::string_view comment = {});

// The answer for a chart that cannot be drawn: a valid GIF of exactly
// kNoChartSize bytes. Clients recognise "no chart" by that length alone.
inline constexpr std::size_t kNoChartSize = 150;
const std::string& noChartGif();

} // namespace quoterra::service
