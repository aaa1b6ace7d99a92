// A hostile host: random sequences of exports with random arguments on a small page.
//
// The input is a byte stream. Each step takes an operation byte, which picks one row of the
// table below (one row per export), and the row reads its arguments from the next bytes:
// small values most of the time, the extremes a careless or hostile host passes now and
// then (INT_MIN, -1, 0, 256, 65536, 2^28, 2^30, INT_MAX, ...). Pages stay small (sides of
// at most 64, brush buffers of at most 64, or the 100 a bad side becomes).
//
// Every host buffer is allocated for the one call with exactly the size the export's
// description asks for (a page-sized picture at its pitch, width x height rows, the runs
// of one line, ...), so that any read or write beyond it is an error AddressSanitizer
// sees. The engine's own state is read only to size those buffers as a host would (page,
// current layer and view sizes it set itself).
//
// Nothing is written to files: the file-writing exports are left out; picture and script
// readers are given the repository's own data files, a missing file or a folder.
// RVL_FUZZ_TRACE=1 in the environment prints every call, to turn a finding into a test.
#include <algorithm>
#include <bit>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "brush/brush.h"
#include "frame/frame.h"
#include "page/page.h"
#include "ravelin.h"

namespace {

bool tracing = false;

// ---- The byte stream -------------------------------------------------------------------

constexpr int32_t kExtremes[] = {INT_MIN,   INT_MIN + 1, -65536, -257,   -256,    -26,     -25,
                                 -2,        -1,          0,      1,      2,       99,      100,
                                 101,       127,         128,    254,    255,     256,     257,
                                 999,       1000,        1001,   1025,   1026,    32767,   32768,
                                 65279,     65280,       65535,  65536,  1 << 24, 1 << 28, 1 << 30,
                                 INT_MAX - 1, INT_MAX};

class Input {
 public:
  Input(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  bool done() const { return at_ >= size_; }
  uint8_t byte() { return at_ < size_ ? data_[at_++] : 0; }
  int32_t raw32() {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= uint32_t(byte()) << (8 * i);
    return int32_t(v);
  }
  // Any value: mostly small, sometimes an extreme, sometimes four raw bytes.
  int32_t value() {
    const uint8_t b = byte();
    if (b < 160) return int32_t(b) - 32;  // -32 .. 127
    if (b < 160 + std::size(kExtremes)) return kExtremes[b - 160];
    if (b < 250) return int32_t(b - 160) * 97 - 2000;
    return raw32();
  }
  // A page position: mostly around the page, sometimes anything.
  int32_t coord() {
    const uint8_t b = byte();
    return b < 224 ? int32_t(b % 96) - 16 : value();
  }
  // A slot index: mostly 0 to 9, sometimes 63, 64 or anything.
  int32_t index() {
    const uint8_t b = byte();
    if (b < 200) return b % 10;
    if (b < 220) return 63;
    if (b < 230) return 64;
    return value();
  }
  // A side a host picks for its own buffer: 0 to 70.
  int32_t side() { return byte() % 71; }
  // A 16-bit channel or an 8-bit one as the host passes them.
  int32_t channel() {
    const uint8_t b = byte();
    return b < 200 ? int32_t(b) * 331 : value();
  }
  bool chance(int inEight) { return (byte() & 7) < inEight; }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t at_ = 0;
};

// ---- Host buffers ----------------------------------------------------------------------

// A block of exactly size bytes for one call, filled with a pattern from the stream.
class HostBuffer {
 public:
  HostBuffer(size_t size, Input& in) : size_(size), p_(static_cast<uint8_t*>(std::malloc(size))) {
    const uint8_t seed = in.byte(), step = uint8_t(in.byte() | 1);
    if (p_)
      for (size_t i = 0; i < size; ++i) p_[i] = uint8_t(seed + i * step);
  }
  HostBuffer(const HostBuffer&) = delete;
  HostBuffer& operator=(const HostBuffer&) = delete;
  ~HostBuffer() { std::free(p_); }
  uint8_t* bytes() { return p_; }
  uint16_t* words() { return reinterpret_cast<uint16_t*>(p_); }
  size_t size() const { return size_; }

