#pragma once

#include "scene/types.h"

#include <cstdint>
#include <vector>

// How a pane's colour words are laid out: Xrgb is 0x00RRGGBB, as a Qt RGB32 image and a 32-bit DIB take
// them; CanvasRgba is the word a little-endian machine (WebAssembly always is) stores as the bytes R, G,
// B, 255, which a browser canvas's ImageData takes as it is.
enum class TPixelOrder : std::uint8_t { Xrgb, CanvasRgba };

// The word a colour is stored as in a pane of the given order (0x00RRGGBB unless told).
constexpr std::uint32_t PixelWord(TColor c, TPixelOrder order = TPixelOrder::Xrgb)
{
    if (order == TPixelOrder::CanvasRgba)
        return 0xFF000000u | (BlueOf(c) << 16) | (GreenOf(c) << 8) | RedOf(c);
    return (RedOf(c) << 16) | (GreenOf(c) << 8) | BlueOf(c);
}

// A pane's pixels as the canvas sees them: width x height words, top row first, rows stride words apart.
struct TRaster {
    std::uint32_t* words = nullptr;
    int width = 0;
    int height = 0;
    int stride = 0;
    TPixelOrder order = TPixelOrder::Xrgb;
};

// A pane raster that owns its words; a shell shows them without copying (Qt wraps them in a QImage).
class TPaneImage {
public:
    // A width x height raster filled with one colour, its words in the given order.
    TPaneImage(int width, int height, TColor fill = kWhite, TPixelOrder order = TPixelOrder::Xrgb);

    int Width() const { return width_; }
    int Height() const { return height_; }
    // The pixels to draw on; valid as long as this image lives.
    TRaster Raster() { return {words_.data(), width_, height_, width_, order_}; }
    TPixelOrder Order() const { return order_; }
    // The words, row after row.
    const std::vector<std::uint32_t>& Words() const { return words_; }
    std::uint32_t* Data() { return words_.data(); }

    // The word of pixel (x, y), which must lie inside.
    std::uint32_t At(int x, int y) const { return words_[Index(x, y)]; }
    void Set(int x, int y, TColor c) { words_[Index(x, y)] = PixelWord(c, order_); }
    void Fill(TColor c);

    // The w x h block whose top left is (x, y), which must lie inside.
    TPaneImage Copy(int x, int y, int w, int h) const;

    bool operator==(const TPaneImage&) const = default;

private:
    std::size_t Index(int x, int y) const { return static_cast<std::size_t>(y) * std::size_t(width_) + std::size_t(x); }

    int width_ = 0;
    int height_ = 0;
    TPixelOrder order_ = TPixelOrder::Xrgb;
    std::vector<std::uint32_t> words_;
};
