/*
 * ravelin: the painting engine.
 *
 * The engine owns one open picture, the page: up to 64 layer slots of RGBA64 pixels
 * (slot 0 the trace layer, slot 1 the background), a 16-bit selection mask, the undo
 * store's back buffer and the brush's working buffers. A host reaches it only through
 * the plain functions below.
 *
 * Conventions
 *  - Integers are 32-bit signed; truth values are tested and returned in the low byte.
 *  - Text is NUL-terminated 8-bit text; the engine copies what it keeps.
 *  - Pointers and window handles are native pointers.
 *  - A failing call writes a fixed text into the last error text (RVL_GetLastError)
 *    and returns its failure value; success never clears the text.
 *  - The engine is single-threaded: calls must not overlap.
 */
#ifndef RAVELIN_H
#define RAVELIN_H

#include <stdint.h>

#if defined(__GNUC__)
#define RVL_API __attribute__((visibility("default")))
#else
#define RVL_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* A window of the host (or of the engine): an opaque native handle. */
typedef void* RVL_Window;

/* ---- Frame: last error text --------------------------------------------------- */

/* Copies at most 511 characters of text into the last error text. */
RVL_API void RVL_SetLastError(const char* text);
/* The last error text (512 bytes owned by the engine, always terminated). */
RVL_API const char* RVL_GetLastError(void);

/* ---- Frame: system and display ------------------------------------------------ */

/* 1 once after the display or the system settings changed, else 0. */
RVL_API int32_t RVL_IsDisplayChanged(void);
/* Sends the window the set-redraw message (flag's low byte); returns the send result. */
RVL_API int32_t RVL_SetWindowRedraw(RVL_Window window, int32_t flag);
/* Asks for a redraw of the whole window and its children; returns the system result. */
RVL_API int32_t RVL_RedrawWindow(RVL_Window window);
/* Keeps the host's start directory (texts of 1024 characters or more are ignored). */
RVL_API void RVL_SetStartDir(const char* dir);
/* Seeds every random sequence the engine draws. */
RVL_API void RVL_SetRandomSeed(int32_t seed);

/* System colours (0x00BBGGRR) and metrics in pixels. */
RVL_API int32_t RVL_GetWindowBackgroundColor(void);
RVL_API int32_t RVL_GetWindowTextColor(void);
RVL_API int32_t RVL_GetWindowCaptionSize(void);
RVL_API int32_t RVL_GetWindowSmallCaptionSize(void);
RVL_API int32_t RVL_GetWindowFixedFrameSize(void);

/* Memory status in megabytes (truncated). */
RVL_API uint64_t RVL_GetTotalPhyMemory(void);
RVL_API uint64_t RVL_GetAvailPhyMemory(void);
RVL_API uint64_t RVL_GetTotalPgMemory(void);
RVL_API uint64_t RVL_GetAvailPgMemory(void);
RVL_API uint64_t RVL_GetTotalVirMemory(void);
RVL_API uint64_t RVL_GetAvailVirMemory(void);

/* 1 if desktop composition is on, else 0. */
RVL_API int32_t RVL_IsCompositionEnabled(void);

/* ---- Frame: utilities ----------------------------------------------------------- */

/* A block of size bytes from the engine's heap (content undefined), or null. */
RVL_API void* RVL_Alloc(int32_t size);
/* Frees a block from RVL_Alloc; null is ignored. */
RVL_API void RVL_Free(void* block);
/* Copies length bytes forward when both addresses are non-null (no overlap handling). */
RVL_API void RVL_Memcpy(void* destination, const void* source, int32_t length);
/* Returns its argument unchanged. */
RVL_API int32_t BankAdrs(int32_t value);
/* Renames or moves a file; never replaces an existing file. 1 on success, else 0. */
RVL_API int32_t RVL_RenameFile(const char* oldPath, const char* newPath);
/* The system directory (engine-owned text, valid until the next call). */
RVL_API const char* RVL_GetDirInfo(void);

/* ---- Page and layers ----------------------------------------------------------------- */

/* Creates the page. Width and height above 10000 or below 0 become 100; b is the side of
 * the square brush buffers (0 to 10000); the fifth argument is kept and not used. */
RVL_API void RVL_CreateImage(RVL_Window hostWindow, int32_t width, int32_t height,
                             int32_t brushBufferSize, int32_t reserved);
