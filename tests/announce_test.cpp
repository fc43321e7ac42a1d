// What a screen reader is told when an edit ends.
#include "render/announce.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

struct TCase {
    const char* what;
    std::function<void(TScene&)> edit;
    const char* separator;
    const char* said;
};

TPrism& AddPrism(TScene& s, double x)
{
    TPrism& p = *AppendPrism(s);
    for (TVertex& c : p.c)
        c.x = x;
    return p;
}

}  // namespace

TEST(EditAnnouncement, NamesOnlyWhatChanged)
{
    const TCase cases[] = {
        {"nothing", [](TScene&) {}, ".", ""},
        {"a scroll moves markers only", [](TScene& s) { s.AxisMarkers[0].sx += 10; }, ".", ""},
        {"camera",
         [](TScene& s) {
             s.Camera = {50, 10, 0};
         },
         ".", "Kamera 50, 10, 0"},
        {"camera, one axis", [](TScene& s) { s.Camera.z = -20; }, ".", "Kamera 0, 0, -20"},
        {"focus with a decimal comma",
         [](TScene& s) {
             s.Focus = {2.5, -0.5, 1e-05};
         },
         ",", "Odak 2,5, -0,5, 1e-05"},
        {"both, camera first",
         [](TScene& s) {
             s.Focus.x = 1;
             s.Camera.y = 2;
         },
         ".", "Kamera 0, 2, 0; Odak 1, 0, 0"},
        {"a prism added", [](TScene& s) { AddPrism(s, 0); }, ".", "Prizma 2"},
        {"the last prism reshaped", [](TScene& s) { s.Prism(1).c[7].z = 30; }, ".", "Prizma 1"},
        {"the last prism recoloured", [](TScene& s) { s.Prism(1).colour = RGB(1, 2, 3); }, ".", "Prizma 1"},
        {"an earlier prism is not the last",
         [](TScene& s) {
             AddPrism(s, 0);
             s.Prism(1).c[0].y = 9;
         },
         ".", "Prizma 2"},
        {"camera and prism",
         [](TScene& s) {
             s.Camera.x = 100;
             AddPrism(s, 5);
         },
         ".", "Kamera 100, 0, 0; Prizma 2"},
    };
    for (const TCase& c : cases) {
        auto scene = std::make_unique<TScene>();
        InitScene(*scene);
        AddPrism(*scene, 1);
        const TEditState before = EditStateOf(*scene);
        c.edit(*scene);
        EXPECT_EQ(EditAnnouncement(before, EditStateOf(*scene), c.separator), c.said) << c.what;
    }
}

TEST(EditAnnouncement, FirstPrismOfAnEmptyScene)
{
    auto scene = std::make_unique<TScene>();
    InitScene(*scene);
    const TEditState before = EditStateOf(*scene);
    EXPECT_EQ(EditAnnouncement(before, before), "");
    AppendPrism(*scene);
    EXPECT_EQ(EditAnnouncement(before, EditStateOf(*scene)), "Prizma 1");
}

// Each edit is told once: the next announcement names only what changed after it.
TEST(EditAnnouncer, SaysEachChangeOnce)
{
    auto scene = std::make_unique<TScene>();
    InitScene(*scene);
    TEditAnnouncer announcer;
    announcer.Reset(*scene);
    scene->Camera = {50, 10, 0};
    EXPECT_EQ(announcer.Next(*scene, "."), "Kamera 50, 10, 0");
    EXPECT_EQ(announcer.Next(*scene, "."), "");
    scene->Focus.y = -20;
    EXPECT_EQ(announcer.Next(*scene, "."), "Odak 0, -20, 0");
}

// After each input event: the edit that ended wins; a keyboard step alone names the grid point under the
// pointer of its view, in that view's axes; a move with no edit and no step says nothing.
TEST(EditAnnouncer, AfterInputSaysTheEditElseTheKeyboardPointsGridPoint)
{
    auto scene = std::make_unique<TScene>();
    InitScene(*scene);
    TInput input(*scene, 200, 200);
    TEditAnnouncer announcer;
    announcer.Reset(*scene);
    input.SetTool(TTool::Kamera);
    struct TCase {
        TPlanView view;
        TKey key;
        bool down;
        const char* said;
    };
    const TCase cases[] = {
        {TPlanView::XY, TKey::ArrowRight, true, "x 10, y 0"},
        {TPlanView::XY, TKey::ArrowUp, true, "x 10, y 10"},
        {TPlanView::XZ, TKey::ArrowDown, true, "x 0, z -10"},
        {TPlanView::YZ, TKey::ArrowLeft, true, "y -10, z 0"},
        {TPlanView::XY, TKey::Return, true, "Kamera 10, 10, 0"},
        {TPlanView::XY, TKey::Return, false, ""},
        {TPlanView::XY, TKey::Space, true, ""},
        {TPlanView::XY, TKey::ArrowRight, true, "Kamera 20, 10, 0"},
    };
    for (const TCase& c : cases) {
        input.Key(c.view, c.key, c.down, false, false);
        EXPECT_EQ(announcer.AfterInput(input, *scene, ","), c.said) << c.said;
    }
}
