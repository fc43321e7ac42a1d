#include "raster.h"

#include <algorithm>

TPaneImage::TPaneImage(int width, int height, TColor fill, TPixelOrder order)
    : width_(std::max(width, 0)),
      height_(std::max(height, 0)),
      order_(order),
      words_(std::size_t(width_) * std::size_t(height_), PixelWord(fill, order))
{}

void TPaneImage::Fill(TColor c) { std::fill(words_.begin(), words_.end(), PixelWord(c, order_)); }

TPaneImage TPaneImage::Copy(int x, int y, int w, int h) const
{
    TPaneImage part(w, h, kWhite, order_);
    for (int row = 0; row < h; ++row) {
        const auto from = words_.begin() + std::ptrdiff_t(Index(x, y + row));
        std::copy(from, from + w, part.words_.begin() + std::ptrdiff_t(row) * w);
    }
    return part;
}