 private:
  size_t size_;
  uint8_t* p_;
};

int32_t pageW() { return std::max(rvl::page.pageWidth, 0); }
int32_t pageH() { return std::max(rvl::page.pageHeight, 0); }

// Bytes of rows of rowBytes at a pitch: the last row need not be padded.
size_t pitched(int64_t rows, int64_t pitch, int64_t rowBytes) {
  if (rows <= 0 || rowBytes <= 0) return 0;
  return size_t((rows - 1) * pitch + rowBytes);
}

// A pitch for rows of rowBytes: the packed pitch, a padded one, now and then one shorter
// than a row (rows overlap) or 0. unit keeps 16-bit buffers aligned.
int32_t pitchFor(Input& in, int32_t rowBytes, int32_t unit) {
  const uint8_t b = in.byte();
  if (b < 150) return rowBytes;
  if (b < 240) return rowBytes + unit * (b % 5);
  if (b < 248) return std::max(rowBytes - unit, 0);
  return 0;
}

// A page-sized picture of bpp bytes per pixel at a pitch the stream picks.
struct PagePicture {
  int32_t pitch;
  HostBuffer buffer;
  PagePicture(Input& in, int32_t bpp, int32_t unit)
      : pitch(pitchFor(in, pageW() * bpp, unit)), buffer(pitched(pageH(), pitch, int64_t(pageW()) * bpp), in) {}
};

// A packed page-sized buffer.
size_t pageBytes(int32_t bpp) { return size_t(pageW()) * size_t(pageH()) * size_t(bpp); }

// Run records of recordBytes covering exactly count values: counts 0 to 255 (a few empty
// records), the last run possibly passing the end of the line.
std::vector<uint8_t> runsFor(Input& in, int64_t count, int recordBytes) {
  std::vector<uint8_t> runs;
  int64_t covered = 0;
  int empty = 0;
  while (covered < count) {
    uint8_t n = in.byte();
    if (in.done() && n == 0) n = 255;
    if (n == 0 && ++empty > 3) n = 1;
    runs.push_back(n);
    for (int i = 1; i < recordBytes; ++i) runs.push_back(in.byte());
    covered += n;
  }
  return runs;
}

// The same runs in a block of exactly their size.
struct HostRuns {
  std::vector<uint8_t> runs;
  HostBuffer buffer;
  HostRuns(Input& in, int64_t count, int recordBytes) : runs(runsFor(in, count, recordBytes)), buffer(runs.size(), in) {
    if (buffer.bytes() && !runs.empty()) std::memcpy(buffer.bytes(), runs.data(), runs.size());
  }
};

// ---- Names -----------------------------------------------------------------------------

std::string root() {
  std::string file = __FILE__;  // <root>/fuzz/export_sequence_fuzz.cpp
  for (int i = 0; i < 2; ++i) file.erase(file.find_last_of('/'));
  return file;
}

const char* modeName(Input& in) {
  static const char* const kNames[] = {"Normal",     "Multiply",      "Screen",  "Texturize3",
                                       "Layer Mask", "Alpha Smooth Lum5", "Luminance Alpha Invert",
                                       "Add",        "normal",        "",
                                       "Overlay ",   "A mode name far longer than the forty-nine characters kept",
                                       nullptr};
  return kNames[in.byte() % std::size(kNames)];
}

// Names of grit and tip sources: none, too short, missing, a folder, real scripts and
// pictures of the repository.
const char* sourceName(Input& in) {
  static const std::vector<std::string> kSources = {
      "", "x", "/no/such/picture.png", root() + "/data", root() + "/data/fxscripts/tip_soft.fxs",
      root() + "/data/fxscripts/grit_noise.fxs", root() + "/data/fxscripts/checker_tile.fxs",
      root() + "/fuzz/seeds/picture_read_fuzz/seed.png", root() + "/fuzz/seeds/picture_read_fuzz/seed8.bmp"};
  const uint8_t b = in.byte();
  if (b < 128) return "";  // most tools have neither
  return kSources[b % kSources.size()].c_str();
}

const char* pictureName(Input& in) {
  static const std::vector<std::string> kPictures = {
      "/no/such/picture.png", root() + "/data", root() + "/data/fxscripts/tip_soft.fxs",
      root() + "/fuzz/seeds/picture_read_fuzz/seed.png", root() + "/fuzz/seeds/picture_read_fuzz/seed8.bmp",
      root() + "/fuzz/seeds/picture_read_fuzz/seed.gif", root() + "/fuzz/seeds/picture_read_fuzz/seed.tga",
      root() + "/fuzz/seeds/picture_read_fuzz/seed.emf"};
  return kPictures[in.byte() % kPictures.size()].c_str();
}

// ---- The exports -----------------------------------------------------------------------

struct Op {
  const char* name;
  void (*run)(Input&);
};

// Page creation keeps sides small; negative or too-large sides become 100 in the engine.
int32_t pageSide(Input& in) {
  const uint8_t b = in.byte();
  if (b < 240) return b % 65;
  static const int32_t kBad[] = {-1, -5, INT_MIN, 10001, INT_MAX, 0};
  return kBad[b % std::size(kBad)];
}
// Brush buffers: small, or negative (a side above 10000 is held to 10000, twenty grit
// buffers of 100 MB: a real but slow page, left out).
int32_t brushSide(Input& in) {
  const uint8_t b = in.byte();
  if (b < 240) return b % 65;
  static const int32_t kBad[] = {-1, -25, -26, INT_MIN};
  return kBad[b % std::size(kBad)];
}
// Layer sizes: small, or a bad pair whose pixel count is 0 or negative (never a real
// picture of gigabytes).
void layerSize(Input& in, int32_t& w, int32_t& h) {
  const uint8_t b = in.byte();
  w = in.side();
  h = in.side();
  if (b < 224) return;
  static const int32_t kBad[] = {-1, INT_MIN, 1 << 30, INT_MAX, -64};
  const int32_t bad = kBad[b % std::size(kBad)];
  if (b & 1) w = bad, h = bad < 0 ? h : 0;
  else h = bad, w = bad < 0 ? w : 0;
}

#define OP(name, ...) {name, [](Input& in) { (void)in; __VA_ARGS__; }}

const Op kOps[] = {
    // Page and layers.
    OP("CreateImage", RVL_CreateImage(nullptr, pageSide(in), pageSide(in), brushSide(in), in.value())),
    OP("NewSize", RVL_NewSize(nullptr, pageSide(in), pageSide(in), brushSide(in), in.value())),
    OP("DeleteImage", RVL_DeleteImage()),
    OP("CreateLayer", {
      const int32_t index = in.index();
      int32_t w, h;
      if (in.chance(6)) w = pageW(), h = pageH();
      else layerSize(in, w, h);
      RVL_CreateLayer(index, w, h);
    }),
    OP("DeleteLayer", RVL_DeleteLayer(in.index())),
    OP("SetLayer", RVL_SetLayer(in.index())),
    OP("SetLayerOptions",
       { const int32_t i = in.index(), v = in.value(), l = in.value(), p = in.value();
         RVL_SetLayerOptions(i, v, l, p, modeName(in)); }),
    OP("SwapLayers", { const int32_t a = in.index(); RVL_SwapLayers(a, in.index()); }),
    OP("GetLayerCount", RVL_GetLayerCount()),
    OP("GetLayerNum", RVL_GetLayerNum()),
    OP("SetRandomSeed", RVL_SetRandomSeed(in.value())),

    // Undo.
    OP("SetUndoLevels", RVL_SetUndoLevels(in.value())),
    OP("SaveUndoBuffer", { const int32_t a = in.value(); RVL_SaveUndoBuffer(a, in.value()); }),
    OP("SaveUndoBackBuffer", RVL_SaveUndoBackBuffer(in.index())),
    OP("Undo", RVL_Undo()),
    OP("Redo", RVL_Redo()),
    OP("CanUndo", RVL_CanUndo()),
    OP("CanRedo", RVL_CanRedo()),
    OP("GetRedoCount", RVL_GetRedoCount()),
    OP("GetUndoCount", RVL_GetUndoCount()),
    OP("ClearUndo", RVL_ClearUndo()),
    OP("ReduceUndo", RVL_ReduceUndo(in.value())),
    OP("SetUndoMB", { const int32_t mb = in.value(); RVL_SetUndoMB(mb == 0 && !in.chance(1) ? 1 : mb); }),
    OP("PauseUndo", RVL_PauseUndo()),
    OP("ResumeUndo", RVL_ResumeUndo()),
    OP("GetTotalUndoMemory", RVL_GetTotalUndoMemory()),
    OP("GetCurrentUndoMemory", RVL_GetCurrentUndoMemory()),

    // Pixels in.
    OP("LoadRGBA32Layer", {
      const int32_t w = in.side(), h = in.side(), pitch = pitchFor(in, w * 4, 1);
      HostBuffer source(pitched(h, pitch, w * 4), in);
      const int32_t index = in.index(), x = in.coord(), y = in.coord();
      RVL_LoadRGBA32Layer(source.bytes(), pitch, index, x, y, w, h, in.value());
    }),
    OP("LoadRGBA32Into", {
      const int32_t w = in.side(), h = in.side(), pitch = pitchFor(in, w * 4, 1);
      HostBuffer source(pitched(h, pitch, w * 4), in);
      const int32_t index = in.index(), x = in.coord(), y = in.coord();
      RVL_LoadRGBA32Into(source.bytes(), pitch, index, x, y, w, h);
    }),
    OP("LoadRGBA32", {
      // The current slot's own size.
      const rvl::LayerSlot* slot = rvl::page.currentLayer;
      const int32_t w = slot && slot->pixels ? std::max(slot->width, 0) : 0;
      const int32_t h = slot && slot->pixels ? std::max(slot->height, 0) : 0;
      const int32_t pitch = pitchFor(in, w * 4, 1);
      HostBuffer source(pitched(h, pitch, w * 4), in);
      RVL_LoadRGBA32(source.bytes(), pitch, in.value());
    }),
    OP("LoadRGBA32LayerCompressed", {
      const int32_t length = in.byte() % 200;
      HostBuffer data(size_t(length), in);
      for (int32_t i = 0; i < length; ++i) data.bytes()[i] = in.byte();
      RVL_LoadRGBA32LayerCompressed(data.bytes(), in.value(), length, in.index());
    }),
    OP("CompressedRoundTrip", {
      // A layer deflated into an output of the capacity the host chose, then loaded back.
      const int32_t from = in.index(), to = in.index(), level = in.value();
      const int32_t capacity = in.chance(6) ? int32_t(pageBytes(4) + 64) : in.value();
      HostBuffer output(size_t(std::clamp(capacity, 0, 1 << 20)), in);
      const int32_t length = RVL_GetRGBA32LayerCompressed(output.bytes(), in.value(), std::min(capacity, 1 << 20), from, level);
      if (length < 0 || size_t(length) > output.size()) __builtin_trap();
      HostBuffer data(size_t(length), in);
      if (length > 0) std::memcpy(data.bytes(), output.bytes(), size_t(length));
      RVL_LoadRGBA32LayerCompressed(data.bytes(), 0, length, to);
    }),
    OP("LoadRGB24", { PagePicture p(in, 3, 1); RVL_LoadRGB24(p.buffer.bytes(), p.pitch, in.value()); }),
    OP("LoadRGB24ToAlpha", { PagePicture p(in, 3, 1); RVL_LoadRGB24ToAlpha(p.buffer.bytes(), p.pitch, in.value()); }),
    OP("Load", {
      const int32_t w = in.side(), h = in.side(), pitch = pitchFor(in, w * 3, 1);
      HostBuffer source(pitched(h, pitch, w * 3), in);
      RVL_Load(source.bytes(), pitch, w, h);
    }),
    OP("SetRGBA64Layer", { PagePicture p(in, 8, 2); RVL_SetRGBA64Layer(p.buffer.words(), p.pitch, in.index()); }),
    OP("SetLayerData", { HostBuffer b(pageBytes(8), in); RVL_SetLayerData(b.bytes(), in.index()); }),
    OP("CopyLayerData", { const int32_t a = in.index(); RVL_CopyLayerData(a, in.index()); }),

    // Pixels out.
    OP("GetLayerData", { HostBuffer b(pageBytes(8), in); RVL_GetLayerData(b.bytes(), in.index()); }),
    OP("GetRGBA32Layer", { PagePicture p(in, 4, 1); RVL_GetRGBA32Layer(p.buffer.bytes(), p.pitch, in.index()); }),
    OP("GetRGBA32", { PagePicture p(in, 4, 1); RVL_GetRGBA32(p.buffer.bytes(), p.pitch); }),
    OP("GetRGB24Layer", { PagePicture p(in, 3, 1); RVL_GetRGB24Layer(p.buffer.bytes(), p.pitch, in.index()); }),
    OP("GetRGB24", { PagePicture p(in, 3, 1); RVL_GetRGB24(p.buffer.bytes(), p.pitch); }),
    OP("GetRGB24FromAlpha", { PagePicture p(in, 3, 1); RVL_GetRGB24FromAlpha(p.buffer.bytes(), p.pitch); }),
    OP("GetRGBA64LayerRect", {
      const int32_t w = in.side(), h = in.side(), pitch = pitchFor(in, w * 8, 2);
      HostBuffer out(pitched(h, pitch, w * 8), in);
      const int32_t index = in.index(), x = in.coord(), y = in.coord();
      RVL_GetRGBA64LayerRect(out.words(), pitch, index, x, y, w, h);
    }),
    OP("GetRGBA64Layer", { PagePicture p(in, 8, 2); RVL_GetRGBA64Layer(p.buffer.words(), p.pitch, in.index()); }),
    OP("RGBA64RectToRGBA32/24", {
      // A host picture of sw x sh pixels and a rectangle inside it.
      const int32_t sw = 1 + in.side(), sh = 1 + in.side();
      const int32_t x = in.byte() % sw, y = in.byte() % sh;
      const int32_t w = in.byte() % (sw - x + 1), h = in.byte() % (sh - y + 1);
      HostBuffer source(size_t(sw) * sh * 8, in);
      const bool packed32 = in.chance(4);
      HostBuffer out(size_t(w) * h * (packed32 ? 4 : 3), in);
      if (packed32) RVL_RGBA64RectToRGBA32(source.words(), x, y, w, h, sw, in.value(), out.bytes());
      else RVL_RGBA64RectToRGBA24(source.words(), x, y, w, h, sw, in.value(), out.bytes());
    }),
    OP("GetRGBA32FromRGBA64Rect", {
      const int32_t w = in.side(), h = in.side();
      const int32_t sp = pitchFor(in, w * 8, 2), dp = pitchFor(in, w * 4, 1);
      HostBuffer source(pitched(h, sp, w * 8), in), out(pitched(h, dp, w * 4), in);
      const int32_t x = in.value(), y = in.value();
      RVL_GetRGBA32FromRGBA64Rect(out.bytes(), dp, source.words(), sp, x, y, w, h);
    }),
    OP("GetRGBA32FromRGBA64", {
      const int32_t w = in.side(), h = in.side();
      const int32_t sp = pitchFor(in, w * 8, 2), dp = pitchFor(in, w * 4, 1);
      HostBuffer source(pitched(h, sp, w * 8), in), out(pitched(h, dp, w * 4), in);
      RVL_GetRGBA32FromRGBA64(out.bytes(), dp, w, h, source.words(), sp);
    }),
    OP("GetRGB24FromRGBA64Rect", {
      const int32_t w = in.side(), h = in.side();
      const int32_t sp = pitchFor(in, w * 8, 2), dp = pitchFor(in, w * 3, 1);
      HostBuffer source(pitched(h, sp, w * 8), in), out(pitched(h, dp, w * 3), in);
      const int32_t x = in.value(), y = in.value();
      RVL_GetRGB24FromRGBA64Rect(out.bytes(), dp, source.words(), sp, x, y, w, h);
    }),
    OP("GetRGB24FromRGBA64", {
      PagePicture source(in, 8, 2), out(in, 3, 1);
      RVL_GetRGB24FromRGBA64(out.buffer.bytes(), out.pitch, source.buffer.words(), source.pitch);
    }),
    OP("FindDataExtentsLayer", {
      int32_t l = 0, t = 0, r = 0, b = 0;
      RVL_FindDataExtentsLayer(in.index(), &l, &t, &r, &b);
    }),

    // Run-length lines.
    OP("RLECompressRGBA64ToRGBA32", {
      const int32_t count = in.chance(7) ? in.side() : in.value();
      const int64_t pixels = std::clamp<int64_t>(count, 1, 1 << 16);
      HostBuffer source(size_t(pixels) * 8, in), out(size_t(pixels) * 5, in);
      const int32_t bytes = RVL_RLECompressRGBA64ToRGBA32(source.words(), out.bytes(), int32_t(std::min<int64_t>(count, pixels)));
      if (bytes < 0 || size_t(bytes) > out.size()) __builtin_trap();
    }),
    OP("RLEUncompressRGBA32ToRGBA64", {
      const int32_t count = in.side();
      HostRuns runs(in, count, 5);
      HostBuffer out(size_t(count) * 8, in);
      RVL_RLEUncompressRGBA32ToRGBA64(runs.buffer.bytes(), out.words(), count);
    }),
    OP("RLECompressG16ToG8", {
      const int32_t count = in.chance(7) ? in.side() : in.value();
      const int64_t values = std::clamp<int64_t>(count, 1, 1 << 16);
      HostBuffer source(size_t(values) * 2, in), out(size_t(values) * 2, in);
      const int32_t bytes = RVL_RLECompressG16ToG8(source.words(), out.bytes(), int32_t(std::min<int64_t>(count, values)));
      if (bytes < 0 || size_t(bytes) > out.size()) __builtin_trap();
    }),
    OP("RLEUncompressG8ToG16", {
      const int32_t count = in.side();
      HostRuns runs(in, count, 2);
      HostBuffer out(size_t(count) * 2, in);
      RVL_RLEUncompressG8ToG16(runs.buffer.bytes(), out.words(), count);
    }),
    OP("GetRGBA32LayerLineRLE", {
      HostBuffer out(size_t(std::max(pageW(), 1)) * 5, in);
      const int32_t index = in.index();
      const int32_t bytes = RVL_GetRGBA32LayerLineRLE(out.bytes(), index, in.coord());
      if (bytes < 0 || size_t(bytes) > out.size()) __builtin_trap();
    }),
    OP("PutRGBA32LayerLineRLE", {
      HostRuns runs(in, pageW(), 5);
      const int32_t index = in.index();
      RVL_PutRGBA32LayerLineRLE(runs.buffer.bytes(), index, in.coord());
    }),
    OP("GetMaskLineRLE", {
      HostBuffer out(size_t(std::max(pageW(), 1)) * 2, in);
      const int32_t bytes = RVL_GetMaskLineRLE(out.bytes(), in.coord());
      if (bytes < 0 || size_t(bytes) > out.size()) __builtin_trap();
    }),
    OP("PutMaskLineRLE", { HostRuns runs(in, pageW(), 2); RVL_PutMaskLineRLE(runs.buffer.bytes(), in.coord()); }),

    // Clears.
    OP("Clear", { const int32_t r = in.value(), g = in.value(), b = in.value(); RVL_Clear(r, g, b, in.value()); }),
    OP("ClearRGBA64", {
      PagePicture p(in, 8, 2);
      const int32_t r = in.channel(), g = in.channel(), b = in.channel();
      RVL_ClearRGBA64(p.buffer.words(), p.pitch, r, g, b, in.channel());
    }),
    OP("ClearRGBA32", {
      PagePicture p(in, 4, 1);
      const int32_t r = in.value(), g = in.value(), b = in.value();
      RVL_ClearRGBA32(p.buffer.bytes(), p.pitch, r, g, b, in.value());
    }),
    OP("ClearRGBA32Buf", {
      int32_t w, h;
      layerSize(in, w, h);
      HostBuffer out(w > 0 && h > 0 ? size_t(w) * size_t(h) * 4 : 0, in);
      const int32_t r = in.value(), g = in.value(), b = in.value();
      RVL_ClearRGBA32Buf(out.bytes(), w, h, r, g, b, in.value());
    }),
    OP("ClearMasked", { const int32_t r = in.value(), g = in.value(), b = in.value(); RVL_ClearMasked(r, g, b, in.value()); }),
    OP("ClearMaskedAlpha",
       { const int32_t r = in.value(), g = in.value(), b = in.value(); RVL_ClearMaskedAlpha(r, g, b, in.value()); }),

    // Probes.
    OP("GetChannel64", {
      const int32_t x = in.coord(), y = in.coord();
      switch (in.byte() % 4) {
        case 0: RVL_GetRed64(x, y); break;
        case 1: RVL_GetGreen64(x, y); break;
        case 2: RVL_GetBlue64(x, y); break;
        default: RVL_GetAlpha64(x, y); break;
      }
    }),
    OP("GetRGBAAt/ColorAt buffer", {
      HostBuffer b(pageBytes(8), in);
      const int32_t x = in.coord(), y = in.coord();
      if (in.chance(4)) RVL_GetRGBAAt(x, y, b.words());
      else RVL_GetColorAt(x, y, b.words());
    }),
    OP("GetRGBAAt variants", {
      const int32_t x = in.coord(), y = in.coord();
      switch (in.byte() % 4) {
        case 0: RVL_GetRGBAAtSurface(x, y); break;
        case 1: RVL_GetRGBAAtUnderLayer(x, y); break;
        case 2: RVL_GetRGBAAtLayer(x, y, in.index()); break;
        default: RVL_GetRGBAAtTrace(x, y); break;
      }
    }),
    OP("GetColorAt variants", {
      const int32_t x = in.coord(), y = in.coord();
      switch (in.byte() % 7) {
        case 0: RVL_GetColorAtSurface(x, y); break;
        case 1: RVL_GetColorAtUnderLayer(x, y); break;
        case 2: RVL_GetColorAtLayer(x, y, in.index()); break;
        case 3: RVL_GetColorAtTrace(x, y); break;
        case 4: RVL_GetColorAtHistory(x, y); break;
        case 5: RVL_GetColorAtMerged(x, y); break;
        default: RVL_GetMask64(x, y); break;
      }
    }),
    OP("GetMaskData16", { HostBuffer b(pageBytes(2), in); RVL_GetMaskData16(b.words()); }),
    OP("SetMaskData16", { HostBuffer b(pageBytes(2), in); RVL_SetMaskData16(b.words()); }),

    // Brush settings.
    OP("SetColor", { const int32_t r = in.value(), g = in.value(); RVL_SetColor(r, g, in.value()); }),
    OP("SetColor16", { const int32_t r = in.channel(), g = in.channel(); RVL_SetColor16(r, g, in.channel()); }),
    OP("SetColorBanks", {
      int32_t v[12];
      for (int32_t& c : v) c = in.value();
      RVL_SetColorBanks(v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8], v[9], v[10], v[11]);
    }),
    OP("SetShapeBlur", RVL_SetShapeBlur(in.value())),
    OP("SetBlendStrength", RVL_SetBlendStrength(in.value())),
    OP("SetBlendPrimaryColorStrength", RVL_SetBlendPrimaryColorStrength(in.value())),
    OP("SetBlendRemix", RVL_SetBlendRemix(in.value())),
    OP("SetDensity", RVL_SetDensity(in.value())),
    OP("SetAlpha", RVL_SetAlpha(in.value())),
    OP("SetColorVary", RVL_SetColorVary(in.value())),
    OP("SetAlphaLocked", RVL_SetAlphaLocked(in.value())),
    OP("SetColorLocked", RVL_SetColorLocked(in.value())),
    OP("SetBlobLocked", RVL_SetBlobLocked(in.value())),
    OP("SetAlphaLevel", RVL_SetAlphaLevel(in.value())),
    OP("SetImageBrushMode", RVL_SetImageBrushMode(in.value())),
    OP("SetSolidBrushMode", RVL_SetSolidBrushMode(in.value())),
    OP("SetRotateBrushMode", { const int32_t mode = in.chance(6) ? 1 : in.value(); RVL_SetRotateBrushMode(mode, in.value()); }),
    OP("SetMixMode", {
      static const int32_t kKinds[] = {32, 33, 34, 40, 48, 49, 249, 252, 255, 262, 289, 295, 340, 387, 388, 0, -1};
      const uint8_t b = in.byte();
      const int32_t kind = b < 200 ? kKinds[b % std::size(kKinds)] : in.value();
      RVL_SetMixMode(kind, in.value());
    }),
    OP("SetSize", RVL_SetSize(in.value())),
    OP("SetScaleSize", RVL_SetScaleSize(in.value())),
    OP("SetPixColorVary", RVL_SetPixColorVary(in.value())),
    OP("SetPixLumVary", RVL_SetPixLumVary(in.value())),
    OP("TempDisableBlend", RVL_TempDisableBlend()),
    OP("SetMaskMakerOn", RVL_SetMaskMakerOn()),
    OP("SetEraseModeOn", RVL_SetEraseModeOn()),
    OP("DisplayMask", RVL_DisplayMask(in.value())),
    OP("EnableMask", RVL_EnableMask(in.value())),
    OP("DecDrawingLength", RVL_DecDrawingLength()),
    OP("DeleteTexture", RVL_DeleteTexture()),
    OP("SetPixelRGB24", {
      PagePicture p(in, 3, 1);
      const int32_t x = in.coord(), y = in.coord(), r = in.channel(), g = in.channel();
      RVL_SetPixelRGB24(p.buffer.bytes(), p.pitch, x, y, r, g, in.channel());
    }),
    OP("SetTool", {
      const float opacity = in.chance(6) ? float(in.byte()) / 200.0f : std::bit_cast<float>(in.value());
      int32_t v[13];
      for (int32_t& a : v) a = in.value();
      if (in.chance(6)) v[0] = in.byte() % 8;  // a grit size a host would use
      const char* grit = sourceName(in);
      const char* tip = sourceName(in);
      RVL_SetTool(opacity, v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8], v[9], v[10], v[11], grit, tip, v[12]);
    }),
    OP("SetBrushShape", {
      const char* name = sourceName(in);
      const int32_t angle = in.value();
      if (in.chance(4)) RVL_SetBrushShape(name, angle);
      else RVL_SetBrushShape_ORIGINAL(name, angle);
    }),

