#include "scene/scene.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

TEST(Scene, InitialValues)
{
    auto s = std::make_unique<TScene>();
    InitScene(*s);
    EXPECT_EQ(s->PrismCount, 0);
    EXPECT_EQ(s->BackColor, 0xFFFFFFu);
    EXPECT_EQ(s->SightColor, 255u);
    for (TPlanView v : {TPlanView::XY, TPlanView::XZ, TPlanView::YZ}) {
        EXPECT_EQ(OriginOf(*s, v).ox, 100);
        EXPECT_EQ(OriginOf(*s, v).oy, 100);
        EXPECT_FALSE(LeftDragOf(*s, v));
        EXPECT_FALSE(RightDragOf(*s, v));
    }
    const double markers[4][3] = {{0, 0, 0}, {100, 0, 0}, {0, 100, 0}, {0, 0, 100}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(s->AxisMarkers[i].x, markers[i][0]);
        EXPECT_EQ(s->AxisMarkers[i].y, markers[i][1]);
        EXPECT_EQ(s->AxisMarkers[i].z, markers[i][2]);
    }
    EXPECT_EQ(s->Camera.x + s->Camera.y + s->Camera.z, 0);
    EXPECT_EQ(s->ViewAngles.azimuth, 0);
}

TEST(Scene, TableHolds2048PrismsAndRefusesMore)
{
    auto s = std::make_unique<TScene>();
    InitScene(*s);
    EXPECT_EQ(LastPrism(*s), nullptr);
    // The fields laid out right after the table act as a guard against an overrun.
    s->Camera = {11, 22, 33};
    s->Focus = {44, 55, 66};
    const TPrism* first = s->PrismTable.data();
    for (int k = 1; k <= kPrismSlots; ++k) {
        TPrism* p = AppendPrism(*s);
        ASSERT_NE(p, nullptr) << k;
        EXPECT_EQ(p, first + (k - 1));
        EXPECT_EQ(s->PrismCount, k);
        EXPECT_EQ(LastPrism(*s), p);
        p->colour = TColor(k);
    }
    EXPECT_EQ(AppendPrism(*s), nullptr);
    EXPECT_EQ(s->PrismCount, kPrismSlots);
    EXPECT_EQ(LastPrism(*s), &s->Prism(kPrismSlots));
    EXPECT_EQ(s->Prism(kPrismSlots).colour, TColor(kPrismSlots));
    EXPECT_EQ(s->Camera.x, 11);
    EXPECT_EQ(s->Camera.z, 33);
    EXPECT_EQ(s->Focus.z, 66);
    EXPECT_EQ(s->ViewAngles.azimuth, 0);
}
