// Every scene of the corpus (tests/make_projection_corpus.py) through InitScene, ProjectScene and
// ProjectPoint: the sight angles and the pane position must have the recorded bits and readout texts,
// on every projection path, where the point is also a prism's corner that ProjectScene projects.
#include "render/readout.h"
#include "scene/projection.h"

#include "projection_paths.h"

#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cstdint>
#include <iterator>
#include <memory>
#include <string>

namespace {

struct TCorpusCase {
    TVec3 camera, focus, point;
    int width, height;
    std::uint64_t bits[4];  // sight azimuth, sight elevation, px, py of the point
    const char* texts[4];   // their readout texts
};

const TCorpusCase kCorpus[] = {
#include "projection_corpus.inc"
};

// The 64 bits in hex and the readout text, for a failure message.
std::string Shown(std::uint64_t bits, const std::string& text)
{
    char hex[20];
    return "0x" + std::string(hex, std::to_chars(hex, hex + sizeof hex, bits, 16).ptr) + " \"" + text + "\"";
}

}  // namespace

TEST(ProjectionCorpus, EveryCaseBitForBit)
{
    const char* const names[] = {"azimuth", "elevation", "px", "py", "corner px", "corner py"};
    auto scene = std::make_unique<TScene>();
    ForEachProjectionPath([&] {
        int mismatches = 0;
        std::string first;
        for (std::size_t i = 0; i < std::size(kCorpus); ++i) {
            const TCorpusCase& c = kCorpus[i];
            InitScene(*scene);
            scene->Camera = c.camera;
            scene->Focus = c.focus;
            for (TVertex& corner : AppendPrism(*scene)->c)
                corner = {c.point.x, c.point.y, c.point.z, 0, 0};
            ProjectScene(*scene, c.width, c.height);
            const TPanePoint p = ProjectPoint(*scene, c.point, c.width, c.height);
            const TVertex& corner = scene->Prism(1).c[0];
            const double got[] = {
                scene->ViewAngles.azimuth, scene->ViewAngles.elevation, p.px, p.py, corner.sx, corner.sy};
            for (int k = 0; k < 6; ++k) {
                const std::uint64_t bits = std::bit_cast<std::uint64_t>(got[k]);
                const std::uint64_t want = c.bits[k < 4 ? k : k - 2];
                const char* text = c.texts[k < 4 ? k : k - 2];
                if ((bits != want || ReadoutText(got[k]) != text) && mismatches++ == 0)
                    first = "case " + std::to_string(i) + " " + names[k] + ": got " + Shown(bits, ReadoutText(got[k])) +
                            ", expected " + Shown(want, text);
            }
        }
        EXPECT_EQ(mismatches, 0) << "first: " << first;
    });
}