/* Gives the page a new size and new working buffers; the layers keep their pixels. */
RVL_API void RVL_NewSize(RVL_Window hostWindow, int32_t width, int32_t height,
                         int32_t brushBufferSize, int32_t reserved);
/* Releases every buffer of the page. */
RVL_API void RVL_DeleteImage(void);
/* Gives slot index (0 to 63) cleared pixels of the given size; 1 on success, else 0. */
RVL_API int32_t RVL_CreateLayer(int32_t index, int32_t width, int32_t height);
/* Releases the slot's pixels. */
RVL_API void RVL_DeleteLayer(int32_t index);
/* Makes a filled slot the current layer. */
RVL_API void RVL_SetLayer(int32_t index);
/* Sets a slot's options; opacity in percent (0 to 100), mode by its exact name. */
RVL_API void RVL_SetLayerOptions(int32_t index, int32_t visible, int32_t lockTransparency,
                                 int32_t opacityPercent, const char* modeName);
/* Exchanges two whole slots (pixels, size and options). */
RVL_API void RVL_SwapLayers(int32_t a, int32_t b);
/* The number of slots holding pixels, the trace layer included. */
RVL_API int32_t RVL_GetLayerCount(void);
/* The index of the current layer. */
RVL_API int32_t RVL_GetLayerNum(void);
/* ---- Undo ------------------------------------------------------------------------------
 * The back buffer holds the current layer and the mask as they were before the change in
 * progress; each saved step keeps one rectangle, within a number of levels and a memory
 * budget. */

/* Empties the undo store and sets its number of levels (0 to 500); returns the stored value. */
RVL_API int32_t RVL_SetUndoLevels(int32_t levels);
/* Records the changed rectangle of the current layer and / or the mask (flags in the low
 * byte); the back buffer then takes the new content. */
RVL_API void RVL_SaveUndoBuffer(int32_t saveLayer, int32_t saveMask);
/* Copies the layer and the mask whole into the back buffer. */
RVL_API void RVL_SaveUndoBackBuffer(int32_t layerIndex);
RVL_API void RVL_Undo(void);
RVL_API void RVL_Redo(void);
RVL_API int32_t RVL_CanUndo(void);
RVL_API int32_t RVL_CanRedo(void);
/* Steps undone so far (that can be redone). */
RVL_API int32_t RVL_GetRedoCount(void);
/* Saved steps held, undone ones included. */
RVL_API int32_t RVL_GetUndoCount(void);
RVL_API void RVL_ClearUndo(void);
/* Releases the oldest steps until at least that many kilobytes were released. */
RVL_API void RVL_ReduceUndo(int32_t kilobytes);
/* 0: the budget follows free memory; otherwise a fixed budget in megabytes. */
RVL_API void RVL_SetUndoMB(int32_t megabytes);
RVL_API void RVL_PauseUndo(void);
RVL_API void RVL_ResumeUndo(void);
/* The budget and the memory in use, in megabytes. */
RVL_API int32_t RVL_GetTotalUndoMemory(void);
RVL_API int32_t RVL_GetCurrentUndoMemory(void);

/* ---- Pixel exchange ------------------------------------------------------------------
 * Layers hold RGBA64; host buffers are RGBA32 (red, green, blue, alpha bytes), RGB24,
 * BGR24, RGBA64 or G16 (mask rows), each with its row pitch in bytes. 8 bits become
 * 16 as value * 256; 16 bits become 8 as the high byte. Operations on a whole layer walk
 * the page size; a layer of another size (not yet recreated after RVL_NewSize) is walked
 * only where it and the page overlap. An apply flag lets the mask and the paper texture
 * blend the picture over the layer. */

/* Writes an RGBA32 picture into slot index at (x, y), clipped to the slot. */
RVL_API void RVL_LoadRGBA32Layer(const uint8_t* source, int32_t pitch, int32_t index, int32_t x,
                                 int32_t y, int32_t width, int32_t height, int32_t apply);
/* RVL_LoadRGBA32Layer into the whole current layer. */
RVL_API void RVL_LoadRGBA32(const uint8_t* source, int32_t pitch, int32_t apply);
/* RVL_LoadRGBA32Layer with the apply flag set. */
RVL_API void RVL_LoadRGBA32Into(const uint8_t* source, int32_t pitch, int32_t index, int32_t x,
                                int32_t y, int32_t width, int32_t height);
