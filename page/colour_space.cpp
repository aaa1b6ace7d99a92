// The row forms of the HSL and Lab conversions (see colour_space.h).
//
// HSL: four pixels per step in GCC vector types, each lane doing exactly the operations of
// rgbToHsl / hslToRgb in the same order. Basic IEEE operations, comparisons and the
// truncating conversion give the same bits in a vector lane as in a scalar register, so
// the branches become lane selects without changing a result; lanes whose values a branch
// would not have computed (a grey's hue, a division by a zero delta) are computed anyway
// and thrown away by the select. The build never fuses a multiply and an add, and the AVX2
// kernel is compiled without FMA, so no operation is contracted. Leftover pixels of a row
// (fewer than four) go through the per-pixel routines.
//
// Lab: the per-pixel arithmetic around std::pow stays as it is (pow of a continuous value
// cannot be tabled), but the two pow calls per channel that only see bytes are tables:
//  - linear[v], the linearisation of byte v, is the very double rgbToXyz computes;
//  - the sRGB byte of a linear value c is a non-decreasing step function of c, so it is
//    the number of the 255 step points at or below c, found by an eight-step binary search.
//    The step points are found by bisection over the doubles with linearToSrgbByte itself;
//    the tests check the function against the table on every double within 64 steps of
//    each step point (farther away the rounding of pow cannot move a truncation) and the
//    sweep tool over all 2^24 colours.
#include "page/colour_space.h"

#include <bit>
#include <cstring>
#include <limits>

// 32-byte vectors pass only through always-inlined helpers, all inlined into the AVX2
// functions; no real call of the baseline build carries one, whatever the ABI warning says.
#pragma GCC diagnostic ignored "-Wpsabi"