    // Dabs.
    OP("DrawDabGrit", {
      const int32_t x = in.coord(), y = in.coord(), r = in.channel(), g = in.channel();
      RVL_DrawDabGrit(x, y, r, g, in.channel());
    }),
    OP("DrawDabGritMask", { const int32_t x = in.coord(); RVL_DrawDabGritMask(x, in.coord()); }),

    // Blend buffer.
    OP("DoCopyBlendBuffer", {
      HostBuffer source(pageBytes(8), in);
      const int32_t x = in.coord(), y = in.coord(), k = in.value();
      RVL_DoCopyBlendBuffer(x, y, source.words(), k, in.value());
    }),
    OP("CopyBlendBuffer variants", {
      const int32_t x = in.coord(), y = in.coord(), k = in.value();
      switch (in.byte() % 6) {
        case 0: RVL_CopyBlendBufferSurface(x, y, k, in.value()); break;
        case 1: RVL_CopyBlendBufferLayer(in.index(), x, y, k); break;
        case 2: RVL_CopyBlendBufferUnderLayer(x, y, k); break;
        case 3: RVL_CopyBlendBufferHistory(x, y, k); break;
        case 4: RVL_CopyBlendBufferTrace(x, y, k); break;
        default: RVL_DoCopyBlendBufferMask(x, y, k); break;
      }
    }),
    OP("DoMixBlendBuffer", {
      HostBuffer source(pageBytes(8), in);
      const int32_t x = in.coord(), y = in.coord();
      RVL_DoMixBlendBuffer(x, y, source.words(), in.value());
    }),
    OP("MixBlendBuffer variants", {
      const int32_t x = in.coord(), y = in.coord(), k = in.value();
      switch (in.byte() % 5) {
        case 0: RVL_MixBlendBufferSurface(x, y, k); break;
        case 1: RVL_MixBlendBufferLayer(in.index(), x, y, k); break;
        case 2: RVL_MixBlendBufferUnderLayer(x, y, k); break;
        case 3: RVL_MixBlendBufferHistory(x, y, k); break;
        default: RVL_MixBlendBufferTrace(x, y, k); break;
      }
    }),
    OP("DoColorBlendBuffer", {
      const int32_t x = in.coord(), y = in.coord(), r = in.value(), g = in.value(), b = in.value(), i = in.value();
      RVL_DoColorBlendBuffer(x, y, r, g, b, i, in.value());
    }),
    OP("ClearBlendBuffer", RVL_ClearBlendBuffer()),
    OP("FillBlendBuffer", RVL_FillBlendBuffer(0, 0, 0, in.value())),
    OP("FilterBlendBuffer", {
      static const int32_t kKinds[] = {289, 290, 291, 292, 0};
      const int32_t kind = kKinds[in.byte() % std::size(kKinds)];
      RVL_FilterBlendBuffer(kind, in.value());
    }),