/* Loads a whole layer from zlib data made by RVL_GetRGBA32LayerCompressed; data that does
 * not inflate to exactly the layer leaves it unchanged. */
RVL_API void RVL_LoadRGBA32LayerCompressed(const void* data, int32_t ignored, int32_t length,
                                           int32_t index);
/* Writes red, green and blue of the current layer (alpha kept). */
RVL_API void RVL_LoadRGB24(const uint8_t* source, int32_t pitch, int32_t apply);
/* Writes the current layer's alpha from the source's red bytes (transparent pixels kept). */
RVL_API void RVL_LoadRGB24ToAlpha(const uint8_t* source, int32_t pitch, int32_t apply);
/* Writes the current layer from BGR24, opaque. */
RVL_API void RVL_Load(const uint8_t* source, int32_t pitch, int32_t width, int32_t height);
/* Copies RGBA64 pixels into the slot unchanged; returns pageHeight, 0 for an empty slot. */
RVL_API int32_t RVL_SetRGBA64Layer(const uint16_t* source, int32_t pitch, int32_t index);
/* Raw layer data in and out (pageWidth * pageHeight * 8 bytes). */
RVL_API void RVL_SetLayerData(const void* source, int32_t index);
RVL_API void RVL_CopyLayerData(int32_t from, int32_t to);
RVL_API void RVL_GetLayerData(void* destination, int32_t index);

/* Reads a slot or the current layer out; returns pageHeight, 0 for an empty slot. */
RVL_API int32_t RVL_GetRGBA32Layer(uint8_t* destination, int32_t pitch, int32_t index);
RVL_API int32_t RVL_GetRGBA32(uint8_t* destination, int32_t pitch);
RVL_API int32_t RVL_GetRGB24Layer(uint8_t* destination, int32_t pitch, int32_t index);
RVL_API int32_t RVL_GetRGB24(uint8_t* destination, int32_t pitch);
/* A grey RGB24 picture of the current layer's alpha. */
RVL_API void RVL_GetRGB24FromAlpha(uint8_t* destination, int32_t pitch);
/* Copies a rectangle of the slot unchanged; only the part inside the slot is written. */
RVL_API void RVL_GetRGBA64LayerRect(uint16_t* destination, int32_t pitch, int32_t index, int32_t x,
                                    int32_t y, int32_t width, int32_t height);
RVL_API void RVL_GetRGBA64Layer(uint16_t* destination, int32_t pitch, int32_t index);
/* Reduces the rectangle at (x, y) of an RGBA64 buffer whose rows are sourceWidth pixels
 * into packed RGBA32 / RGB24. */
RVL_API void RVL_RGBA64RectToRGBA32(const uint16_t* source, int32_t x, int32_t y, int32_t width,
                                    int32_t height, int32_t sourceWidth, int32_t ignored,
                                    uint8_t* destination);
RVL_API void RVL_RGBA64RectToRGBA24(const uint16_t* source, int32_t x, int32_t y, int32_t width,
                                    int32_t height, int32_t sourceWidth, int32_t ignored,
                                    uint8_t* destination);
/* Reduces height rows of width RGBA64 pixels starting at source (x and y are not used). */
RVL_API void RVL_GetRGBA32FromRGBA64Rect(uint8_t* destination, int32_t destinationPitch,
                                         const uint16_t* source, int32_t sourcePitch, int32_t x,
                                         int32_t y, int32_t width, int32_t height);
RVL_API void RVL_GetRGBA32FromRGBA64(uint8_t* destination, int32_t destinationPitch, int32_t width,
                                     int32_t height, const uint16_t* source, int32_t sourcePitch);
RVL_API void RVL_GetRGB24FromRGBA64Rect(uint8_t* destination, int32_t destinationPitch,
                                        const uint16_t* source, int32_t sourcePitch, int32_t x,
                                        int32_t y, int32_t width, int32_t height);
RVL_API void RVL_GetRGB24FromRGBA64(uint8_t* destination, int32_t destinationPitch,
                                    const uint16_t* source, int32_t sourcePitch);
/* Deflates the slot as packed RGBA32 into output. capacity: the bytes output can hold;
 * level: zlib compression level 0 (none) to 9 (smallest), any other value the default.
 * Returns the compressed length, 0 for an empty slot or when the output is too small. */
RVL_API int32_t RVL_GetRGBA32LayerCompressed(void* output, int32_t ignored, int32_t capacity,
                                             int32_t index, int32_t level);
