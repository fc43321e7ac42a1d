// The input model against whole sequences of platform events: who holds the pointer, stale buttons,
// one pointer editing, the tool group, and the editing rules reached through it.
#include "render/layout.h"
#include "scene/input.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string_view>

namespace {

using enum TPointerPhase;
using enum TMouseButton;
using enum TPointerKind;
using enum TKey;

constexpr unsigned L = ButtonBit(Left);
constexpr unsigned R = ButtonBit(Right);
constexpr unsigned M = ButtonBit(Middle);

// One platform event: `where` is a plan pane ("XY", "XZ", "YZ", with (x, y) in its pixels), "face" (with
// (x, y) in the window's), "lost" (capture lost) or "blurred" (the focused pane lost the keyboard).
struct TStep {
    TPointerPhase phase;
    const char* where;
    TMouseButton button = Left;
    int x = 0;
    int y = 0;
    unsigned buttons = 0;  // down after the event, as the platform reports them
    int id = 1;
    TPointerKind kind = Mouse;
    bool primary = true;
    std::optional<TKey> key{};  // a key of the focused pane `where`: Down for its press, Up for its release
    bool fine = false;          // with Shift
    bool repeat = false;
};

// A key going down (or up) in a focused plan pane.
TStep Key(const char* pane, TKey key, TPointerPhase phase = Down, bool fine = false, bool repeat = false)
{
    TStep s{phase, pane};
    s.key = key;
    s.fine = fine;
    s.repeat = repeat;
    return s;
}

struct TSequence {
    const char* name;
    TTool tool;  // down at the start
    std::vector<TStep> steps;
    TVec3 camera;  // at the end
    TTool toolAfter;
    TViewOrigin originXY{100, 100};
    int prisms = 0;
    TVec3 focus{0, 0, 0};
};

void Apply(TInput& input, const TStep& s)
{
    if (std::string_view(s.where) == "lost") {
        input.Cancel();
        return;
    }
    if (std::string_view(s.where) == "blurred") {
        input.KeysLost();
        return;
    }
    if (s.key) {
        const std::string_view pane = s.where;
        const TPlanView view = pane == "XY" ? TPlanView::XY : pane == "XZ" ? TPlanView::XZ : TPlanView::YZ;
        input.Key(view, *s.key, s.phase == Down, s.fine, s.repeat);
        return;
    }
    TPointerEvent e;
    e.phase = s.phase;
    e.button = s.button;
    e.buttons = s.buttons;
    e.id = s.id;
    e.kind = s.kind;
    e.primary = s.primary;
    const bool face = std::string_view(s.where) == "face";
    const std::string name = std::string("Ekran") + s.where;
    const TControlSpec* pane = face ? nullptr : &ControlNamed(name.c_str());
    PlacePointer(e, s.x + (face ? 0 : pane->left), s.y + (face ? 0 : pane->top));
    input.Pointer(e);
}

// Window pixel (600, 500) lies on the face, right of the readouts and below everything.
constexpr int kFaceX = 600;
constexpr int kFaceY = 500;

const TSequence kSequences[] = {
    {"ChordStartedOnTheFaceNeverReachesAPane",
     TTool::Kamera,
     {{Down, "face", Middle, kFaceX, kFaceY, M},
      {Down, "XY", Left, 50, 50, M | L},
      {Move, "XY", Left, 60, 60, M | L},
      {Up, "face", Left, kFaceX, kFaceY, M},
      {Up, "face", Middle, kFaceX, kFaceY, 0},
      {Move, "XY", Left, 0, 100, 0}},
     {0, 0, 0},
     TTool::Kamera},
    {"RightPressInAnEdgeMarginAfterAFacePressScrollsNothing",
     TTool::None,
     {{Down, "face", Left, kFaceX, kFaceY, L},
      {Down, "XY", Right, 5, 5, L | R},
      {Move, "XY", Right, 4, 4, L | R},
      {Up, "face", Left, kFaceX, kFaceY, R},
      {Up, "face", Right, kFaceX, kFaceY, 0},
      {Move, "XY", Left, 3, 3, 0},
      {Move, "XY", Left, 2, 2, 0}},
     {0, 0, 0},
     TTool::None},
    {"DragOutOfThePaneEndsAtItsRelease",
     TTool::Kamera,
     {{Down, "XY", Left, 120, 80, L},
      {Move, "XY", Left, 130, 70, L},
      {Move, "face", Left, kFaceX, kFaceY, L},
      {Up, "face", Left, kFaceX, kFaceY, 0},
      {Move, "XY", Left, 100, 100, 0}},
     {280, -380, 0},
     TTool::Kamera,
     {99, 99}},
    {"MoveWithoutTheButtonEndsTheDragBeforeARightScroll",
     TTool::Kamera,
     {{Down, "XY", Left, 120, 100, L},
      {Move, "XY", Left, 140, 100, 0},  // the left release went to another window
      {Down, "XY", Right, 10, 100, R},
      {Move, "XY", Right, 10, 100, R},
      {Move, "XY", Right, 9, 100, R},
      {Up, "XY", Right, 9, 100, 0}},
     {20, 0, 0},
     TTool::None,
     {102, 100}},
    {"PressOfAHeldButtonEndsTheDragItsReleaseLost",
     TTool::Odak,
     {{Down, "XY", Left, 120, 100, L}, {Down, "XZ", Left, 150, 100, L}, {Up, "XZ", Left, 150, 100, 0}},
     {0, 0, 0},
     TTool::Odak,
     {100, 100},
     0,
     {50, 0, 0}},
    {"SecondFingerNeitherMovesNorEndsTheFirstFingersDrag",
     TTool::Kamera,
     {{Down, "XY", Left, 120, 80, L, 7, Touch},
      {Down, "XY", Left, 60, 140, L, 8, Touch, false},
      {Move, "XY", Left, 50, 150, L, 8, Touch, false},
      {Move, "XY", Left, 130, 70, L, 7, Touch},
      {Up, "XY", Left, 50, 150, 0, 8, Touch, false},
      {Move, "XY", Left, 140, 60, L, 7, Touch},
      {Up, "XY", Left, 140, 60, 0, 7, Touch}},
     {40, 40, 0},
     TTool::Kamera},
    {"SecondFingerTapDuringAStretchAddsNoPrism",
     TTool::Prizma,
     {{Down, "XY", Left, 100, 100, L, 3, Touch},
      {Move, "XY", Left, 130, 70, L, 3, Touch},
      {Down, "XZ", Left, 100, 100, L, 4, Touch, false},
      {Up, "XZ", Left, 100, 100, 0, 4, Touch, false},
      {Move, "XY", Left, 140, 60, L, 3, Touch},
      {Up, "XY", Left, 140, 60, 0, 3, Touch}},
     {0, 0, 0},
     TTool::SonPrizma,
     {100, 100},
     1},
    {"TouchCancelIsARelease",
     TTool::Prizma,
     {{Down, "XZ", Left, 100, 100, L, 3, Touch}, {Cancel, "XZ", Left, 100, 100, 0, 3, Touch}},
     {0, 0, 0},
     TTool::None,
     {100, 100},
     1},
    {"NewPrimaryTouchEndsAContactWhoseLiftWentAstray",
     TTool::Kamera,
     {{Down, "XY", Left, 120, 100, L, 3, Touch},
      {Down, "XZ", Left, 100, 90, L, 5, Touch},
      {Move, "XZ", Left, 100, 80, L, 5, Touch},
      {Up, "XZ", Left, 100, 80, 0, 5, Touch}},
     {0, 0, 20},
     TTool::Kamera},
    {"PenWhoseUpNeverArrivesStopsAtItsFirstHover",
     TTool::Kamera,
     {{Down, "XY", Left, 110, 100, L, 2, Pen},
      {Move, "XY", Left, 0, 0, 0, 2, Pen},
      {Move, "XY", Left, 150, 150, 0, 2, Pen}},
     {10, 0, 0},
     TTool::Kamera},
    {"PenBarrelButtonActsAsTheLeftButton",
     TTool::Kamera,
     {{Down, "XY", Right, 110, 100, R, 2, Pen}, {Up, "XY", Right, 110, 100, 0, 2, Pen}},
     {10, 0, 0},
     TTool::Kamera},
    {"MouseIsIgnoredWhileAFingerHolds",
     TTool::Kamera,
     {{Down, "XY", Left, 110, 100, L, 3, Touch},
      {Down, "XY", Right, 150, 150, R, 1},
      {Up, "XY", Right, 150, 150, 0, 1},
      {Up, "XY", Left, 110, 100, 0, 3, Touch}},
     {10, 0, 0},
     TTool::Kamera},
    {"CaptureLostReleasesEveryButtonInOrder",
     TTool::Prizma,
     {{Down, "XY", Left, 100, 100, L},
      {Down, "XY", Right, 100, 100, L | R},
      {Cancel, "lost"},
      {Move, "XY", Left, 5, 5, 0}},
     {0, 0, 0},
     TTool::None,
     {100, 100},
     1},
    {"ChordedRightPressOverAnotherPaneGoesToTheHolder",
     TTool::Kamera,
     {{Down, "XY", Left, 110, 100, L},
      {Down, "XZ", Right, 100, 100, L | R},
      {Move, "XZ", Right, 100, 100, L | R},  // (-118, 320) in the top view
      {Up, "XZ", Left, 100, 100, R},
      {Up, "XZ", Right, 100, 100, 0}},
     {-220, -220, 0},
     TTool::None,
     {102, 98}},
    {"RightReleaseOverAnotherPaneLeavesNoScrolling",
     TTool::SonPrizma,
     {{Down, "XY", Right, 100, 100, R},
      {Move, "YZ", Right, 100, 100, R},
      {Up, "YZ", Right, 100, 100, 0},
      {Move, "XY", Left, 5, 5, 0},
      {Move, "XY", Left, 4, 4, 0}},
     {0, 0, 0},
     TTool::None,
     {100, 99}},
    {"StrayReleaseStillClearsTheHoldersFlags",
     TTool::None,
     {{Down, "XY", Right, 100, 100, R},
      {Up, "XY", Left, 100, 100, R},
      {Move, "XY", Right, 5, 5, R},
      {Up, "XY", Right, 5, 5, 0}},
     {0, 0, 0},
     TTool::None},
    // What the plan views do, reached through the model.
    {"PressSnapsHalvesUp",
     TTool::Kamera,
     {{Down, "XY", Left, 115, 85, L}, {Up, "XY", Left, 115, 85, 0}},
     {20, 20, 0},
     TTool::Kamera},
    {"EdgeMarginsScrollFromNineteenAndOneEightyOne",
     TTool::Kamera,
     {{Down, "XY", Left, 100, 100, L},
      {Move, "XY", Left, 19, 100, L},
      {Move, "XY", Left, 20, 100, L},
      {Move, "XY", Left, 181, 181, L},
      {Move, "XY", Left, 180, 180, L},
      {Up, "XY", Left, 180, 180, 0}},
     {80, -80, 0},
     TTool::Kamera,
     {100, 99}},
    {"PrismClickHandsOverToSonPrizma",
     TTool::Prizma,
     {{Down, "XY", Left, 100, 100, L}, {Up, "XY", Left, 100, 100, 0}},
     {0, 0, 0},
     TTool::SonPrizma,
     {100, 100},
     1},
    {"MiddleReleaseInTheFrontViewRaisesPrizma",
     TTool::Prizma,
     {{Down, "XZ", Middle, 100, 100, M}, {Up, "XZ", Middle, 100, 100, 0}},
     {0, 0, 0},
     TTool::None},
    {"DoubleClickSecondPressIsAnOrdinaryPress",
     TTool::Prizma,
     {{Down, "XY", Left, 100, 100, L},
      {Up, "XY", Left, 100, 100, 0},
      {Down, "XY", Left, 100, 100, L},
      {Up, "XY", Left, 100, 100, 0}},
     {0, 0, 0},
     TTool::SonPrizma,
     {100, 100},
     1},
    // The keyboard: one more pointer, by the same rules.
    {"ArrowsMoveAndReturnClicks",
     TTool::Kamera,
     {Key("XY", ArrowRight), Key("XY", ArrowRight), Key("XY", ArrowUp), Key("XY", Return), Key("XY", Return, Up)},
     {20, 10, 0},
     TTool::Kamera},
    {"ShiftArrowsStepOnePixel",
     TTool::Kamera,
     {Key("XY", ArrowRight, Down, true), Key("XY", ArrowRight, Down, true), Key("XY", ArrowRight, Down, true),
      Key("XY", ArrowRight, Down, true), Key("XY", ArrowRight, Down, true), Key("XY", Return)},
     {10, 0, 0},
     TTool::Kamera},
    {"SpaceHeldDragsAndScrollsAtTheEdge",
     TTool::Kamera,
     {Key("XY", Space), Key("XY", ArrowLeft), Key("XY", ArrowLeft), Key("XY", ArrowLeft), Key("XY", ArrowLeft),
      Key("XY", ArrowLeft), Key("XY", ArrowLeft), Key("XY", ArrowLeft), Key("XY", ArrowLeft), Key("XY", ArrowLeft),
      Key("XY", ArrowLeft), Key("XY", ArrowLeft), Key("XY", Space, Up)},
     {-100, 0, 0},
     TTool::Kamera,
     {103, 100}},
    {"AutoRepeatOfSpaceIsIgnored",
     TTool::Prizma,
     {Key("XY", Space), Key("XY", Space, Down, false, true), Key("XY", ArrowRight), Key("XY", Space, Up)},
     {0, 0, 0},
     TTool::SonPrizma,
     {100, 100},
     1},
    {"AutoRepeatOfReturnClicksNoMore",
     TTool::Kamera,
     {Key("XY", ArrowRight), Key("XY", Return), Key("XY", ArrowRight), Key("XY", Return, Down, false, true)},
     {10, 0, 0},
     TTool::Kamera},
    {"EscapeIsARightClick", TTool::Kamera, {Key("XY", Escape), Key("XY", Escape, Up)}, {0, 0, 0}, TTool::None},
    {"EscapeHeldScrollsAtTheEdge",
     TTool::None,
     {Key("XY", Escape), Key("XY", ArrowLeft), Key("XY", ArrowLeft), Key("XY", ArrowLeft), Key("XY", ArrowLeft),
      Key("XY", ArrowLeft), Key("XY", ArrowLeft), Key("XY", ArrowLeft), Key("XY", ArrowLeft), Key("XY", ArrowLeft),
      Key("XY", Escape, Up)},
     {0, 0, 0},
     TTool::None,
     {101, 100}},
    {"EachPaneKeepsItsKeyboardPointer",
     TTool::Kamera,
     {Key("XY", ArrowRight), Key("XY", Return), Key("XZ", ArrowDown), Key("XZ", Return)},
     {0, 0, -10},
     TTool::Kamera},
    {"MouseIsIgnoredWhileSpaceHolds",
     TTool::Kamera,
     {Key("XY", ArrowRight),
      Key("XY", Space),
      {Down, "XY", Left, 150, 150, L},
      {Up, "XY", Left, 150, 150, 0},
      Key("XY", Space, Up)},
     {10, 0, 0},
     TTool::Kamera},
    {"FocusLeavingThePaneLetsSpaceGo",
     TTool::Kamera,
     {Key("XY", Space), {Cancel, "blurred"}, {Down, "XZ", Left, 150, 100, L}, {Up, "XZ", Left, 150, 100, 0}},
     {50, 0, 0},
     TTool::Kamera},
    {"LostCaptureLetsSpaceGoToo",
     TTool::Kamera,
     {Key("XY", Space), {Cancel, "lost"}, Key("XY", ArrowRight), Key("XY", Space), Key("XY", Space, Up)},
     {10, 0, 0},
     TTool::Kamera},
};

void PrintTo(const TSequence& q, std::ostream* os) { *os << q.name; }

class InputSequence : public ::testing::TestWithParam<TSequence> {};

TEST_P(InputSequence, EndsWhereTheRulesSay)
{
    const TSequence& q = GetParam();
    auto scene = std::make_unique<TScene>();
    InitScene(*scene);
    TInput input(*scene, kPaneSize, kPaneSize);
    input.SetTool(q.tool);
    for (const TStep& s : q.steps)
        Apply(input, s);
    EXPECT_EQ(scene->Camera.x, q.camera.x);
    EXPECT_EQ(scene->Camera.y, q.camera.y);
    EXPECT_EQ(scene->Camera.z, q.camera.z);
    EXPECT_EQ(scene->Focus.x, q.focus.x);
    EXPECT_EQ(scene->Focus.y, q.focus.y);
    EXPECT_EQ(scene->Focus.z, q.focus.z);
    EXPECT_EQ(input.Tool(), q.toolAfter);
    EXPECT_EQ(scene->ViewOriginXY.ox, q.originXY.ox);
    EXPECT_EQ(scene->ViewOriginXY.oy, q.originXY.oy);
    EXPECT_EQ(scene->PrismCount, q.prisms);
    EXPECT_FALSE(input.Holding());
    for (TPlanView v : {TPlanView::XY, TPlanView::XZ, TPlanView::YZ}) {
        EXPECT_FALSE(LeftDragOf(*scene, v)) << int(v);
        EXPECT_FALSE(RightDragOf(*scene, v)) << int(v);
    }
}

INSTANTIATE_TEST_SUITE_P(Input, InputSequence, ::testing::ValuesIn(kSequences),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(EditEnded, OnceAtEachReleaseAndKeyboardStepNeverOnMoves)
{
    auto scene = std::make_unique<TScene>();
    InitScene(*scene);
    TInput input(*scene, kPaneSize, kPaneSize);
    input.SetTool(TTool::Kamera);
    struct TCase {
        TStep step;
        bool ended;
    };
    const TCase cases[] = {
        {{Down, "XY", Left, 100, 100, L}, false},
        {{Move, "XY", Left, 120, 100, L}, false},
        {{Up, "XY", Left, 120, 100, 0}, true},
        {{Move, "XY", Left, 130, 100, 0}, false},
        {{Down, "face", Left, kFaceX, kFaceY, L}, false},
        {{Up, "face", Left, kFaceX, kFaceY, 0}, false},
        {Key("XY", ArrowRight), false},
        {Key("XY", Return), true},
        {Key("XY", Space), false},
        {Key("XY", ArrowLeft), true},
        {Key("XY", Space, Up), true},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        Apply(input, cases[i].step);
        EXPECT_EQ(input.TakeEditEnded(), cases[i].ended) << "step " << i;
        EXPECT_FALSE(input.TakeEditEnded()) << "step " << i << ", asked again";
    }
}

TEST(ToolGroup, ClickingTheDownToolRaisesIt)
{
    const auto scene = std::make_unique<TScene>();  // too big for WebAssembly's stack
    TInput input(*scene, kPaneSize, kPaneSize);
    const TTool clicks[] = {TTool::Odak, TTool::Kamera, TTool::Kamera, TTool::SonPrizma};
    const TTool after[] = {TTool::Odak, TTool::Kamera, TTool::None, TTool::SonPrizma};
    for (std::size_t i = 0; i < std::size(clicks); ++i) {
        input.ClickTool(clicks[i]);
        EXPECT_EQ(input.Tool(), after[i]) << i;
    }
}

}  // namespace