    // Paint layer and alpha operations.
    OP("CreatePaintLayer", { const int32_t percent = in.value(); RVL_CreatePaintLayer(percent, modeName(in)); }),
    OP("ClearPaintLayer", RVL_ClearPaintLayer()),
    OP("ClearPaintLayer_old", RVL_ClearPaintLayer_old()),
    OP("DeletePaintLayer", RVL_DeletePaintLayer()),
    OP("MergePaintLayer", RVL_MergePaintLayer(in.index())),
    OP("BlurPaintLayerAlpha", RVL_BlurPaintLayerAlpha()),
    OP("InvertAlpha", RVL_InvertAlpha(in.index())),
    OP("InvertAlpha_RGBA32", { HostBuffer b(pageBytes(4), in); RVL_InvertAlpha_RGBA32(b.bytes()); }),
    OP("SetLayerAlpha", { const int32_t i = in.index(); RVL_SetLayerAlpha(i, in.value()); }),
    OP("NormalizeLayerAlpha", RVL_NormalizeLayerAlpha(in.index())),
    OP("SetColorAlpha", { const int32_t r = in.value(), g = in.value(); RVL_SetColorAlpha(r, g, in.value()); }),
    OP("SetColorRGBABuf/SetColorAlphaRGBABuf", {
      int32_t w, h;
      layerSize(in, w, h);
      HostBuffer b(w > 0 && h > 0 ? size_t(w) * size_t(h) * 4 : 0, in);
      const int32_t r = in.value(), g = in.value(), bl = in.value();
      if (in.chance(4)) RVL_SetColorRGBABuf(b.bytes(), w, h, r, g, bl);
      else RVL_SetColorAlphaRGBABuf(b.bytes(), w, h, r, g, bl);
    }),
    OP("SetAlphaFromRGBAImageColor", {
      HostBuffer b(pageBytes(4), in);
      const int32_t r = in.value(), g = in.value();
      RVL_SetAlphaFromRGBAImageColor(b.bytes(), r, g, in.value());
    }),
    OP("CreateBlobFromImage", { const int32_t i = in.index(); RVL_CreateBlobFromImage(i, in.value()); }),