/* Bounding box of the pixels with non-zero alpha (left > right when there are none). */
RVL_API void RVL_FindDataExtentsLayer(int32_t index, int32_t* left, int32_t* top, int32_t* right,
                                      int32_t* bottom);

/* ---- Run-length lines ----------------------------------------------------------------
 * RGBA32 runs: 5-byte records (count 1 to 255, red, green, blue, alpha high bytes).
 * G8 runs: 2-byte records (count, value high byte). The line length is not stored. */
RVL_API int32_t RVL_RLECompressRGBA64ToRGBA32(const uint16_t* source, uint8_t* destination,
                                              int32_t count);
RVL_API void RVL_RLEUncompressRGBA32ToRGBA64(const uint8_t* runs, uint16_t* destination,
                                             int32_t count);
RVL_API int32_t RVL_RLECompressG16ToG8(const uint16_t* source, uint8_t* destination, int32_t count);
RVL_API void RVL_RLEUncompressG8ToG16(const uint8_t* runs, uint16_t* destination, int32_t count);
RVL_API int32_t RVL_GetRGBA32LayerLineRLE(uint8_t* destination, int32_t index, int32_t row);
RVL_API void RVL_PutRGBA32LayerLineRLE(const uint8_t* runs, int32_t index, int32_t row);
RVL_API int32_t RVL_GetMaskLineRLE(uint8_t* destination, int32_t row);
RVL_API void RVL_PutMaskLineRLE(const uint8_t* runs, int32_t row);

/* ---- Clears --------------------------------------------------------------------------- */

/* The current layer becomes one colour (8-bit values). */
RVL_API void RVL_Clear(int32_t red, int32_t green, int32_t blue, int32_t alpha);
/* Fill pageWidth * pageHeight pixels of a host buffer (16-bit / 8-bit values). */
RVL_API void RVL_ClearRGBA64(uint16_t* destination, int32_t pitch, int32_t red, int32_t green,
                             int32_t blue, int32_t alpha);
RVL_API void RVL_ClearRGBA32(uint8_t* destination, int32_t pitch, int32_t red, int32_t green,
                             int32_t blue, int32_t alpha);
/* Fills a packed width * height RGBA32 buffer. */
RVL_API void RVL_ClearRGBA32Buf(uint8_t* destination, int32_t width, int32_t height, int32_t red,
                                int32_t green, int32_t blue, int32_t alpha);
/* Clears the current layer through the mask / through mask, texture and lock. */
RVL_API void RVL_ClearMasked(int32_t red, int32_t green, int32_t blue, int32_t alpha);
RVL_API void RVL_ClearMaskedAlpha(int32_t red, int32_t green, int32_t blue, int32_t alpha);

/* ---- Brush and tool settings -----------------------------------------------------------
 * 8-bit colour arguments use their low byte and become value * 256 (white is 65280). */
RVL_API void RVL_SetColor(int32_t red, int32_t green, int32_t blue);
RVL_API void RVL_SetColor16(int32_t red, int32_t green, int32_t blue);
RVL_API void RVL_SetColorBanks(int32_t r0, int32_t g0, int32_t b0, int32_t r1, int32_t g1, int32_t b1,
                               int32_t r2, int32_t g2, int32_t b2, int32_t r3, int32_t g3, int32_t b3);