namespace rvl {

namespace {

// The lane types: four lanes for AVX2, two (one SSE2 register of doubles) for the
// baseline kernel. d holds doubles, l the result of comparing them, i and u the 32-bit
// integers of as many lanes.
struct Lanes4 {
  static constexpr int n = 4;
  typedef double d __attribute__((vector_size(32)));
  typedef int64_t l __attribute__((vector_size(32)));
  typedef int32_t i __attribute__((vector_size(16)));
  typedef uint32_t u __attribute__((vector_size(16)));
};
struct Lanes2 {
  static constexpr int n = 2;
  typedef double d __attribute__((vector_size(16)));
  typedef int64_t l __attribute__((vector_size(16)));
  typedef int32_t i __attribute__((vector_size(8)));
  typedef uint32_t u __attribute__((vector_size(8)));
};

#define RVL_LANES [[gnu::always_inline]] inline

template <class V>
RVL_LANES typename V::d splat(double v) {
  typename V::d out;
  for (int k = 0; k < V::n; ++k) out[k] = v;
  return out;
}

// colour::truncToInt lane by lane: NaN gives 0, the ends of the int range saturate.
template <class V>
RVL_LANES typename V::i truncToIntLanes(typename V::d v) {
  v = v != v ? splat<V>(0) : v;
  v = v < -2147483648.0 ? splat<V>(-2147483648.0) : v;
  v = v > 2147483647.0 ? splat<V>(2147483647.0) : v;
  return __builtin_convertvector(v, typename V::i);
}

template <class V>
RVL_LANES typename V::u loadPixels(const uint8_t* rgba) {
  typename V::u px;
  std::memcpy(&px, rgba, sizeof px);
  return px;
}

template <class V>
RVL_LANES typename V::d channel(typename V::u px, int shift) {
  return __builtin_convertvector((typename V::i)((px >> shift) & 255u), typename V::d);
}

template <class V>
RVL_LANES void storePixels(uint8_t* rgba, typename V::i r, typename V::i g, typename V::i b) {
  using U = typename V::u;
  U px = loadPixels<V>(rgba) & 0xFF000000u;
  px |= (U)r & 255u;
  px |= ((U)g & 255u) << 8;
  px |= ((U)b & 255u) << 16;
  std::memcpy(rgba, &px, sizeof px);
}

// rgbToHsl, lane by lane.
template <class V>
RVL_LANES void rgbToHslLanes(typename V::u px, typename V::d* H, typename V::d* S,
                             typename V::d* L) {
  using namespace colour;
  using D = typename V::d;
  const D rp = channel<V>(px, 0) * kInv255, gp = channel<V>(px, 8) * kInv255,
          bp = channel<V>(px, 16) * kInv255;
  D max = rp, min = rp;
  max = gp > max ? gp : max;
  max = bp > max ? bp : max;
  min = gp < min ? gp : min;
  min = bp < min ? bp : min;
  const D l = (max + min) * 0.5;
  const D delta = max - min;
  const auto grey = delta == 0;
  const D s = l < 0.5 ? delta / (max + min) : delta / (2 - max - min);
  const D inv = 1 / delta;
  const D half = delta * 0.5;
  const D dR = ((max - rp) * kInv6 + half) * inv;
  const D dG = ((max - gp) * kInv6 + half) * inv;
  const D dB = ((max - bp) * kInv6 + half) * inv;
  const D notRed = gp == max ? kOneThird + dR - dB : kTwoThirds + dG - dR;
  D h = rp == max ? dB - dG : notRed;
  h = h < 0 ? h + 1 : h;
  h = h > 1 ? h - 1 : h;
  *H = grey ? splat<V>(0) : h * 360;
  *S = grey ? splat<V>(0) : s;
  *L = l;
}

// hslChannel, lane by lane.
template <class V>
RVL_LANES typename V::i hslChannelLanes(typename V::d m1, typename V::d m2, typename V::d h) {
  using namespace colour;
  using D = typename V::d;
  const D wrapped = h < 0 ? h + 360 : h;
  h = h > 360 ? h - 360 : wrapped;
  const D rising = m1 + (m2 - m1) * h * kInv60;
  const D falling = m1 + (m2 - m1) * (240 - h) * kInv60;
  const D late = h < 240 ? falling : m1;
  const D middle = h < 180 ? m2 : late;
  const D value = h < 60 ? rising : middle;
  return truncToIntLanes<V>(value * 255.0);
}

// hslToRgb, lane by lane, as the three channel integers (the caller keeps their low bytes).
template <class V>
RVL_LANES void hslToRgbLanes(typename V::d H, typename V::d S, typename V::d L, typename V::i* r,
                             typename V::i* g, typename V::i* b) {
  using D = typename V::d;
  const D m2 = L < 0.5 ? L * (1 + S) : L + S - L * S;
  const D m1 = 2 * L - m2;
  const typename V::i grey = truncToIntLanes<V>(L * 255.0);
  const typename V::i isGrey = __builtin_convertvector(S == 0, typename V::i);
  *r = isGrey ? grey : hslChannelLanes<V>(m1, m2, H + 120);
  *g = isGrey ? grey : hslChannelLanes<V>(m1, m2, H);
  *b = isGrey ? grey : hslChannelLanes<V>(m1, m2, H - 120);
}

template <class V>
RVL_LANES void rgbaRowToHslLanes(const uint8_t* rgba, int32_t count, double* H, double* S,
                                 double* L) {
  using D = typename V::d;
  int32_t x = 0;
  for (; x + V::n <= count; x += V::n) {
    D h, s, l;
    rgbToHslLanes<V>(loadPixels<V>(rgba + size_t(x) * 4), &h, &s, &l);
    std::memcpy(H + x, &h, sizeof h);
    std::memcpy(S + x, &s, sizeof s);
    std::memcpy(L + x, &l, sizeof l);
  }
  for (; x < count; ++x) {
    const uint8_t* p = rgba + size_t(x) * 4;
    rgbToHsl(p[0], p[1], p[2], H + x, S + x, L + x);
  }
}

template <class V>
RVL_LANES void hslToRgbaRowLanes(const double* H, const double* S, const double* L, int32_t count,
                                 uint8_t* rgba) {
  using D = typename V::d;
  int32_t x = 0;
  for (; x + V::n <= count; x += V::n) {
    D h, s, l;
    std::memcpy(&h, H + x, sizeof h);
    std::memcpy(&s, S + x, sizeof s);
    std::memcpy(&l, L + x, sizeof l);
    typename V::i r, g, b;
    hslToRgbLanes<V>(h, s, l, &r, &g, &b);
    storePixels<V>(rgba + size_t(x) * 4, r, g, b);
  }
  for (; x < count; ++x) {
    uint8_t* p = rgba + size_t(x) * 4;
    hslToRgb(H[x], S[x], L[x], p, p + 1, p + 2);
  }
}

void rgbaRowToHslBaseline(const uint8_t* rgba, int32_t count, double* H, double* S, double* L) {
  rgbaRowToHslLanes<Lanes2>(rgba, count, H, S, L);
}
void hslToRgbaRowBaseline(const double* H, const double* S, const double* L, int32_t count,
                          uint8_t* rgba) {
  hslToRgbaRowLanes<Lanes2>(H, S, L, count, rgba);
}

#if defined(__x86_64__)
#define RVL_HAVE_AVX2_ROWS 1
__attribute__((target("avx2"))) void rgbaRowToHslAvx2(const uint8_t* rgba, int32_t count, double* H,
                                                      double* S, double* L) {
  rgbaRowToHslLanes<Lanes4>(rgba, count, H, S, L);
}
__attribute__((target("avx2"))) void hslToRgbaRowAvx2(const double* H, const double* S,
                                                      const double* L, int32_t count,
                                                      uint8_t* rgba) {
  hslToRgbaRowLanes<Lanes4>(H, S, L, count, rgba);
}
#endif

bool forceBaseline = false;

bool useAvx2() {
#ifdef RVL_HAVE_AVX2_ROWS
  static const bool avx2 = __builtin_cpu_supports("avx2");
  return avx2 && !forceBaseline;
#else
  return false;
#endif
}

// The rows above read and write pixels as little-endian 32-bit words.
constexpr bool kLanesFit = std::endian::native == std::endian::little;

// linearToSrgbByte by the step table.
inline uint8_t stepByte(const double* step, double c) {
  int k = 0;
  for (int half = 128; half > 0; half >>= 1)
    if (step[k + half] <= c) k += half;
  return uint8_t(k);
}

colour::SrgbTables makeTables() {
  using namespace colour;
  SrgbTables t{};
  for (int v = 0; v < 256; ++v) t.linear[v] = 100 * srgbToLinear(v * kInv255);
  // step[k]: bisection over the bit patterns of the non-negative doubles, which order as
  // the doubles do; byte(0) = 0 < k and byte(2) = 255 >= k.
  t.step[0] = -std::numeric_limits<double>::infinity();
  for (int k = 1; k < 256; ++k) {
    uint64_t lo = std::bit_cast<uint64_t>(0.0), hi = std::bit_cast<uint64_t>(2.0);
    while (hi - lo > 1) {
      const uint64_t mid = lo + (hi - lo) / 2;
      if (linearToSrgbByte(std::bit_cast<double>(mid)) >= k)
        hi = mid;
      else
        lo = mid;
    }
    t.step[k] = std::bit_cast<double>(hi);
  }
  return t;
}

}  // namespace

namespace colour {

const SrgbTables& srgbTables() {
  static const SrgbTables tables = makeTables();
  return tables;
}

}  // namespace colour

void rgbaRowToHsl(const uint8_t* rgba, int32_t count, double* H, double* S, double* L) {
  if (count <= 0) return;
  if constexpr (!kLanesFit) {
    for (int32_t x = 0; x < count; ++x)
      rgbToHsl(rgba[x * 4], rgba[x * 4 + 1], rgba[x * 4 + 2], H + x, S + x, L + x);
    return;
  }
#ifdef RVL_HAVE_AVX2_ROWS
  if (useAvx2()) return rgbaRowToHslAvx2(rgba, count, H, S, L);
#endif
  rgbaRowToHslBaseline(rgba, count, H, S, L);
}

void hslToRgbaRow(const double* H, const double* S, const double* L, int32_t count, uint8_t* rgba) {
  if (count <= 0) return;
  if constexpr (!kLanesFit) {
    for (int32_t x = 0; x < count; ++x)
      hslToRgb(H[x], S[x], L[x], rgba + x * 4, rgba + x * 4 + 1, rgba + x * 4 + 2);
    return;
  }
#ifdef RVL_HAVE_AVX2_ROWS
  if (useAvx2()) return hslToRgbaRowAvx2(H, S, L, count, rgba);
#endif
  hslToRgbaRowBaseline(H, S, L, count, rgba);
}

void rgbaRowToLab(const uint8_t* rgba, int32_t count, double* L, double* a, double* b) {
  const double* linear = colour::srgbTables().linear;
  for (int32_t x = 0; x < count; ++x) {
    const uint8_t* p = rgba + size_t(x) * 4;
    double X, Y, Z;
    colour::linearToXyz(linear[p[0]], linear[p[1]], linear[p[2]], &X, &Y, &Z);
    xyzToLab(X, Y, Z, L + x, a + x, b + x);
  }
}

void labToRgbaRow(const double* L, const double* a, const double* b, int32_t count, uint8_t* rgba) {
  const double* step = colour::srgbTables().step;
  for (int32_t x = 0; x < count; ++x) {
    double X, Y, Z, R, G, B;
    labToXyz(L[x], a[x], b[x], &X, &Y, &Z);
    colour::xyzToLinear(X, Y, Z, &R, &G, &B);
    uint8_t* p = rgba + size_t(x) * 4;
    p[0] = stepByte(step, R);
    p[1] = stepByte(step, G);
    p[2] = stepByte(step, B);
  }
}

namespace testing {
void setColourRowsBaseline(bool baseline) { forceBaseline = baseline; }
}  // namespace testing

}  // namespace rvl
