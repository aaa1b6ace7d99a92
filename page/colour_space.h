// Colour-space conversions between 8-bit RGB and HSV, HSL, CIE XYZ, CIE L*a*b* and CMYK.
//
// Pure per-pixel routines: no state, no allocation, inputs by value, outputs through
// pointers. The filters, the effect catalogue, the mask builders and the scripting
// functions call them for every pixel of a page, and the byte values they produce are what
// effects write and what scripts read back, so the arithmetic below is fixed to the bit:
//
//  - everything is double precision, each operation rounded on its own (the build turns
//    off fused multiply-add contraction), in the order written here;
//  - 1/255, 1/60, 1/6 and the other reciprocals are held as the double constants below and
//    multiplied, never divided;
//  - a byte comes from a [0, 1] value as trunc(value * 255), truncated toward zero, not
//    rounded; only xyzToRgb clamps its bytes to 0..255, the others take the low 8 bits of
//    the truncated integer (which is the value itself for inputs in range);
//  - powers are std::pow, the cube in labToXyz included (pow(t, 3), not t * t * t).
//
// The models: RGB bytes 0..255 (bytes 0, 1, 2 of an RGBA32 pixel); HSV with H in degrees
// [0, 360) or -1 for a grey (no hue), S and V in [0, 1]; HSL with H in degrees [0, 360],
// S and L in [0, 1]; XYZ for the D65 white scaled to Y = 100 (white X = 95.047, Y = 100,
// Z = 108.883); Lab relative to that white, L in [0, 100]; CMY and CMYK in [0, 1].
//
// Inputs out of range. The routines expect their inputs in the ranges above (scripting and
// the adjust loops clamp and wrap before converting) and give no meaning to others, but
// every input, NaN and infinities included, is handled without undefined behaviour:
//  - every double-to-integer conversion goes through truncToInt: NaN becomes 0, values
//    beyond the int range saturate at its ends; inside the range it is plain truncation;
//  - so a byte computed from a NaN is 0 (xyzToRgb: 0 as well);
//  - hsvToRgb reduces a hue outside [0, 360) modulo 360 (-90 is 270, 720 is 0); a NaN or
//    infinite hue has no sector and gives black, unless S = 0 (no hue needed);
//  - hslChannel corrects a hue by one turn at most; a hue still beyond 360 falls into its
//    last case (m1), and so does a NaN hue.
#pragma once

#include <cmath>
#include <cstdint>