/* Blur of an image tip before scaling, 0 to 100. */
RVL_API void RVL_SetShapeBlur(int32_t blur);
/* Blend-buffer weights, 0 to 256. */
RVL_API void RVL_SetBlendStrength(int32_t strength);
RVL_API void RVL_SetBlendPrimaryColorStrength(int32_t strength);
RVL_API void RVL_SetBlendRemix(int32_t flag);
/* Density 1 to 256 (256 paints everywhere). */
RVL_API void RVL_SetDensity(int32_t density);
/* Dab opacity in percent. */
RVL_API void RVL_SetAlpha(int32_t percent);
RVL_API void RVL_SetColorVary(int32_t vary);
RVL_API void RVL_SetAlphaLocked(int32_t flag);
RVL_API void RVL_SetColorLocked(int32_t flag);
RVL_API void RVL_SetBlobLocked(int32_t flag);
RVL_API void RVL_SetAlphaLevel(int32_t level);
RVL_API void RVL_SetImageBrushMode(int32_t flag);
RVL_API void RVL_SetSolidBrushMode(int32_t flag);
/* mode 1 samples the tip through a rotation of degrees. */
RVL_API void RVL_SetRotateBrushMode(int32_t mode, int32_t degrees);
/* Paint kind and its amount (0 to 256). */
RVL_API void RVL_SetMixMode(int32_t kind, int32_t amount);
/* Tip side in pixels (at most 1000 and the page's brush buffer size). */
RVL_API void RVL_SetSize(int32_t size);
/* Dab side in page pixels: the tip sampled at the centres of n cells. */
RVL_API void RVL_SetScaleSize(int32_t n);
RVL_API void RVL_SetPixColorVary(int32_t vary);
RVL_API void RVL_SetPixLumVary(int32_t vary);
/* One-shot switches for the next dab. */
RVL_API void RVL_TempDisableBlend(void);
RVL_API void RVL_SetMaskMakerOn(void);
RVL_API void RVL_SetEraseModeOn(void);
RVL_API void RVL_DisplayMask(int32_t flag);
RVL_API void RVL_EnableMask(int32_t flag);
/* Counts one dab off the current grit pattern's length. */
RVL_API void RVL_DecDrawingLength(void);
RVL_API void RVL_DeleteTexture(void);
/* Writes the high bytes of 16-bit r, g, b at (x, y) of an RGB24 page-sized buffer. */
RVL_API void RVL_SetPixelRGB24(uint8_t* buffer, int32_t rowBytes, int32_t x, int32_t y, int32_t red,
                               int32_t green, int32_t blue);
/* Installs a tool: settings, grit patterns (random, or from a grain picture or effect
 * script named by gritSource) and the tip (tipSource, tipAngle). */
RVL_API void RVL_SetTool(float tipOpacity, int32_t gritSize, int32_t gritCellThreshold,
                         int32_t gritPixelThreshold, int32_t shapeSoftness, int32_t colourVary,
                         int32_t drawingLength, int32_t blendStrength, int32_t primaryColourStrength,
                         int32_t blendRemix, int32_t unused11, int32_t shapeInvert, int32_t unused13,
                         const char* gritSource, const char* tipSource, int32_t tipAngle);
/* Rebuilds the tip: an image tip from an effect script or picture file named by name
 * (rotated by angle degrees), else the round tip. The _ORIGINAL form reads picture files
 * only and never blurs. */
RVL_API void RVL_SetBrushShape(const char* name, int32_t angle);
RVL_API void RVL_SetBrushShape_ORIGINAL(const char* name, int32_t angle);

/* ---- Dabs ------------------------------------------------------------------------------
 * One stamp of the tip centred on page position (x, y) with a 16-bit colour, into the
 * paint layer when one exists, else the current layer; grows the changed rectangle the
 * undo store saves. The mask form paints the brush colour's grey into the mask. */
RVL_API void RVL_DrawDabGrit(int32_t x, int32_t y, int32_t red, int32_t green, int32_t blue);
RVL_API void RVL_DrawDabGritMask(int32_t x, int32_t y);

/* ---- Blend buffer ----------------------------------------------------------------------
 * The brush's load of picked-up paint, in the tip's geometry. Copy and mix take the canvas
 * under a brush at (x, y) (a source is a page-sized RGBA64 buffer); k is the weight of the
 * brush colour (copy) or of the canvas (mix), 0 to 256. Nothing happens while the blend
 * strength is 0, except clear, fill and filter. */
RVL_API void RVL_DoCopyBlendBuffer(int32_t x, int32_t y, const uint16_t* source, int32_t k, int32_t flag);
RVL_API void RVL_CopyBlendBufferSurface(int32_t x, int32_t y, int32_t k, int32_t flag);
RVL_API void RVL_CopyBlendBufferLayer(int32_t layer, int32_t x, int32_t y, int32_t k);
RVL_API void RVL_CopyBlendBufferUnderLayer(int32_t x, int32_t y, int32_t k);
RVL_API void RVL_CopyBlendBufferHistory(int32_t x, int32_t y, int32_t k);
RVL_API void RVL_CopyBlendBufferTrace(int32_t x, int32_t y, int32_t k);
/* Copies the mask's grey values (the mask-maker layout). */
RVL_API void RVL_DoCopyBlendBufferMask(int32_t x, int32_t y, int32_t k);
RVL_API void RVL_DoMixBlendBuffer(int32_t x, int32_t y, const uint16_t* source, int32_t k);
RVL_API void RVL_MixBlendBufferSurface(int32_t x, int32_t y, int32_t k);
RVL_API void RVL_MixBlendBufferLayer(int32_t layer, int32_t x, int32_t y, int32_t k);
RVL_API void RVL_MixBlendBufferUnderLayer(int32_t x, int32_t y, int32_t k);
RVL_API void RVL_MixBlendBufferHistory(int32_t x, int32_t y, int32_t k);
RVL_API void RVL_MixBlendBufferTrace(int32_t x, int32_t y, int32_t k);
/* Tints the load towards (r, g, b) (8-bit). */
RVL_API void RVL_DoColorBlendBuffer(int32_t x, int32_t y, int32_t red, int32_t green, int32_t blue,
                                    int32_t ignored, int32_t k);