    // Merging and the view.
    OP("MergeLayer", { const int32_t a = in.index(); RVL_MergeLayer(a, in.index()); }),
    OP("MergeLayerIntoRect", {
      const int32_t w = in.side(), h = in.side();
      HostBuffer out(size_t(w) * h * 8, in);
      const int32_t index = in.index(), x = in.coord(), y = in.coord();
      RVL_MergeLayerIntoRect(index, out.words(), x, y, w, h);
    }),
    OP("MergeLayerInto", { HostBuffer out(pageBytes(8), in); RVL_MergeLayerInto(in.index(), out.words()); }),
    OP("MergeRect", {
      const int32_t w = in.side(), h = in.side();
      HostBuffer out(size_t(w) * h * 8, in);
      const int32_t x = in.coord(), y = in.coord();
      RVL_MergeRect(out.words(), x, y, w, h);
    }),
    OP("Merge", { HostBuffer out(pageBytes(8), in); RVL_Merge(out.words()); }),
    OP("SetAlphaLayerOpacity", RVL_SetAlphaLayerOpacity(in.value())),
    OP("SetScale", {
      const int32_t whole = in.chance(6) ? in.byte() % 6 : in.value();
      static const float kScales[] = {1.0f, 2.0f, 0.5f, 1.5f, 3.0f, 0.25f, 0.0f, -1.0f, 1e30f, 1e-30f};
      const uint8_t b = in.byte();
      const float scale = b < 200 ? kScales[b % std::size(kScales)] : std::bit_cast<float>(in.value());
      RVL_SetScale(whole, scale);
    }),
    OP("SetOffset", { const int32_t x = in.value(); RVL_SetOffset(x, in.value()); }),
    OP("SetViewSize", {
      const uint8_t b = in.byte();
      const int32_t w = b < 240 ? in.byte() % 201 : -int32_t(in.byte()) - 1;
      const int32_t h = b < 240 ? in.byte() % 201 : INT_MIN;
      RVL_SetViewSize(w, h);
    }),
    OP("SetTracingMode", RVL_SetTracingMode(in.value())),
    OP("SetGrid", { RVL_SetGrid(in.value()); RVL_SetGridSpacing(in.value()); }),
    OP("Render", {
      // The host's view bitmap: viewWidth x viewHeight pixels of BGR24 at its pitch.
      const int32_t vw = std::max(rvl::page.viewWidth, 0), vh = std::max(rvl::page.viewHeight, 0);
      const int32_t pitch = pitchFor(in, vw * 3, 1);
      HostBuffer out(pitched(vh, pitch, int64_t(vw) * 3), in);
      const int32_t x = in.coord(), y = in.coord();
      const int32_t w = in.chance(6) ? in.side() : in.value(), h = in.chance(6) ? in.side() : in.value();
      RVL_Render(out.bytes(), pitch, x, y, w, h);
    }),

