/*
 * ravelin-demo: a small host that paints a picture with the engine, from built-in
 * defaults, using nothing but the public header and the shared library.
 *
 *   ravelin-demo [--width W] [--height H] [--out DIR]
 *
 * Writes DIR/ravelin-demo.png (the merged page) and DIR/ravelin-demo-view.png (a corner of
 * the page rendered through the view at zoom 4, with the checkerboard and the mask overlay).
 */
#include <math.h>
#include <ravelin.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <time.h>

static double now(void) {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return (double)t.tv_sec + (double)t.tv_nsec * 1e-9;
}

static double started, stepStarted;
static int pageWidth = 1600, pageHeight = 1000;

static void step(const char* what) {
  const double t = now();
  printf("%-46s %8.1f ms\n", what, (t - stepStarted) * 1000.0);
  fflush(stdout);
  stepStarted = t;
}

static void fail(const char* what) {
  const char* text = RVL_GetLastError();
  fprintf(stderr, "ravelin-demo: %s failed%s%s\n", what, text && *text ? ": " : "", text ? text : "");
  exit(1);
}

/* A point on the cubic curve through four control points, t in 0..1, in page units of
 * the 1600 x 1000 design scaled to the page. */
typedef struct {
  double x[4], y[4];
} Curve;

static void curveAt(const Curve* c, double t, int* x, int* y) {
  const double u = 1.0 - t;
  const double b0 = u * u * u, b1 = 3 * u * u * t, b2 = 3 * u * t * t, b3 = t * t * t;
  *x = (int)((b0 * c->x[0] + b1 * c->x[1] + b2 * c->x[2] + b3 * c->x[3]) * pageWidth / 1600.0);
  *y = (int)((b0 * c->y[0] + b1 * c->y[1] + b2 * c->y[2] + b3 * c->y[3]) * pageHeight / 1000.0);
}

static int scaled(int size) {
  const int s = size * pageWidth / 1600;
  return s < 3 ? 3 : s;
}

enum { kGrit = 1, kErase = 2, kSmudge = 4 };

/* Feeds the dabs of one stroke, spaced about a quarter of the tip apart, and records it. */
static void stroke(int layer, const Curve* curve, int red, int green, int blue, int size, int flags) {
  RVL_SetLayer(layer);
  const int dabs = 40 + 4 * (int)(1600.0 / (size > 8 ? size : 8));
  for (int i = 0; i <= dabs; ++i) {
    int x, y;
    curveAt(curve, (double)i / dabs, &x, &y);
    if (flags & kErase) RVL_SetEraseModeOn();
    if (flags & kSmudge) {
      if (i == 0)
        RVL_CopyBlendBufferSurface(x, y, 0, 0);
      else
        RVL_MixBlendBufferSurface(x, y, 40);
    }
    RVL_DrawDabGrit(x, y, red, green, blue);
    if (flags & kGrit) RVL_DecDrawingLength();
  }
  RVL_SaveUndoBuffer(1, 0);
}

/* A tool with no grit and no blend buffer: a round tip of the given softness. */
static void roundTool(int size, int softness, int colourVary) {
  RVL_SetSize(size);
  RVL_SetTool(1.0f, 0, 0, 0, softness, colourVary, 20, 0, 0, 0, 0, 0, 0, "", "", 0);
  RVL_SetAlpha(100);
  RVL_SetDensity(256);
  RVL_SetMixMode(32, 256);
}

/* Writes a picture of a five-pointed star (white on transparent) to use as a tip. */
static int writeStarTip(const char* path) {
  enum { S = 128 };
  static unsigned char pixels[S * S * 4];
  for (int y = 0; y < S; ++y)
    for (int x = 0; x < S; ++x) {
      const double dx = x - S / 2 + 0.5, dy = y - S / 2 + 0.5;
      const double r = sqrt(dx * dx + dy * dy) / (S / 2);
      const double a = atan2(dy, dx);
      const double edge = 0.55 + 0.4 * cos(5 * a);
      const double v = r < edge ? 1.0 : (r < edge + 0.08 ? (edge + 0.08 - r) / 0.08 : 0.0);
      unsigned char* p = pixels + (y * S + x) * 4;
      p[0] = p[1] = p[2] = (unsigned char)(255 * v);
      p[3] = 255;
    }
  return RVL_WriteToFileRGBA32(pixels, S, S, path, ".png", 96);
}

