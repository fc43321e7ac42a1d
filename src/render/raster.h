#pragma once

// Pane rasters: the 0x00RRGGBB words a pane is drawn in, the view of them the canvas draws on, and the
// owning image a shell shows without copying.

#include "scene/types.h"

#include <cstdint>
#include <vector>

// The word a colour is stored as in a pane: 0x00RRGGBB, as a Qt RGB32 image and a 32-bit DIB lay it out.
constexpr std::uint32_t PixelWord(TColor c) { return (RedOf(c) << 16) | (GreenOf(c) << 8) | BlueOf(c); }

// A pane's pixels as the canvas sees them: width x height words, top row first, rows stride words apart.
struct TRaster {
    std::uint32_t* words = nullptr;
    int width = 0;
    int height = 0;
    int stride = 0;
};

// A pane raster that owns its words; a shell shows them without copying (Qt wraps them in a QImage).
class TPaneImage {
public:
    // A width x height raster filled with one colour.
    TPaneImage(int width, int height, TColor fill = kWhite);

    int Width() const { return width_; }
    int Height() const { return height_; }
    // The pixels to draw on; valid as long as this image lives.
    TRaster Raster() { return {words_.data(), width_, height_, width_}; }
    // The words, row after row.
    const std::vector<std::uint32_t>& Words() const { return words_; }
    std::uint32_t* Data() { return words_.data(); }

    // The word of pixel (x, y), which must lie inside.
    std::uint32_t At(int x, int y) const { return words_[Index(x, y)]; }
    void Set(int x, int y, TColor c) { words_[Index(x, y)] = PixelWord(c); }
    void Fill(TColor c);

    // The w x h block whose top left is (x, y), which must lie inside.
    TPaneImage Copy(int x, int y, int w, int h) const;

    bool operator==(const TPaneImage&) const = default;

private:
    std::size_t Index(int x, int y) const { return static_cast<std::size_t>(y) * std::size_t(width_) + std::size_t(x); }

    int width_ = 0;
    int height_ = 0;
    std::vector<std::uint32_t> words_;
};
