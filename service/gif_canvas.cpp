#include "gif_canvas.h"

#include <gif_lib.h>

#include <algorithm>
#include <cstdlib>
#include <stdexcept>

namespace quoterra::service {

namespace {

struct Glyph {
    char c;
    std::uint8_t rows[7]; // five bits per row, the left column in bit 4
};

constexpr Glyph kFont[] = {
    {'0', {0b01110, 0b10001, 0b10011, 0b10101, 0b11001, 0b10001, 0b01110}},
    {'1', {0b00100, 0b01100, 0b00100, 0b00100, 0b00100, 0b00100, 0b01110}},
    {'2', {0b01110, 0b10001, 0b00001, 0b00010, 0b00100, 0b01000, 0b11111}},
    {'3', {0b11111, 0b00010, 0b00100, 0b00010, 0b00001, 0b10001, 0b01110}},
    {'4', {0b00010, 0b00110, 0b01010, 0b10010, 0b11111, 0b00010, 0b00010}},
    {'5', {0b11111, 0b10000, 0b11110, 0b00001, 0b00001, 0b10001, 0b01110}},
    {'6', {0b00110, 0b01000, 0b10000, 0b11110, 0b10001, 0b10001, 0b01110}},
    {'7', {0b11111, 0b00001, 0b00010, 0b00100, 0b01000, 0b01000, 0b01000}},
    {'8', {0b01110, 0b10001, 0b10001, 0b01110, 0b10001, 0b10001, 0b01110}},
    {'9', {0b01110, 0b10001, 0b10001, 0b01111, 0b00001, 0b00010, 0b01100}},
    {'A', {0b01110, 0b10001, 0b10001, 0b11111, 0b10001, 0b10001, 0b10001}},
    {'B', {0b11110, 0b10001, 0b10001, 0b11110, 0b10001, 0b10001, 0b11110}},
    {'C', {0b01110, 0b10001, 0b10000, 0b10000, 0b10000, 0b10001, 0b01110}},
    {'D', {0b11100, 0b10010, 0b10001, 0b10001, 0b10001, 0b10010, 0b11100}},
    {'E', {0b11111, 0b10000, 0b10000, 0b11110, 0b10000, 0b10000, 0b11111}},
    {'F', {0b11111, 0b10000, 0b10000, 0b11110, 0b10000, 0b10000, 0b10000}},
    {'G', {0b01110, 0b10001, 0b10000, 0b10111, 0b10001, 0b10001, 0b01111}},
    {'H', {0b10001, 0b10001, 0b10001, 0b11111, 0b10001, 0b10001, 0b10001}},
    {'I', {0b01110, 0b00100, 0b00100, 0b00100, 0b00100, 0b00100, 0b01110}},
    {'J', {0b00111, 0b00010, 0b00010, 0b00010, 0b00010, 0b10010, 0b01100}},
    {'K', {0b10001, 0b10010, 0b10100, 0b11000, 0b10100, 0b10010, 0b10001}},
    {'L', {0b10000, 0b10000, 0b10000, 0b10000, 0b10000, 0b10000, 0b11111}},
    {'M', {0b10001, 0b11011, 0b10101, 0b10101, 0b10001, 0b10001, 0b10001}},
    {'N', {0b10001, 0b10001, 0b11001, 0b10101, 0b10011, 0b10001, 0b10001}},
    {'O', {0b01110, 0b10001, 0b10001, 0b10001, 0b10001, 0b10001, 0b01110}},
    {'P', {0b11110, 0b10001, 0b10001, 0b11110, 0b10000, 0b10000, 0b10000}},
    {'Q', {0b01110, 0b10001, 0b10001, 0b10001, 0b10101, 0b10010, 0b01101}},
    {'R', {0b11110, 0b10001, 0b10001, 0b11110, 0b10100, 0b10010, 0b10001}},
    {'S', {0b01111, 0b10000, 0b10000, 0b01110, 0b00001, 0b00001, 0b11110}},
    {'T', {0b11111, 0b00100, 0b00100, 0b00100, 0b00100, 0b00100, 0b00100}},
    {'U', {0b10001, 0b10001, 0b10001, 0b10001, 0b10001, 0b10001, 0b01110}},
    {'V', {0b10001, 0b10001, 0b10001, 0b10001, 0b10001, 0b01010, 0b00100}},
    {'W', {0b10001, 0b10001, 0b10001, 0b10101, 0b10101, 0b10101, 0b01010}},
    {'X', {0b10001, 0b10001, 0b01010, 0b00100, 0b01010, 0b10001, 0b10001}},
    {'Y', {0b10001, 0b10001, 0b10001, 0b01010, 0b00100, 0b00100, 0b00100}},
    {'Z', {0b11111, 0b00001, 0b00010, 0b00100, 0b01000, 0b10000, 0b11111}},
    {'.', {0b00000, 0b00000, 0b00000, 0b00000, 0b00000, 0b01100, 0b01100}},
    {',', {0b00000, 0b00000, 0b00000, 0b00000, 0b01100, 0b00100, 0b01000}},
    {'-', {0b00000, 0b00000, 0b00000, 0b11111, 0b00000, 0b00000, 0b00000}},
    {'+', {0b00000, 0b00100, 0b00100, 0b11111, 0b00100, 0b00100, 0b00000}},
    {'&', {0b01100, 0b10010, 0b10100, 0b01000, 0b10101, 0b10010, 0b01101}},
    {'^', {0b00100, 0b01010, 0b10001, 0b00000, 0b00000, 0b00000, 0b00000}},
    {':', {0b00000, 0b01100, 0b01100, 0b00000, 0b01100, 0b01100, 0b00000}},
    {'/', {0b00000, 0b00001, 0b00010, 0b00100, 0b01000, 0b10000, 0b00000}},
    {'%', {0b11000, 0b11001, 0b00010, 0b00100, 0b01000, 0b10011, 0b00011}},
};

constexpr int kAdvance = 6;

const Glyph* glyphFor(char c)
{
    if (c >= 'a' && c <= 'z')
        c = static_cast<char>(c - 'a' + 'A');
    for (const Glyph& g : kFont)
        if (g.c == c)
            return &g;
    return nullptr;
}

int writeToString(GifFileType* gif, const GifByteType* data, int length)
{
    auto* out = static_cast<std::string*>(gif->UserData);
    out->append(reinterpret_cast<const char*>(data), static_cast<std::size_t>(length));
    return length;
}

[[noreturn]] void gifFailure(const char* what, int code)
{
    const char* reason = GifErrorString(code);
    throw std::runtime_error(std::string("GIF encoding failed in ") + what + ": "
                             + (reason ? reason : "unknown error"));
}

} // namespace

Canvas::Canvas(int width, int height, std::vector<Rgb> palette, std::uint8_t background)
    : width_(std::max(1, width))
    , height_(std::max(1, height))
    , palette_(std::move(palette))
    , pixels_(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_), background)
{
    const std::size_t n = palette_.size();
    if (n < 2 || n > 256 || (n & (n - 1)) != 0)
        throw std::invalid_argument("a GIF palette needs 2, 4, 8, ... or 256 colours");
    if (background >= n)
        throw std::invalid_argument("background colour is not in the palette");
}