RVL_API void RVL_ClearBlendBuffer(void);
/* Every byte of the first quarter of the buffer becomes the low byte of value. */
RVL_API void RVL_FillBlendBuffer(int32_t ignored1, int32_t ignored2, int32_t ignored3, int32_t value);
/* 289 grey, 290 invert, 291 channels below percent to 0, 292 channels above it to 65280. */
RVL_API void RVL_FilterBlendBuffer(int32_t kind, int32_t percent);

/* ---- Paint layer and alpha operations --------------------------------------------------
 * While the paint layer exists, dabs paint into it; at the end of a stroke it is merged
 * into a layer with its own mode and opacity. */
RVL_API void RVL_CreatePaintLayer(int32_t opacityPercent, const char* modeName);
RVL_API void RVL_ClearPaintLayer(void);
/* All opaque white, then the changed rectangle transparent black. */
RVL_API void RVL_ClearPaintLayer_old(void);
RVL_API void RVL_DeletePaintLayer(void);
/* Merges the paint layer's changed rectangle into slot index with the paint layer's mode
 * and opacity, then clears the paint layer. */
RVL_API void RVL_MergePaintLayer(int32_t index);
/* Softens the paint layer's alpha (alpha of 240 or more, as a byte, stays opaque). */
RVL_API void RVL_BlurPaintLayerAlpha(void);
RVL_API void RVL_InvertAlpha(int32_t index);
/* alpha = 255 - alpha over a page-sized RGBA32 buffer. */
RVL_API void RVL_InvertAlpha_RGBA32(uint8_t* buffer);
RVL_API void RVL_SetLayerAlpha(int32_t index, int32_t value);
/* Folds the slot's opacity into its alpha; the opacity becomes 256. */
RVL_API void RVL_NormalizeLayerAlpha(int32_t index);
/* Pixels of the current layer with alpha below 256 become (r, g, b) * 257, alpha 0. */
RVL_API void RVL_SetColorAlpha(int32_t red, int32_t green, int32_t blue);
/* Every pixel of a packed width * height RGBA32 buffer gets the colour bytes; alpha kept. */
RVL_API void RVL_SetColorRGBABuf(uint8_t* buffer, int32_t width, int32_t height, int32_t red,
                                 int32_t green, int32_t blue);
/* Colour key over a page-sized RGBA32 buffer: pixels of exactly (r, g, b) get alpha 0. */
RVL_API void RVL_SetAlphaFromRGBAImageColor(uint8_t* buffer, int32_t red, int32_t green, int32_t blue);
/* Turns the layer into a blob: an alpha relief from luminance (mode 1 keeps some colour). */
RVL_API void RVL_CreateBlobFromImage(int32_t index, int32_t mode);

/* ---- Pixel probes ----------------------------------------------------------------------
 * RGBA packing: red in bits 31-24, green, blue, alpha in bits 7-0. Colour packing: alpha
 * in bits 31-24, red, green, blue in bits 7-0. Each channel is the high byte. The RGBA
 * family clamps (x, y) into the picture; the colour family answers 0xFFFFFF outside it.
 * A buffer argument is a page-sized RGBA64 buffer. */
