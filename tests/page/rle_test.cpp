#include <vector>

#include "support/layer_fixture.h"

namespace rvl::test {
namespace {

using RleTest = LayerFixture;

TEST_F(RleTest, LongRunsSplitAt255) {
  std::vector<uint16_t> line(600 * 4);
  for (size_t i = 0; i < line.size(); i += 4) line[i] = 0x1234, line[i + 1] = 0x56FF, line[i + 2] = 0, line[i + 3] = 0xFFFF;
  std::vector<uint8_t> runs(600 * 5);
  ASSERT_EQ(RVL_RLECompressRGBA64ToRGBA32(line.data(), runs.data(), 600), 15);
  EXPECT_EQ(runs[0], 255);
  EXPECT_EQ(runs[5], 255);
  EXPECT_EQ(runs[10], 90);
  EXPECT_EQ((std::vector<uint8_t>(runs.begin() + 1, runs.begin() + 5)), (std::vector<uint8_t>{0x12, 0x56, 0, 0xFF}));
  std::vector<uint16_t> decoded(600 * 4);
  RVL_RLEUncompressRGBA32ToRGBA64(runs.data(), decoded.data(), 600);
  EXPECT_EQ(decoded[599 * 4 + 0], 0x1200);
  EXPECT_EQ(decoded[599 * 4 + 1], 0x5600);
  EXPECT_EQ(decoded[599 * 4 + 3], 0xFF00);
}

TEST_F(RleTest, MaskRunsKeepHighBytes) {
  const uint16_t values[] = {0x12FF, 0x1200, 0x1300};
  uint8_t runs[6];
  ASSERT_EQ(RVL_RLECompressG16ToG8(values, runs, 3), 4);
  EXPECT_EQ(runs[0], 2);
  EXPECT_EQ(runs[1], 0x12);
  EXPECT_EQ(runs[2], 1);
  EXPECT_EQ(runs[3], 0x13);
  uint16_t decoded[3];
  RVL_RLEUncompressG8ToG16(runs, decoded, 3);
  EXPECT_EQ(decoded[0], 0x1200);
  EXPECT_EQ(decoded[1], 0x1200);
  EXPECT_EQ(decoded[2], 0x1300);
}

TEST_F(RleTest, ShortAndEmptyLines) {
  const uint16_t pixel[4] = {0xAB00, 1, 2, 3};
  uint8_t runs[10] = {};
  EXPECT_EQ(RVL_RLECompressRGBA64ToRGBA32(pixel, runs, 1), 5);
  EXPECT_EQ(runs[1], 0xAB);
  EXPECT_EQ(RVL_RLECompressG16ToG8(pixel, runs, 1), 2);
  // A line of no pixels has no pixel 0 to store.
  EXPECT_EQ(RVL_RLECompressRGBA64ToRGBA32(pixel, runs, 0), 0);
  EXPECT_EQ(RVL_RLECompressG16ToG8(pixel, runs, -4), 0);
  EXPECT_EQ(RVL_RLECompressRGBA64ToRGBA32(nullptr, runs, 4), 0);
  EXPECT_EQ(RVL_RLECompressG16ToG8(pixel, nullptr, 4), 0);
}

TEST_F(RleTest, DecodersReadAtMostOneRecordPerValue) {
  // Hostile lines: only empty records, then an overlong run. The buffers are exactly as
  // long as n records, so reading one more would leave them.
  const int n = 7;
  std::vector<uint8_t> zeros(n * 5, 0);
  std::vector<uint16_t> pixels(n * 4, 0x7777);
  RVL_RLEUncompressRGBA32ToRGBA64(zeros.data(), pixels.data(), n);
  EXPECT_EQ(pixels, std::vector<uint16_t>(n * 4, 0x7777));
  std::vector<uint8_t> zeroG8(n * 2, 0);
  std::vector<uint16_t> values(n, 0x7777);
  RVL_RLEUncompressG8ToG16(zeroG8.data(), values.data(), n);
  EXPECT_EQ(values, std::vector<uint16_t>(n, 0x7777));

  // Empty records are skipped; a run past the end of the line is cut there.
  const uint8_t mixed[] = {0, 9, 2, 0x10, 200, 0x20};
  RVL_RLEUncompressG8ToG16(mixed, values.data(), 4);
  EXPECT_EQ((std::vector<uint16_t>(values.begin(), values.begin() + 5)),
            (std::vector<uint16_t>{0x1000, 0x1000, 0x2000, 0x2000, 0x7777}));
  // No runs, or a negative count: nothing is written.
  const std::vector<uint16_t> valuesBefore = values;
  RVL_RLEUncompressG8ToG16(nullptr, values.data(), 4);
  EXPECT_EQ(values, valuesBefore);
  const uint8_t run[] = {3, 1, 2, 3, 4};
  RVL_RLEUncompressRGBA32ToRGBA64(run, pixels.data(), -1);
  RVL_RLEUncompressRGBA32ToRGBA64(nullptr, pixels.data(), 3);
  RVL_RLEUncompressG8ToG16(run, values.data(), -1);
  EXPECT_EQ(pixels, std::vector<uint16_t>(n * 4, 0x7777));
  EXPECT_EQ(values, valuesBefore);
}

TEST_F(RleTest, LayerAndMaskLinesRoundTrip) {
  for (int x = 0; x < W; ++x) set(2, x, 3, {uint16_t((x / 4) << 8), 0, 0, 65280});
  std::vector<uint8_t> runs(W * 5);
  const int32_t bytes = RVL_GetRGBA32LayerLineRLE(runs.data(), 2, 3);
  EXPECT_EQ(bytes, (W / 4) * 5);
  RVL_PutRGBA32LayerLineRLE(runs.data(), 0, 7);
  for (int x = 0; x < W; ++x) EXPECT_EQ(at(0, x, 7), at(2, x, 3));

  for (int x = 0; x < W; ++x) setMask(x, 2, x < 5 ? 0 : 0xFFFF);
  std::vector<uint8_t> maskRuns(W * 2);
  EXPECT_EQ(RVL_GetMaskLineRLE(maskRuns.data(), 2), 4);
  RVL_PutMaskLineRLE(maskRuns.data(), 9);
  EXPECT_EQ(page.mask[9 * W + 4], 0);
  EXPECT_EQ(page.mask[9 * W + 5], 0xFF00);

  // Rows outside the slot, empty slots and a page without a mask do nothing.
  for (int row : {-1, H, INT32_MAX}) {
    EXPECT_EQ(RVL_GetRGBA32LayerLineRLE(runs.data(), 2, row), 0);
    RVL_PutRGBA32LayerLineRLE(runs.data(), 2, row);
    EXPECT_EQ(RVL_GetMaskLineRLE(maskRuns.data(), row), 0);
    RVL_PutMaskLineRLE(maskRuns.data(), row);
  }
  EXPECT_EQ(RVL_GetRGBA32LayerLineRLE(runs.data(), 9, 0), 0);
  RVL_DeleteImage();
  EXPECT_EQ(RVL_GetMaskLineRLE(maskRuns.data(), 0), 0);
}

TEST_F(RleTest, LinesOfASmallerLayerCoverOnlyItsWidth) {
  ASSERT_EQ(RVL_CreateLayer(3, 4, 2), 1);
  std::vector<uint8_t> runs(W * 5);
  EXPECT_EQ(RVL_GetRGBA32LayerLineRLE(runs.data(), 3, 1), 5);
  EXPECT_EQ(runs[0], 4);
  RVL_PutRGBA32LayerLineRLE(runs.data(), 3, 1);
  EXPECT_EQ(RVL_GetRGBA32LayerLineRLE(runs.data(), 3, 2), 0);
}

}  // namespace
}  // namespace rvl::test