    // The transfer image, read from the repository's pictures.
    OP("ReadFromFile", RVL_ReadFromFile(pictureName(in))),
    OP("NewRGBA out", {
      const int32_t w = std::max(RVL_GetNewRGBAWidth(), 0), h = std::max(RVL_GetNewRGBAHeight(), 0);
      switch (in.byte() % 5) {
        case 0: { HostBuffer b(size_t(w) * h * 4, in); RVL_GetNewRGBA32(b.bytes()); break; }
        case 1: { HostBuffer b(size_t(w) * h * 3, in); RVL_GetNewRGBA24(b.bytes()); break; }
        case 2: {
          const int32_t nw = in.side(), nh = in.side();
          HostBuffer b(size_t(nw) * nh * 3, in);
          RVL_GetResizedNewRGBA24(b.bytes(), nw, nh);
          break;
        }
        case 3: RVL_IsNewRGBA32Transparent(); break;
        default: RVL_SetInNewRGBA(); break;
      }
    }),
    OP("DeleteNewRGBA", RVL_DeleteNewRGBA()),
};

#undef OP

// Brush settings are held to their ranges whatever the host passed.
void checkSettings() {
  const rvl::BrushState& b = rvl::brush;
  const auto inside = [](int64_t v, int64_t lo, int64_t hi) { return v >= lo && v <= hi; };
  bool ok = inside(b.alphaPercent, 0, 100) && inside(b.alphaScale, 0, 128) && inside(b.densityThreshold, -1, 255) &&
            inside(b.mixShift, -15, 16) && b.tipOpacity >= 0.0f && b.tipOpacity <= 1.0f &&
            inside(b.gritSize, 0, 1025) && b.drawingLength >= 0 && b.drawingLengthLeft >= 0 &&
            inside(b.alphaLevel, 0, 65535) && inside(b.shapeBlur, 0, 100) && b.colourVary >= 0 &&
            b.pixColourVary >= 0 && b.pixLumVary >= 0;
  for (int32_t w : {b.blendStrength, b.blendStrengthInverse, b.primaryColourStrength, b.primaryColourStrengthInverse,
                    b.mixAmount, b.mixAmountInverse, b.gritCellThreshold, b.gritPixelThreshold})
    ok = ok && inside(w, 0, 256);
  if (!ok) __builtin_trap();
}

