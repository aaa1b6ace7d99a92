// A page of 48 x 40 pixels with 64-pixel brush buffers, layer 2 current, the generator
// seeded with 7 and a hard round tip of 9 pixels: where the dab and brush tests start.
#pragma once

#include "support/layer_fixture.h"

namespace rvl::test {

class BrushFixture : public LayerFixture {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    RVL_SetRandomSeed(7);
    RVL_CreateImage(nullptr, W, H, 64, 0);
    for (int i = 0; i < 3; ++i) ASSERT_EQ(RVL_CreateLayer(i, W, H), 1);
    RVL_SetLayerOptions(2, 1, 0, 100, "Normal");
    RVL_SetLayer(2);
    hardTool(9);
  }
  // A hard round tip: no grit, no blend buffer unless asked, full opacity and density. The
  // tool seeds the generator with the random seed (7) and draws nothing itself.
  static void hardTool(int size, int softness = 0, int blendStrength = 0) {
    RVL_SetSize(size);
    RVL_SetTool(1.0f, 0, 0, 0, softness, 0, 10, blendStrength, 0, 0, 0, 0, 0, "", "", 0);
    RVL_SetAlpha(100);
    RVL_SetDensity(256);
  }
  static constexpr int W = 48, H = 40;
};

}  // namespace rvl::test