namespace rvl {

namespace colour {

inline constexpr double kInv255 = 0.00392156862745098;   // 1/255
inline constexpr double kInv60 = 0.016666666666666666;   // 1/60
inline constexpr double kInv6 = 0.16666666666666666;     // 1/6
inline constexpr double kOneThird = 0.3333333333333333;  // 1/3
inline constexpr double kTwoThirds = 0.6666666666666666; // 2/3

// sRGB companding.
inline constexpr double kSrgbLinearLimit = 0.04045;
inline constexpr double kInv1055 = 0.9478672985781991;   // 1/1.055
inline constexpr double kInv1292 = 0.07739938080495357;  // 1/12.92
inline constexpr double kSrgbGammaLimit = 0.0031308;
inline constexpr double kInvGamma = 0.4166666666666667;  // 1/2.4

// Lab.
inline constexpr double kWhiteX = 95.047;
inline constexpr double kWhiteY = 100.0;
inline constexpr double kWhiteZ = 108.883;
inline constexpr double kInvWhiteX = 0.010521110608435826;  // 1/95.047
inline constexpr double kInvWhiteZ = 0.009184170164304804;  // 1/108.883
inline constexpr double kLabEpsilon = 0.008856;
inline constexpr double kLabKappa = 7.787;
inline constexpr double kInvLabKappa = 0.1284191601386927;   // 1/7.787
inline constexpr double kLabOffset = 0.13793103448275862;    // 16/116
inline constexpr double kCubeRoot = 0.3333333333333333;      // the exponent of the cube root
inline constexpr double kInv116 = 0.008620689655172414;      // 1/116

// trunc(v) as an int for any double: NaN gives 0, values beyond the int range saturate.
// Inside (-2^31 - 1, 2^31) this is the plain conversion, which truncates toward zero.
inline int truncToInt(double v) {
  if (!(v > -2147483649.0)) return v != v ? 0 : INT32_MIN;
  if (!(v < 2147483648.0)) return INT32_MAX;
  return int(v);
}

// The byte of a [0, 1] value: the low 8 bits of trunc(value * 255).
inline uint8_t unitToByte(double value) { return uint8_t(truncToInt(value * 255.0)); }

// The linear light of one sRGB channel c' = byte / 255 (0..1).
inline double srgbToLinear(double c) {
  if (c > kSrgbLinearLimit) return std::pow((c + 0.055) * kInv1055, 2.4);
  return c * kInv1292;
}

// The sRGB byte of one linear channel (0..1), clamped to 0..255.
inline uint8_t linearToSrgbByte(double c) {
  if (c > kSrgbGammaLimit)
    c = 1.055 * std::pow(c, kInvGamma) - 0.055;
  else
    c = 12.92 * c;
  const int v = truncToInt(c * 255.0);
  return uint8_t(v < 0 ? 0 : v > 255 ? 255 : v);
}

// Linear sRGB (0..100 each) to XYZ; negative results become 0.
inline void linearToXyz(double R, double G, double B, double* X, double* Y, double* Z) {
  const double x = 0.4124 * R + 0.3576 * G + 0.1805 * B;
  const double y = 0.2126 * R + 0.7152 * G + 0.0722 * B;
  const double z = 0.0193 * R + 0.1192 * G + 0.9505 * B;
  *X = x < 0 ? 0 : x;
  *Y = y < 0 ? 0 : y;
  *Z = z < 0 ? 0 : z;
}

// XYZ to linear sRGB (0..1 each inside the gamut), unclamped.
inline void xyzToLinear(double X, double Y, double Z, double* R, double* G, double* B) {
  const double x = X * 0.01, y = Y * 0.01, z = Z * 0.01;
  *R = 3.2406 * x - 1.5372 * y - 0.4986 * z;
  *G = -0.9689 * x + 1.8758 * y + 0.0415 * z;
  *B = 0.0557 * x - 0.204 * y + 1.057 * z;
}

inline double labF(double t) {
  if (t > kLabEpsilon) return std::pow(t, kCubeRoot);
  return kLabKappa * t + kLabOffset;
}

inline double labFInverse(double t) {
  const double t3 = std::pow(t, 3.0);
  if (t3 > kLabEpsilon) return t3;
  return (t - kLabOffset) * kInvLabKappa;
}

// The largest and the smallest of three channel values.
inline void largestAndSmallest(double rp, double gp, double bp, double* max, double* min) {
  *max = rp;
  *min = rp;
  if (gp > *max) *max = gp;
  if (bp > *max) *max = bp;
  if (gp < *min) *min = gp;
  if (bp < *min) *min = bp;
}

}  // namespace colour

// RGB bytes to HSV. A grey (r = g = b, black included) has no hue: H = -1, S = 0, and
// callers test H against -1. Otherwise H is in [0, 360); red wins a tie for the largest
// channel with green or blue, green wins one with blue.
inline void rgbToHsv(int r, int g, int b, double* H, double* S, double* V) {
  using namespace colour;
  const double rp = r * kInv255, gp = g * kInv255, bp = b * kInv255;
  double max, min;
  largestAndSmallest(rp, gp, bp, &max, &min);
  *V = max;
  const double delta = max - min;
  if (delta == 0) {
    *H = -1;
    *S = 0;
    return;
  }
  *S = delta / max;
  double h;
  if (rp == max)
    h = (gp - bp) / delta;
  else if (gp == max)
    h = 2 + (bp - rp) / delta;
  else
    h = 4 + (rp - gp) / delta;
  h = h * 60;
  if (h < 0) h = h + 360;
  *H = h;
}

// HSV to RGB bytes. H = 360 is the same as 0; a hue outside [0, 360) is reduced modulo
// 360 first. Bytes are truncated (S = 0, V = 0.5 gives 127).
inline void hsvToRgb(double H, double S, double V, uint8_t* r, uint8_t* g, uint8_t* b) {
  using namespace colour;
  if (S == 0) {
    *r = *g = *b = unitToByte(V);
    return;
  }
  if (!std::isfinite(H)) {  // no sector to take: black
    *r = *g = *b = 0;
    return;
  }
  if (!(H >= 0 && H < 360)) {
    H = std::fmod(H, 360.0);  // exact; keeps the sign of H
    if (H < 0) H = H + 360;
    if (H >= 360) H = 0;  // a tiny negative hue rounds up to a whole turn
  }
  const double h = H * kInv60;  // [0, 6): 359.99999999999994 * kInv60 is below 6
  const double fi = std::floor(h);
  const int i = int(fi);
  const double f = h - fi;
  const double p = (1 - S) * V;
  const double q = (1 - S * f) * V;
  const double t = (1 - S * (1 - f)) * V;
  double rv, gv, bv;
  switch (i) {
    case 0: rv = V, gv = t, bv = p; break;
    case 1: rv = q, gv = V, bv = p; break;
    case 2: rv = p, gv = V, bv = t; break;
    case 3: rv = p, gv = q, bv = V; break;
    case 4: rv = t, gv = p, bv = V; break;
    default: rv = V, gv = p, bv = q; break;
  }
  *r = unitToByte(rv);
  *g = unitToByte(gv);
  *b = unitToByte(bv);
}

// RGB bytes to HSL: H in degrees [0, 360], S and L in [0, 1]. A grey has H = 0, S = 0.
inline void rgbToHsl(int r, int g, int b, double* H, double* S, double* L) {
  using namespace colour;
  const double rp = r * kInv255, gp = g * kInv255, bp = b * kInv255;
  double max, min;
  largestAndSmallest(rp, gp, bp, &max, &min);
  const double l = (max + min) * 0.5;
  *L = l;
  const double delta = max - min;
  if (delta == 0) {
    *H = 0;
    *S = 0;
    return;
  }
  *S = l < 0.5 ? delta / (max + min) : delta / (2 - max - min);
  const double inv = 1 / delta;
  const double half = delta * 0.5;
  const double dR = ((max - rp) * kInv6 + half) * inv;
  const double dG = ((max - gp) * kInv6 + half) * inv;
  const double dB = ((max - bp) * kInv6 + half) * inv;
  double h;
  if (rp == max)
    h = dB - dG;
  else if (gp == max)
    h = kOneThird + dR - dB;
  else
    h = kTwoThirds + dG - dR;
  if (h < 0) h = h + 1;
  if (h > 1) h = h - 1;
  *H = h * 360;
}

// One RGB channel of an HSL colour from m1, m2 and the channel's hue in degrees, as the
// integer trunc(value * 255). The hue is corrected by one turn at most.
inline int hslChannel(double m1, double m2, double h) {
  using namespace colour;
  if (h > 360)
    h = h - 360;
  else if (h < 0)
    h = h + 360;
  double value;
  if (h < 60)
    value = m1 + (m2 - m1) * h * kInv60;
  else if (h < 180)
    value = m2;
  else if (h < 240)
    value = m1 + (m2 - m1) * (240 - h) * kInv60;
  else
    value = m1;
  return truncToInt(value * 255.0);
}

// HSL to RGB bytes; each byte is the low 8 bits of its channel's integer.
inline void hslToRgb(double H, double S, double L, uint8_t* r, uint8_t* g, uint8_t* b) {
  if (S == 0) {
    *r = *g = *b = colour::unitToByte(L);
    return;
  }
  const double m2 = L < 0.5 ? L * (1 + S) : L + S - L * S;
  const double m1 = 2 * L - m2;
  *r = uint8_t(hslChannel(m1, m2, H + 120));
  *g = uint8_t(hslChannel(m1, m2, H));
  *b = uint8_t(hslChannel(m1, m2, H - 120));
}

// sRGB bytes to CIE XYZ (D65, white Y = 100); negative results become 0.
inline void rgbToXyz(int r, int g, int b, double* X, double* Y, double* Z) {
  using namespace colour;
  linearToXyz(100 * srgbToLinear(r * kInv255), 100 * srgbToLinear(g * kInv255),
              100 * srgbToLinear(b * kInv255), X, Y, Z);
}

// CIE XYZ to sRGB bytes, each clamped to 0..255: out-of-gamut colours pin at the ends.
inline void xyzToRgb(double X, double Y, double Z, uint8_t* r, uint8_t* g, uint8_t* b) {
  using namespace colour;
  double R, G, B;
  xyzToLinear(X, Y, Z, &R, &G, &B);
  *r = linearToSrgbByte(R);
  *g = linearToSrgbByte(G);
  *b = linearToSrgbByte(B);
}

// CIE XYZ to L*a*b* relative to the D65 white.
inline void xyzToLab(double X, double Y, double Z, double* L, double* a, double* b) {
  using namespace colour;
  const double fx = labF(X * kInvWhiteX);
  const double fy = labF(Y * 0.01);
  const double fz = labF(Z * kInvWhiteZ);
  *L = 116 * fy - 16;
  *a = 500 * (fx - fy);
  *b = 200 * (fy - fz);
}

// L*a*b* to CIE XYZ; negative results become 0.
inline void labToXyz(double L, double a, double b, double* X, double* Y, double* Z) {
  using namespace colour;
  const double fy = (L + 16) * kInv116;
  const double fx = fy + a * 0.002;
  const double fz = fy - b * 0.005;
  const double x = kWhiteX * labFInverse(fx);
  const double y = kWhiteY * labFInverse(fy);
  const double z = kWhiteZ * labFInverse(fz);
  *X = x < 0 ? 0 : x;
  *Y = y < 0 ? 0 : y;
  *Z = z < 0 ? 0 : z;
}

// L*a*b* to sRGB bytes: labToXyz, then xyzToRgb (which clamps).
inline void labToRgb(double L, double a, double b, uint8_t* r, uint8_t* g, uint8_t* bl) {
  double X, Y, Z;
  labToXyz(L, a, b, &X, &Y, &Z);
  xyzToRgb(X, Y, Z, r, g, bl);
}

// CMY to CMYK: K is the smallest of 1, c, m, y; pure black (K = 1) has C = M = Y = 0.
inline void cmyToCmyk(double c, double m, double y, double* C, double* M, double* Y, double* K) {
  double k = 1;
  if (c < k) k = c;
  if (m < k) k = m;
  if (y < k) k = y;
  *K = k;
  if (k == 1) {
    *C = *M = *Y = 0;
    return;
  }
  *C = (c - k) / (1 - k);
  *M = (m - k) / (1 - k);
  *Y = (y - k) / (1 - k);
}

// CMYK to RGB bytes: trunc((1 - (C (1 - K) + K)) * 255) per channel.
inline void cmykToRgb(double C, double M, double Y, double K, uint8_t* r, uint8_t* g, uint8_t* b) {
  *r = colour::unitToByte(1 - (C * (1 - K) + K));
  *g = colour::unitToByte(1 - (M * (1 - K) + K));
  *b = colour::unitToByte(1 - (Y * (1 - K) + K));
}

// Row forms of the HSL and Lab conversions for whole-picture loops: count RGBA32 pixels
// (red, green, blue in bytes 0, 1, 2; byte 3 is neither read nor written) to and from
// three planes of doubles. Each gives bit for bit what the per-pixel routine above gives
// for every pixel and every input, NaN and infinities included, only faster: the HSL rows
// run four pixels at a time in AVX2 registers where the processor has them (two at a time
// in SSE2 registers otherwise), the Lab rows take the sRGB linearisation of a byte from a
// table and the sRGB byte of a linear value from the 255 linear values where the byte
// steps up, both tables filled once, on first use, by the per-pixel formulas themselves.
// No allocation; a count of 0 or less does nothing. Safe to call from several threads.
void rgbaRowToHsl(const uint8_t* rgba, int32_t count, double* H, double* S, double* L);
void hslToRgbaRow(const double* H, const double* S, const double* L, int32_t count, uint8_t* rgba);
void rgbaRowToLab(const uint8_t* rgba, int32_t count, double* L, double* a, double* b);
void labToRgbaRow(const double* L, const double* a, const double* b, int32_t count, uint8_t* rgba);

namespace colour {

// The tables behind the Lab rows, for their tests: linear[v] = 100 * srgbToLinear(v *
// kInv255); step[k] (k = 1..255) the smallest double c with linearToSrgbByte(c) >= k, so
// linearToSrgbByte(c) is the number of k with step[k] <= c (step[0] is -infinity).
struct SrgbTables {
  double linear[256];
  double step[256];
};
const SrgbTables& srgbTables();

}  // namespace colour

namespace testing {
// Makes the HSL rows take their baseline kernel (two lanes of SSE2 per operation) even
// where the processor has AVX2; false returns to the processor's choice.
void setColourRowsBaseline(bool baseline);
}  // namespace testing

}  // namespace rvl