// The two page-creation random arrays (a million bytes each, decided by the seed alone) are
// kept from one input to the next, as they survive a page in a running host: building
// them anew for every input would take most of the time.
rvl::RandArray kept255, kept254;

void keepRandomArrays() {
  kept255 = std::move(rvl::page.randArray255);
  kept254 = std::move(rvl::page.randArray254);
}

void restoreRandomArrays() {
  rvl::page.randArray255 = std::move(kept255);
  rvl::page.randArray254 = std::move(kept254);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  tracing = std::getenv("RVL_FUZZ_TRACE") != nullptr;
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 4096) return 0;
  rvl::resetEngine();
  restoreRandomArrays();
  Input in(data, size);
  // Most sequences start from a page with a background and a current layer, as a host's do.
  if (in.byte() < 200) {
    const int32_t w = 1 + in.byte() % 64, h = 1 + in.byte() % 64, b = 1 + in.byte() % 64;
    RVL_CreateImage(nullptr, w, h, b, 0);
    RVL_CreateLayer(0, w, h);
    RVL_CreateLayer(1, w, h);
    RVL_CreateLayer(2, w, h);
    RVL_SetLayerOptions(1, 1, 0, 100, "Normal");
    RVL_SetLayerOptions(2, 1, 0, 100, "Normal");
    RVL_SetLayer(2);
    RVL_SetSize(b);
    RVL_SetTool(1.0f, 0, 0, 0, 0, 0, 10, 0, 0, 0, 0, 0, 0, "", "", 0);
    if (tracing) std::fprintf(stderr, "page %d x %d, brush buffers %d\n", w, h, b);
  }
  for (int steps = 0; !in.done() && steps < 200; ++steps) {
    const Op& op = kOps[in.byte() % std::size(kOps)];
    if (tracing) std::fprintf(stderr, "%s\n", op.name);
    op.run(in);
    checkSettings();
  }
  keepRandomArrays();
  rvl::resetEngine();
  return 0;
}