std::uint8_t Canvas::at(int x, int y) const
{
    if (x < 0 || y < 0 || x >= width_ || y >= height_)
        return 0;
    return pixels_[static_cast<std::size_t>(y) * width_ + x];
}

void Canvas::set(int x, int y, std::uint8_t colour)
{
    if (x < 0 || y < 0 || x >= width_ || y >= height_ || colour >= palette_.size())
        return;
    pixels_[static_cast<std::size_t>(y) * width_ + x] = colour;
}

void Canvas::line(int x0, int y0, int x1, int y1, std::uint8_t colour)
{
    // Bresenham, all octants
    const int dx = std::abs(x1 - x0), sx = x0 < x1 ? 1 : -1;
    const int dy = -std::abs(y1 - y0), sy = y0 < y1 ? 1 : -1;
    int err = dx + dy;
    for (;;) {
        set(x0, y0, colour);
        if (x0 == x1 && y0 == y1)
            break;
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x0 += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y0 += sy;
        }
    }
}

void Canvas::dottedHLine(int x0, int x1, int y, std::uint8_t colour)
{
    if (x1 < x0)
        std::swap(x0, x1);
    for (int x = x0; x <= x1; x += 2)
        set(x, y, colour);
}

void Canvas::fill(int x, int y, int w, int h, std::uint8_t colour)
{
    for (int j = y; j < y + h; ++j)
        for (int i = x; i < x + w; ++i)
            set(i, j, colour);
}