RVL_API int32_t RVL_GetRed64(int32_t x, int32_t y);
RVL_API int32_t RVL_GetGreen64(int32_t x, int32_t y);
RVL_API int32_t RVL_GetBlue64(int32_t x, int32_t y);
RVL_API int32_t RVL_GetAlpha64(int32_t x, int32_t y);
RVL_API int32_t RVL_GetRGBAAt(int32_t x, int32_t y, const uint16_t* buffer);
RVL_API int32_t RVL_GetRGBAAtSurface(int32_t x, int32_t y);
RVL_API int32_t RVL_GetRGBAAtUnderLayer(int32_t x, int32_t y);
RVL_API int32_t RVL_GetRGBAAtLayer(int32_t x, int32_t y, int32_t index);
RVL_API int32_t RVL_GetRGBAAtTrace(int32_t x, int32_t y);
RVL_API int32_t RVL_GetColorAt(int32_t x, int32_t y, const uint16_t* buffer);
RVL_API int32_t RVL_GetColorAtSurface(int32_t x, int32_t y);
RVL_API int32_t RVL_GetColorAtUnderLayer(int32_t x, int32_t y);
RVL_API int32_t RVL_GetColorAtLayer(int32_t x, int32_t y, int32_t index);
RVL_API int32_t RVL_GetColorAtTrace(int32_t x, int32_t y);
/* The back buffer's colour while an undo step is available, else 0. */
RVL_API int32_t RVL_GetColorAtHistory(int32_t x, int32_t y);
/* The colour of the flattened picture at (x, y). */
RVL_API int32_t RVL_GetColorAtMerged(int32_t x, int32_t y);
/* How much the point is masked out (65535 - mask value); 0 while the mask is disabled. */
RVL_API int32_t RVL_GetMask64(int32_t x, int32_t y);
/* The whole mask out of / into a buffer of pageWidth * pageHeight values; returns the bytes. */
RVL_API int32_t RVL_GetMaskData16(uint16_t* destination);
RVL_API int32_t RVL_SetMaskData16(const uint16_t* source);

/* ---- Compositing and view -------------------------------------------------------------
 * Layers merge by their merge mode (codes of RVL_SetLayerOptions), opacity and the Layer
 * Mask layer directly above them. Host buffers are packed RGBA64. Empty slots do nothing;
 * rectangles are clipped to the page and to the layers they touch. */

/* Merges the whole source layer into the destination layer. */
RVL_API void RVL_MergeLayer(int32_t sourceIndex, int32_t destinationIndex);
/* Merges rectangle (x, y, width, height) of the source layer into a buffer of width * height
 * pixels, the rectangle's corner at the buffer's first pixel. */
RVL_API void RVL_MergeLayerIntoRect(int32_t sourceIndex, uint16_t* destination, int32_t x,
                                    int32_t y, int32_t width, int32_t height);
/* RVL_MergeLayerIntoRect over the whole page. */
RVL_API void RVL_MergeLayerInto(int32_t sourceIndex, uint16_t* destination);
/* Flattens the visible layers (not the trace layer) into a buffer of width * height pixels:
 * transparent black, the background copied as it is, then layers 2 to 63 merged. */
RVL_API void RVL_MergeRect(uint16_t* destination, int32_t x, int32_t y, int32_t width,
                           int32_t height);
/* RVL_MergeRect over the whole page. */
RVL_API void RVL_Merge(uint16_t* destination);
/* The alpha most alpha modes give the pixels they keep: trunc(percent * 0.01 * 65535). */
RVL_API void RVL_SetAlphaLayerOpacity(int32_t percent);

/* Draws the page rectangle into a BGR24 bitmap (row j at output + j * pitch): the visible
 * layers with the paint layer above the current layer, the trace layer averaged in when
 * tracing, a grey checkerboard under transparency and the mask overlay. At most viewWidth
 * columns and viewHeight rows are written; nothing without a current layer. */
RVL_API void RVL_Render(uint8_t* output, int32_t pitch, int32_t x, int32_t y, int32_t width,
                        int32_t height);
/* whole = scale: one to one; whole > scale: each page pixel as a whole x whole block;
 * whole < scale: every scale-th page pixel. Settings that cannot be drawn (scale not a
 * finite number, magnification below 1, a step of 0 or less) draw one to one. */
RVL_API void RVL_SetScale(int32_t whole, float scale);
/* Kept for the host; the renderer does not use it. */
RVL_API void RVL_SetOffset(int32_t x, int32_t y);
/* The most output columns and rows one render writes. */
RVL_API void RVL_SetViewSize(int32_t width, int32_t height);
/* Non-zero (low byte): the view is averaged with the trace layer. */
RVL_API void RVL_SetTracingMode(int32_t flag);
/* Accepted and ignored: the engine draws no grid. */
RVL_API void RVL_SetGrid(int32_t value);
RVL_API void RVL_SetGridSpacing(int32_t value);