static void usage(void) {
  fprintf(stderr, "usage: ravelin-demo [--width W] [--height H] [--out DIR]\n");
  exit(2);
}

int main(int argc, char** argv) {
  const char* out = ".";
  for (int i = 1; i < argc; ++i) {
    if (i + 1 < argc && strcmp(argv[i], "--width") == 0)
      pageWidth = atoi(argv[++i]);
    else if (i + 1 < argc && strcmp(argv[i], "--height") == 0)
      pageHeight = atoi(argv[++i]);
    else if (i + 1 < argc && strcmp(argv[i], "--out") == 0)
      out = argv[++i];
    else
      usage();
  }
  if (pageWidth < 64 || pageHeight < 64 || pageWidth > 10000 || pageHeight > 10000) {
    fprintf(stderr, "ravelin-demo: the page must be 64 to 10000 pixels on each side\n");
    return 2;
  }
  mkdir(out, 0777); /* the folder may exist already; writing below tells */
  char pagePath[4096], viewPath[4096], tipPath[4096];
  snprintf(pagePath, sizeof pagePath, "%s/ravelin-demo.png", out);
  snprintf(viewPath, sizeof viewPath, "%s/ravelin-demo-view.png", out);
  snprintf(tipPath, sizeof tipPath, "%s/ravelin-demo-tip.png", out);

  started = stepStarted = now();
  printf("ravelin-demo: painting a %d x %d page\n", pageWidth, pageHeight);

  /* The page: trace layer, opaque background and four layers of different modes. */
  RVL_SetRandomSeed(2026);
  RVL_CreateImage(NULL, pageWidth, pageHeight, 256, 0);
  const struct {
    int index, visible, percent;
    const char* mode;
  } layers[] = {{0, 0, 100, "Normal"}, {1, 1, 100, "Normal"}, {2, 1, 100, "Normal"},
                {3, 1, 85, "Multiply"}, {4, 1, 70, "Screen"}, {5, 1, 90, "Normal"}};
  for (size_t i = 0; i < sizeof layers / sizeof layers[0]; ++i) {
    if (!RVL_CreateLayer(layers[i].index, pageWidth, pageHeight)) fail("creating a layer");
    RVL_SetLayerOptions(layers[i].index, layers[i].visible, 0, layers[i].percent, layers[i].mode);
  }
  RVL_SetLayer(2);
  RVL_SetUndoLevels(40);
  RVL_SetUndoMB(512);
  if (RVL_GetLayerCount() != 6) fail("setting up the layer table");
  step("page and 6 layers");

  const Curve hill = {{80, 500, 1000, 1520}, {760, 420, 980, 640}};
  const Curve sky = {{60, 520, 1080, 1560}, {180, 60, 360, 120}};
  const Curve wave = {{100, 500, 900, 1500}, {560, 820, 300, 600}};
  const Curve loop = {{300, 1300, 1300, 300}, {300, 120, 880, 700}};
  const Curve sweep = {{200, 600, 1000, 1400}, {900, 640, 900, 520}};
  const Curve dash = {{700, 900, 1100, 1350}, {450, 380, 520, 430}};

  roundTool(scaled(150), 255, 30);
  stroke(2, &sky, 0x5A00, 0x8C00, 0xD200, scaled(150), 0);
  step("soft brush with colour variation");

  roundTool(scaled(26), 0, 0);
  stroke(2, &hill, 0x1E00, 0x3200, 0x6E00, scaled(26), 0);
  step("hard round brush");

  RVL_SetSize(scaled(80));
  RVL_SetTool(1.0f, 3, 170, 190, 120, 10, 12, 0, 0, 0, 0, 0, 0, "", "", 0);
  RVL_SetDensity(150);
  stroke(3, &wave, 0x3C00, 0x9600, 0x4600, scaled(80), kGrit);
  step("grit brush on a multiply layer");

  roundTool(scaled(60), 200, 0);
  RVL_SetMixMode(34, 220);
  stroke(4, &sweep, 0xF000, 0xB400, 0x2800, scaled(60), 0);
  step("screen paint kind on a screen layer");

  RVL_SetSize(scaled(48));
  RVL_SetTool(1.0f, 0, 0, 0, 160, 0, 20, 200, 20, 1, 0, 0, 0, "", "", 0);
  stroke(2, &loop, 0xC800, 0x3200, 0x3200, scaled(48), kSmudge);
  step("smudge through the blend buffer");

  roundTool(scaled(34), 120, 0);
  stroke(2, &dash, 0, 0, 0, scaled(34), kErase);
  step("eraser");

  roundTool(scaled(90), 255, 0);
  RVL_CreatePaintLayer(45, "Normal");
  stroke(5, &loop, 0x2800, 0x2800, 0x3C00, scaled(90), 0);
  RVL_MergePaintLayer(5);
  RVL_DeletePaintLayer();
  RVL_SaveUndoBuffer(1, 0);
  step("stroke through the paint layer at 45%");

  if (!writeStarTip(tipPath)) fail("writing the star tip");
  RVL_SetSize(scaled(56));
  RVL_SetTool(1.0f, 0, 0, 0, 0, 0, 20, 0, 0, 0, 0, 0, 0, "", tipPath, 20);
  RVL_SetAlpha(100);
  RVL_SetDensity(256);
  RVL_SetMixMode(32, 256);
  const Curve stars = {{150, 600, 1000, 1450}, {930, 860, 960, 880}};
  RVL_SetLayer(5);
  for (int i = 0; i <= 14; ++i) {
    int x, y;
    curveAt(&stars, i / 14.0, &x, &y);
    RVL_DrawDabGrit(x, y, 0xFF00, 0xD000, 0x4000);
  }
  RVL_SaveUndoBuffer(1, 0);
  step("image tip from a picture file");

  const int steps = RVL_GetUndoCount();
  RVL_Undo();
  if (!RVL_CanRedo()) fail("undoing the last stroke");
  RVL_Redo();
  if (RVL_GetRedoCount() != 0 || RVL_GetUndoCount() != steps) fail("redoing the last stroke");
  step("undo and redo of the last stroke");

  /* The page export reports through the last error text and the file it leaves. */
  RVL_SetLastError("");
  RVL_SavePageToFileRGB24(pagePath, ".png", 96);
  if (*RVL_GetLastError() || !RVL_ReadFromFile(pagePath) || RVL_GetNewRGBAWidth() != pageWidth ||
      RVL_GetNewRGBAHeight() != pageHeight)
    fail("writing the page");
  RVL_DeleteNewRGBA();
  step("merged page written as PNG");

  /* A corner of the page through the view at zoom 4: the background hidden so the
   * checkerboard shows under transparent parts, and part of the page deselected so the
   * mask overlay shows. */
  const int cornerW = pageWidth / 8, cornerH = pageHeight / 8;
  const int viewW = cornerW * 4, viewH = cornerH * 4;
  unsigned short* mask = malloc((size_t)pageWidth * pageHeight * 2);
  unsigned char* view = malloc((size_t)viewW * viewH * 3);
  if (!mask || !view) fail("allocating the view");
  RVL_GetMaskData16(mask);
  for (int y = 0; y < pageHeight; ++y)
    for (int x = 0; x < pageWidth; ++x)
      if (x < cornerW / 2) mask[(size_t)y * pageWidth + x] = 0;
  RVL_SetMaskData16(mask);
  RVL_DisplayMask(1);
  RVL_SetLayerOptions(1, 0, 0, 100, "Normal");
  RVL_SetScale(4, 1.0f);
  RVL_SetViewSize(viewW, viewH);
  RVL_Render(view, viewW * 3, 0, 0, cornerW, cornerH);
  for (size_t i = 0; i < (size_t)viewW * viewH; ++i) {
    const unsigned char b = view[i * 3];
    view[i * 3] = view[i * 3 + 2];
    view[i * 3 + 2] = b;
  }
  if (!RVL_WriteToFileRGB24(view, viewW, viewH, viewPath, ".png", 96)) fail("writing the view");
  RVL_SetLayerOptions(1, 1, 0, 100, "Normal");
  free(mask);
  free(view);
  step("view of a corner at zoom 4 written as PNG");

  RVL_DeleteImage();
  printf("%-46s %8.1f ms\n", "total", (now() - started) * 1000.0);
  printf("wrote %s and %s\n", pagePath, viewPath);
  return 0;
}