int Canvas::textWidth(std::string_view s)
{
    return s.empty() ? 0 : static_cast<int>(s.size()) * kAdvance - 1;
}

int Canvas::text(int x, int y, std::string_view s, std::uint8_t colour)
{
    int pen = x;
    for (char c : s) {
        if (const Glyph* g = glyphFor(c)) {
            for (int row = 0; row < kGlyphHeight; ++row)
                for (int col = 0; col < 5; ++col)
                    if (g->rows[row] & (0x10 >> col))
                        set(pen + col, y + row, colour);
        }
        pen += kAdvance;
    }
    return textWidth(s);
}

std::string encodeGif(const Canvas& canvas, std::string_view comment)
{
    std::string out;
    int error = 0;
    GifFileType* gif = EGifOpen(&out, writeToString, &error);
    if (!gif)
        gifFailure("EGifOpen", error);

    const auto& palette = canvas.palette();
    std::vector<GifColorType> colours(palette.size());
    for (std::size_t i = 0; i < palette.size(); ++i)
        colours[i] = GifColorType{palette[i].r, palette[i].g, palette[i].b};
    ColorMapObject* map = GifMakeMapObject(static_cast<int>(colours.size()), colours.data());

    const auto fail = [&](const char* what) {
        const int code = gif->Error;
        if (map)
            GifFreeMapObject(map);
        int ignored = 0;
        EGifCloseFile(gif, &ignored);
        gifFailure(what, code);
    };
    if (!map)
        fail("GifMakeMapObject");

    EGifSetGifVersion(gif, true);
    if (EGifPutScreenDesc(gif, canvas.width(), canvas.height(), 8, 0, map) == GIF_ERROR)
        fail("EGifPutScreenDesc");
    if (!comment.empty() && EGifPutComment(gif, std::string(comment).c_str()) == GIF_ERROR)
        fail("EGifPutComment");
    if (EGifPutImageDesc(gif, 0, 0, canvas.width(), canvas.height(), false, nullptr) == GIF_ERROR)
        fail("EGifPutImageDesc");
    std::vector<GifPixelType> row(static_cast<std::size_t>(canvas.width()));
    for (int y = 0; y < canvas.height(); ++y) {
        const auto* src = canvas.pixels().data() + static_cast<std::size_t>(y) * canvas.width();
        std::copy(src, src + canvas.width(), row.begin());
        if (EGifPutLine(gif, row.data(), canvas.width()) == GIF_ERROR)
            fail("EGifPutLine");
    }
    GifFreeMapObject(map);
    map = nullptr;
    if (EGifCloseFile(gif, &error) == GIF_ERROR)
        gifFailure("EGifCloseFile", error);
    return out;
}

const std::string& noChartGif()
{
    static const std::string gif = [] {
        Canvas dot(1, 1, {Rgb{255, 255, 255}, Rgb{0, 0, 0}});
        const std::size_t bare = encodeGif(dot).size();
        // A comment extension of n bytes (n <= 255) costs n + 4 bytes:
        // introducer, label, one sub-block length and the terminator.
        const std::size_t n = kNoChartSize - bare - 4;
        std::string comment = "Quoterra quote service: no chart for this symbol.";
        comment.resize(n, ' ');
        std::string padded = encodeGif(dot, comment);
        if (padded.size() != kNoChartSize)
            throw std::logic_error("the no-chart GIF came out at " + std::to_string(padded.size()) + " bytes");
        return padded;
    }();
    return gif;
}

} // namespace quoterra::service