/* ---- Transfer image and picture files ----------------------------------------------
 * Pictures from outside arrive in the transfer image, the new RGBA: one engine-owned
 * RGBA32 picture (rows of width * 4 bytes, red first), replaced by every successful read.
 * Picture files are recognised by their content; written files are chosen by extension,
 * with its dot, compared ignoring case. Resolutions are in dots per inch. */

/* Last width and height of the new RGBA (kept after a delete). */
RVL_API int32_t RVL_GetNewRGBAWidth(void);
RVL_API int32_t RVL_GetNewRGBAHeight(void);
/* Frees the new RGBA's pixels; returns 0. */
RVL_API int32_t RVL_DeleteNewRGBA(void);
/* Copies the new RGBA out as RGBA32 / RGB24 rows; nothing when it holds no picture. */
RVL_API void RVL_GetNewRGBA32(uint8_t* destination);
RVL_API void RVL_GetNewRGBA24(uint8_t* destination);
/* Resamples the new RGBA to newWidth * newHeight and writes it as RGB24 rows. */
RVL_API void RVL_GetResizedNewRGBA24(uint8_t* destination, int32_t newWidth, int32_t newHeight);
/* 1 when any pixel of the new RGBA has alpha below 255, else 0. */
RVL_API int32_t RVL_IsNewRGBA32Transparent(void);
/* Loads the new RGBA into the current layer at (0, 0) through mask and texture. */
RVL_API void RVL_SetInNewRGBA(void);
/* Reads a picture file into the new RGBA (metafiles rendered at the page size on the brush
 * colour); 1 on success, else 0 with the new RGBA unchanged. */
RVL_API int32_t RVL_ReadFromFile(const char* path);
/* Reads a picture file into the caller's RGB24 / RGBA32 rows when it is exactly width *
 * height pixels; 1 on success, else 0 with the buffer untouched. */
RVL_API int32_t RVL_ReadFromFileRGB24(uint8_t* destination, int32_t width, int32_t height,
                                      const char* path);
RVL_API int32_t RVL_ReadFromFileRGBA32(uint8_t* destination, int32_t width, int32_t height,
                                       const char* path);
/* The file's resolution snapped to 72, 96, 150, 200, 300, 450 or 600; 72 when unknown. */
RVL_API int32_t RVL_GetDPIFromFile(const char* path);
/* Writes packed RGB24 (".bmp", ".png", ".jpg", ".gif", ".pcx", ".psd", ".emf", ".wmf") or
 * RGBA32 (".png", ".tga", ".tif") pixels; non-zero on success, 0 for any other extension. */
RVL_API int32_t RVL_WriteToFileRGB24(const uint8_t* pixels, int32_t width, int32_t height,
                                     const char* path, const char* extension,
                                     int32_t dotsPerInch);
RVL_API int32_t RVL_WriteToFileRGBA32(const uint8_t* pixels, int32_t width, int32_t height,
                                      const char* path, const char* extension,
                                      int32_t dotsPerInch);
/* A 24-bit BMP whose longer side is size pixels, transparent pixels white; returns 0. */
RVL_API int32_t RVL_MakeThumbnail(const char* sourcePath, const char* destinationPath,
                                  int32_t size);
/* A JPEG (quality 75) fitted into largestWidth * largestHeight, never enlarged; returns 0. */
RVL_API int32_t RVL_MakeWebPic(const char* sourcePath, const char* destinationPath,
                               int32_t largestWidth, int32_t largestHeight);
/* Pixels of a packed width * height RGBA32 buffer whose alpha is 0 get the colour bytes. */
RVL_API void RVL_SetColorAlphaRGBABuf(uint8_t* buffer, int32_t width, int32_t height,
                                      int32_t red, int32_t green, int32_t blue);
/* Saves the merged visible layers row by row as RGB24 (".bmp", ".png", ".jpg") or RGBA32
 * (".png", ".tga", ".tif"); always 0 (the host checks the file). */
RVL_API int32_t RVL_SavePageToFileRGB24(const char* path, const char* extension,
                                        int32_t dotsPerInch);
RVL_API int32_t RVL_SavePageToFileRGB32(const char* path, const char* extension,
                                        int32_t dotsPerInch);

#ifdef __cplusplus
}
#endif

#endif /* RAVELIN_H */
