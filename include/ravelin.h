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

/* Every function here returns normally: failures are reported, never thrown. */
#ifdef __cplusplus
#define RVL_NOEXCEPT noexcept
#else
#define RVL_NOEXCEPT
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* A window of the host (or of the engine): an opaque native handle. */
typedef void* RVL_Window;

/* ---- Frame: last error text --------------------------------------------------- */

/* Copies at most 511 characters of text into the last error text. */
RVL_API void RVL_SetLastError(const char* text) RVL_NOEXCEPT;
/* The last error text (512 bytes owned by the engine, always terminated). */
RVL_API const char* RVL_GetLastError(void) RVL_NOEXCEPT;

/* ---- Frame: system and display ------------------------------------------------ */

/* 1 once after the display or the system settings changed, else 0. */
RVL_API int32_t RVL_IsDisplayChanged(void) RVL_NOEXCEPT;
/* Sends the window the set-redraw message (flag's low byte); returns the send result. */
RVL_API int32_t RVL_SetWindowRedraw(RVL_Window window, int32_t flag) RVL_NOEXCEPT;
/* Asks for a redraw of the whole window and its children; returns the system result. */
RVL_API int32_t RVL_RedrawWindow(RVL_Window window) RVL_NOEXCEPT;
/* Keeps the host's start directory (texts of 1024 characters or more are ignored). */
RVL_API void RVL_SetStartDir(const char* dir) RVL_NOEXCEPT;
/* Seeds every random sequence the engine draws. */
RVL_API void RVL_SetRandomSeed(int32_t seed) RVL_NOEXCEPT;

/* System colours (0x00BBGGRR) and metrics in pixels. */
RVL_API int32_t RVL_GetWindowBackgroundColor(void) RVL_NOEXCEPT;
RVL_API int32_t RVL_GetWindowTextColor(void) RVL_NOEXCEPT;
RVL_API int32_t RVL_GetWindowCaptionSize(void) RVL_NOEXCEPT;
RVL_API int32_t RVL_GetWindowSmallCaptionSize(void) RVL_NOEXCEPT;
RVL_API int32_t RVL_GetWindowFixedFrameSize(void) RVL_NOEXCEPT;

/* Memory status in megabytes (truncated). */
RVL_API uint64_t RVL_GetTotalPhyMemory(void) RVL_NOEXCEPT;
RVL_API uint64_t RVL_GetAvailPhyMemory(void) RVL_NOEXCEPT;
RVL_API uint64_t RVL_GetTotalPgMemory(void) RVL_NOEXCEPT;
RVL_API uint64_t RVL_GetAvailPgMemory(void) RVL_NOEXCEPT;
RVL_API uint64_t RVL_GetTotalVirMemory(void) RVL_NOEXCEPT;
RVL_API uint64_t RVL_GetAvailVirMemory(void) RVL_NOEXCEPT;

/* 1 if desktop composition is on, else 0. */
RVL_API int32_t RVL_IsCompositionEnabled(void) RVL_NOEXCEPT;

/* ---- Frame: utilities ----------------------------------------------------------- */

/* A block of size bytes from the engine's heap (content undefined), or null. */
RVL_API void* RVL_Alloc(int32_t size) RVL_NOEXCEPT;
/* Frees a block from RVL_Alloc; null is ignored. */
RVL_API void RVL_Free(void* block) RVL_NOEXCEPT;
/* Copies length bytes forward when both addresses are non-null (no overlap handling). */
RVL_API void RVL_Memcpy(void* destination, const void* source, int32_t length) RVL_NOEXCEPT;
/* Returns its argument unchanged. */
RVL_API int32_t BankAdrs(int32_t value) RVL_NOEXCEPT;
/* Renames or moves a file; never replaces an existing file. 1 on success, else 0. */
RVL_API int32_t RVL_RenameFile(const char* oldPath, const char* newPath) RVL_NOEXCEPT;
/* The system directory (engine-owned text, valid until the next call). */
RVL_API const char* RVL_GetDirInfo(void) RVL_NOEXCEPT;

/* ---- Page and layers ----------------------------------------------------------------- */

/* Creates the page. Width and height above 10000 or below 0 become 100; b is the side of
 * the square brush buffers (0 to 10000); the fifth argument is kept and not used. */
RVL_API void RVL_CreateImage(RVL_Window hostWindow, int32_t width, int32_t height,
                             int32_t brushBufferSize, int32_t reserved) RVL_NOEXCEPT;
/* Gives the page a new size and new working buffers; the layers keep their pixels. */
RVL_API void RVL_NewSize(RVL_Window hostWindow, int32_t width, int32_t height,
                         int32_t brushBufferSize, int32_t reserved) RVL_NOEXCEPT;
/* Releases every buffer of the page. */
RVL_API void RVL_DeleteImage(void) RVL_NOEXCEPT;
/* Gives slot index (0 to 63) cleared pixels of the given size; 1 on success, else 0. */
RVL_API int32_t RVL_CreateLayer(int32_t index, int32_t width, int32_t height) RVL_NOEXCEPT;
/* Releases the slot's pixels. */
RVL_API void RVL_DeleteLayer(int32_t index) RVL_NOEXCEPT;
/* Makes a filled slot the current layer. */
RVL_API void RVL_SetLayer(int32_t index) RVL_NOEXCEPT;
/* Sets a slot's options; opacity in percent (0 to 100), mode by its exact name. */
RVL_API void RVL_SetLayerOptions(int32_t index, int32_t visible, int32_t lockTransparency,
                                 int32_t opacityPercent, const char* modeName) RVL_NOEXCEPT;
/* Exchanges two whole slots (pixels, size and options). */
RVL_API void RVL_SwapLayers(int32_t a, int32_t b) RVL_NOEXCEPT;
/* The number of slots holding pixels, the trace layer included. */
RVL_API int32_t RVL_GetLayerCount(void) RVL_NOEXCEPT;
/* The index of the current layer. */
RVL_API int32_t RVL_GetLayerNum(void) RVL_NOEXCEPT;
/* ---- Undo ------------------------------------------------------------------------------
 * The back buffer holds the current layer and the mask as they were before the change in
 * progress; each saved step keeps one rectangle, within a number of levels and a memory
 * budget. */

/* Empties the undo store and sets its number of levels (0 to 500); returns the stored value. */
RVL_API int32_t RVL_SetUndoLevels(int32_t levels) RVL_NOEXCEPT;
/* Records the changed rectangle of the current layer and / or the mask (flags in the low
 * byte); the back buffer then takes the new content. */
RVL_API void RVL_SaveUndoBuffer(int32_t saveLayer, int32_t saveMask) RVL_NOEXCEPT;
/* Copies the layer and the mask whole into the back buffer. */
RVL_API void RVL_SaveUndoBackBuffer(int32_t layerIndex) RVL_NOEXCEPT;
RVL_API void RVL_Undo(void) RVL_NOEXCEPT;
RVL_API void RVL_Redo(void) RVL_NOEXCEPT;
RVL_API int32_t RVL_CanUndo(void) RVL_NOEXCEPT;
RVL_API int32_t RVL_CanRedo(void) RVL_NOEXCEPT;
/* Steps undone so far (that can be redone). */
RVL_API int32_t RVL_GetRedoCount(void) RVL_NOEXCEPT;
/* Saved steps held, undone ones included. */
RVL_API int32_t RVL_GetUndoCount(void) RVL_NOEXCEPT;
RVL_API void RVL_ClearUndo(void) RVL_NOEXCEPT;
/* Releases the oldest steps until at least that many kilobytes were released. */
RVL_API void RVL_ReduceUndo(int32_t kilobytes) RVL_NOEXCEPT;
/* 0: the budget follows free memory; otherwise a fixed budget in megabytes. */
RVL_API void RVL_SetUndoMB(int32_t megabytes) RVL_NOEXCEPT;
RVL_API void RVL_PauseUndo(void) RVL_NOEXCEPT;
RVL_API void RVL_ResumeUndo(void) RVL_NOEXCEPT;
/* The budget and the memory in use, in megabytes. */
RVL_API int32_t RVL_GetTotalUndoMemory(void) RVL_NOEXCEPT;
RVL_API int32_t RVL_GetCurrentUndoMemory(void) RVL_NOEXCEPT;

/* ---- Pixel exchange ------------------------------------------------------------------
 * Layers hold RGBA64; host buffers are RGBA32 (red, green, blue, alpha bytes), RGB24,
 * BGR24, RGBA64 or G16 (mask rows), each with its row pitch in bytes. 8 bits become
 * 16 as value * 256; 16 bits become 8 as the high byte. Operations on a whole layer walk
 * the page size; a layer of another size (not yet recreated after RVL_NewSize) is walked
 * only where it and the page overlap. An apply flag lets the mask and the paper texture
 * blend the picture over the layer. */

/* Writes an RGBA32 picture into slot index at (x, y), clipped to the slot. */
RVL_API void RVL_LoadRGBA32Layer(const uint8_t* source, int32_t pitch, int32_t index, int32_t x,
                                 int32_t y, int32_t width, int32_t height, int32_t apply) RVL_NOEXCEPT;
/* RVL_LoadRGBA32Layer into the whole current layer. */
RVL_API void RVL_LoadRGBA32(const uint8_t* source, int32_t pitch, int32_t apply) RVL_NOEXCEPT;
/* RVL_LoadRGBA32Layer with the apply flag set. */
RVL_API void RVL_LoadRGBA32Into(const uint8_t* source, int32_t pitch, int32_t index, int32_t x,
                                int32_t y, int32_t width, int32_t height) RVL_NOEXCEPT;
/* Loads a whole layer from zlib data made by RVL_GetRGBA32LayerCompressed; data that does
 * not inflate to exactly the layer leaves it unchanged. */
RVL_API void RVL_LoadRGBA32LayerCompressed(const void* data, int32_t ignored, int32_t length,
                                           int32_t index) RVL_NOEXCEPT;
/* Writes red, green and blue of the current layer (alpha kept). */
RVL_API void RVL_LoadRGB24(const uint8_t* source, int32_t pitch, int32_t apply) RVL_NOEXCEPT;
/* Writes the current layer's alpha from the source's red bytes (transparent pixels kept). */
RVL_API void RVL_LoadRGB24ToAlpha(const uint8_t* source, int32_t pitch, int32_t apply) RVL_NOEXCEPT;
/* Writes the current layer from BGR24, opaque. */
RVL_API void RVL_Load(const uint8_t* source, int32_t pitch, int32_t width, int32_t height) RVL_NOEXCEPT;
/* Copies RGBA64 pixels into the slot unchanged; returns pageHeight, 0 for an empty slot. */
RVL_API int32_t RVL_SetRGBA64Layer(const uint16_t* source, int32_t pitch, int32_t index) RVL_NOEXCEPT;
/* Raw layer data in and out (pageWidth * pageHeight * 8 bytes). */
RVL_API void RVL_SetLayerData(const void* source, int32_t index) RVL_NOEXCEPT;
RVL_API void RVL_CopyLayerData(int32_t from, int32_t to) RVL_NOEXCEPT;
RVL_API void RVL_GetLayerData(void* destination, int32_t index) RVL_NOEXCEPT;

/* Reads a slot or the current layer out; returns pageHeight, 0 for an empty slot. */
RVL_API int32_t RVL_GetRGBA32Layer(uint8_t* destination, int32_t pitch, int32_t index) RVL_NOEXCEPT;
RVL_API int32_t RVL_GetRGBA32(uint8_t* destination, int32_t pitch) RVL_NOEXCEPT;
RVL_API int32_t RVL_GetRGB24Layer(uint8_t* destination, int32_t pitch, int32_t index) RVL_NOEXCEPT;
RVL_API int32_t RVL_GetRGB24(uint8_t* destination, int32_t pitch) RVL_NOEXCEPT;
/* A grey RGB24 picture of the current layer's alpha. */
RVL_API void RVL_GetRGB24FromAlpha(uint8_t* destination, int32_t pitch) RVL_NOEXCEPT;
/* Copies a rectangle of the slot unchanged; only the part inside the slot is written. */
RVL_API void RVL_GetRGBA64LayerRect(uint16_t* destination, int32_t pitch, int32_t index, int32_t x,
                                    int32_t y, int32_t width, int32_t height) RVL_NOEXCEPT;
RVL_API void RVL_GetRGBA64Layer(uint16_t* destination, int32_t pitch, int32_t index) RVL_NOEXCEPT;
/* Reduces the rectangle at (x, y) of an RGBA64 buffer whose rows are sourceWidth pixels
 * into packed RGBA32 / RGB24. */
RVL_API void RVL_RGBA64RectToRGBA32(const uint16_t* source, int32_t x, int32_t y, int32_t width,
                                    int32_t height, int32_t sourceWidth, int32_t ignored,
                                    uint8_t* destination) RVL_NOEXCEPT;
RVL_API void RVL_RGBA64RectToRGBA24(const uint16_t* source, int32_t x, int32_t y, int32_t width,
                                    int32_t height, int32_t sourceWidth, int32_t ignored,
                                    uint8_t* destination) RVL_NOEXCEPT;
/* Reduces height rows of width RGBA64 pixels starting at source (x and y are not used). */
RVL_API void RVL_GetRGBA32FromRGBA64Rect(uint8_t* destination, int32_t destinationPitch,
                                         const uint16_t* source, int32_t sourcePitch, int32_t x,
                                         int32_t y, int32_t width, int32_t height) RVL_NOEXCEPT;
RVL_API void RVL_GetRGBA32FromRGBA64(uint8_t* destination, int32_t destinationPitch, int32_t width,
                                     int32_t height, const uint16_t* source, int32_t sourcePitch) RVL_NOEXCEPT;
RVL_API void RVL_GetRGB24FromRGBA64Rect(uint8_t* destination, int32_t destinationPitch,
                                        const uint16_t* source, int32_t sourcePitch, int32_t x,
                                        int32_t y, int32_t width, int32_t height) RVL_NOEXCEPT;
RVL_API void RVL_GetRGB24FromRGBA64(uint8_t* destination, int32_t destinationPitch,
                                    const uint16_t* source, int32_t sourcePitch) RVL_NOEXCEPT;
/* Deflates the slot as packed RGBA32 into output. capacity: the bytes output can hold;
 * level: zlib compression level 0 (none) to 9 (smallest), any other value the default.
 * Returns the compressed length, 0 for an empty slot or when the output is too small. */
RVL_API int32_t RVL_GetRGBA32LayerCompressed(void* output, int32_t ignored, int32_t capacity,
                                             int32_t index, int32_t level) RVL_NOEXCEPT;
/* Bounding box of the pixels with non-zero alpha (left > right when there are none). */
RVL_API void RVL_FindDataExtentsLayer(int32_t index, int32_t* left, int32_t* top, int32_t* right,
                                      int32_t* bottom) RVL_NOEXCEPT;

/* ---- Run-length lines ----------------------------------------------------------------
 * RGBA32 runs: 5-byte records (count 1 to 255, red, green, blue, alpha high bytes).
 * G8 runs: 2-byte records (count, value high byte). The line length is not stored. */
RVL_API int32_t RVL_RLECompressRGBA64ToRGBA32(const uint16_t* source, uint8_t* destination,
                                              int32_t count) RVL_NOEXCEPT;
RVL_API void RVL_RLEUncompressRGBA32ToRGBA64(const uint8_t* runs, uint16_t* destination,
                                             int32_t count) RVL_NOEXCEPT;
RVL_API int32_t RVL_RLECompressG16ToG8(const uint16_t* source, uint8_t* destination, int32_t count) RVL_NOEXCEPT;
RVL_API void RVL_RLEUncompressG8ToG16(const uint8_t* runs, uint16_t* destination, int32_t count) RVL_NOEXCEPT;
RVL_API int32_t RVL_GetRGBA32LayerLineRLE(uint8_t* destination, int32_t index, int32_t row) RVL_NOEXCEPT;
RVL_API void RVL_PutRGBA32LayerLineRLE(const uint8_t* runs, int32_t index, int32_t row) RVL_NOEXCEPT;
RVL_API int32_t RVL_GetMaskLineRLE(uint8_t* destination, int32_t row) RVL_NOEXCEPT;
RVL_API void RVL_PutMaskLineRLE(const uint8_t* runs, int32_t row) RVL_NOEXCEPT;

/* ---- Clears --------------------------------------------------------------------------- */

/* The current layer becomes one colour (8-bit values). */
RVL_API void RVL_Clear(int32_t red, int32_t green, int32_t blue, int32_t alpha) RVL_NOEXCEPT;
/* Fill pageWidth * pageHeight pixels of a host buffer (16-bit / 8-bit values). */
RVL_API void RVL_ClearRGBA64(uint16_t* destination, int32_t pitch, int32_t red, int32_t green,
                             int32_t blue, int32_t alpha) RVL_NOEXCEPT;
RVL_API void RVL_ClearRGBA32(uint8_t* destination, int32_t pitch, int32_t red, int32_t green,
                             int32_t blue, int32_t alpha) RVL_NOEXCEPT;
/* Fills a packed width * height RGBA32 buffer. */
RVL_API void RVL_ClearRGBA32Buf(uint8_t* destination, int32_t width, int32_t height, int32_t red,
                                int32_t green, int32_t blue, int32_t alpha) RVL_NOEXCEPT;
/* Clears the current layer through the mask / through mask, texture and lock. */
RVL_API void RVL_ClearMasked(int32_t red, int32_t green, int32_t blue, int32_t alpha) RVL_NOEXCEPT;
RVL_API void RVL_ClearMaskedAlpha(int32_t red, int32_t green, int32_t blue, int32_t alpha) RVL_NOEXCEPT;

/* ---- Brush and tool settings -----------------------------------------------------------
 * 8-bit colour arguments use their low byte and become value * 256 (white is 65280). */
RVL_API void RVL_SetColor(int32_t red, int32_t green, int32_t blue) RVL_NOEXCEPT;
RVL_API void RVL_SetColor16(int32_t red, int32_t green, int32_t blue) RVL_NOEXCEPT;
RVL_API void RVL_SetColorBanks(int32_t r0, int32_t g0, int32_t b0, int32_t r1, int32_t g1, int32_t b1,
                               int32_t r2, int32_t g2, int32_t b2, int32_t r3, int32_t g3, int32_t b3) RVL_NOEXCEPT;
/* Blur of an image tip before scaling, 0 to 100. */
RVL_API void RVL_SetShapeBlur(int32_t blur) RVL_NOEXCEPT;
/* Blend-buffer weights, 0 to 256. */
RVL_API void RVL_SetBlendStrength(int32_t strength) RVL_NOEXCEPT;
RVL_API void RVL_SetBlendPrimaryColorStrength(int32_t strength) RVL_NOEXCEPT;
RVL_API void RVL_SetBlendRemix(int32_t flag) RVL_NOEXCEPT;
/* Density 1 to 256 (256 paints everywhere). */
RVL_API void RVL_SetDensity(int32_t density) RVL_NOEXCEPT;
/* Dab opacity in percent. */
RVL_API void RVL_SetAlpha(int32_t percent) RVL_NOEXCEPT;
RVL_API void RVL_SetColorVary(int32_t vary) RVL_NOEXCEPT;
RVL_API void RVL_SetAlphaLocked(int32_t flag) RVL_NOEXCEPT;
RVL_API void RVL_SetColorLocked(int32_t flag) RVL_NOEXCEPT;
RVL_API void RVL_SetBlobLocked(int32_t flag) RVL_NOEXCEPT;
RVL_API void RVL_SetAlphaLevel(int32_t level) RVL_NOEXCEPT;
RVL_API void RVL_SetImageBrushMode(int32_t flag) RVL_NOEXCEPT;
RVL_API void RVL_SetSolidBrushMode(int32_t flag) RVL_NOEXCEPT;
/* mode 1 samples the tip through a rotation of degrees. */
RVL_API void RVL_SetRotateBrushMode(int32_t mode, int32_t degrees) RVL_NOEXCEPT;
/* Paint kind and its amount (0 to 256). */
RVL_API void RVL_SetMixMode(int32_t kind, int32_t amount) RVL_NOEXCEPT;
/* Tip side in pixels (at most 1000 and the page's brush buffer size). */
RVL_API void RVL_SetSize(int32_t size) RVL_NOEXCEPT;
/* Dab side in page pixels: the tip sampled at the centres of n cells. */
RVL_API void RVL_SetScaleSize(int32_t n) RVL_NOEXCEPT;
RVL_API void RVL_SetPixColorVary(int32_t vary) RVL_NOEXCEPT;
RVL_API void RVL_SetPixLumVary(int32_t vary) RVL_NOEXCEPT;
/* One-shot switches for the next dab. */
RVL_API void RVL_TempDisableBlend(void) RVL_NOEXCEPT;
RVL_API void RVL_SetMaskMakerOn(void) RVL_NOEXCEPT;
RVL_API void RVL_SetEraseModeOn(void) RVL_NOEXCEPT;
RVL_API void RVL_DisplayMask(int32_t flag) RVL_NOEXCEPT;
RVL_API void RVL_EnableMask(int32_t flag) RVL_NOEXCEPT;
/* Counts one dab off the current grit pattern's length. */
RVL_API void RVL_DecDrawingLength(void) RVL_NOEXCEPT;
RVL_API void RVL_DeleteTexture(void) RVL_NOEXCEPT;
/* Writes the high bytes of 16-bit r, g, b at (x, y) of an RGB24 page-sized buffer. */
RVL_API void RVL_SetPixelRGB24(uint8_t* buffer, int32_t rowBytes, int32_t x, int32_t y, int32_t red,
                               int32_t green, int32_t blue) RVL_NOEXCEPT;
/* Installs a tool: settings, grit patterns (random, or from a grain picture or effect
 * script named by gritSource) and the tip (tipSource, tipAngle). */
RVL_API void RVL_SetTool(float tipOpacity, int32_t gritSize, int32_t gritCellThreshold,
                         int32_t gritPixelThreshold, int32_t shapeSoftness, int32_t colourVary,
                         int32_t drawingLength, int32_t blendStrength, int32_t primaryColourStrength,
                         int32_t blendRemix, int32_t unused11, int32_t shapeInvert, int32_t unused13,
                         const char* gritSource, const char* tipSource, int32_t tipAngle) RVL_NOEXCEPT;
/* Rebuilds the tip: an image tip from an effect script or picture file named by name
 * (rotated by angle degrees), else the round tip. The _ORIGINAL form reads picture files
 * only and never blurs. */
RVL_API void RVL_SetBrushShape(const char* name, int32_t angle) RVL_NOEXCEPT;
RVL_API void RVL_SetBrushShape_ORIGINAL(const char* name, int32_t angle) RVL_NOEXCEPT;

/* ---- Dabs ------------------------------------------------------------------------------
 * One stamp of the tip centred on page position (x, y) with a 16-bit colour, into the
 * paint layer when one exists, else the current layer; grows the changed rectangle the
 * undo store saves. The mask form paints the brush colour's grey into the mask. */
RVL_API void RVL_DrawDabGrit(int32_t x, int32_t y, int32_t red, int32_t green, int32_t blue) RVL_NOEXCEPT;
RVL_API void RVL_DrawDabGritMask(int32_t x, int32_t y) RVL_NOEXCEPT;

/* ---- Blend buffer ----------------------------------------------------------------------
 * The brush's load of picked-up paint, in the tip's geometry. Copy and mix take the canvas
 * under a brush at (x, y) (a source is a page-sized RGBA64 buffer); k is the weight of the
 * brush colour (copy) or of the canvas (mix), 0 to 256. Nothing happens while the blend
 * strength is 0, except clear, fill and filter. */
RVL_API void RVL_DoCopyBlendBuffer(int32_t x, int32_t y, const uint16_t* source, int32_t k, int32_t flag) RVL_NOEXCEPT;
RVL_API void RVL_CopyBlendBufferSurface(int32_t x, int32_t y, int32_t k, int32_t flag) RVL_NOEXCEPT;
RVL_API void RVL_CopyBlendBufferLayer(int32_t layer, int32_t x, int32_t y, int32_t k) RVL_NOEXCEPT;
RVL_API void RVL_CopyBlendBufferUnderLayer(int32_t x, int32_t y, int32_t k) RVL_NOEXCEPT;
RVL_API void RVL_CopyBlendBufferHistory(int32_t x, int32_t y, int32_t k) RVL_NOEXCEPT;
RVL_API void RVL_CopyBlendBufferTrace(int32_t x, int32_t y, int32_t k) RVL_NOEXCEPT;
/* Copies the mask's grey values (the mask-maker layout). */
RVL_API void RVL_DoCopyBlendBufferMask(int32_t x, int32_t y, int32_t k) RVL_NOEXCEPT;
RVL_API void RVL_DoMixBlendBuffer(int32_t x, int32_t y, const uint16_t* source, int32_t k) RVL_NOEXCEPT;
RVL_API void RVL_MixBlendBufferSurface(int32_t x, int32_t y, int32_t k) RVL_NOEXCEPT;
RVL_API void RVL_MixBlendBufferLayer(int32_t layer, int32_t x, int32_t y, int32_t k) RVL_NOEXCEPT;
RVL_API void RVL_MixBlendBufferUnderLayer(int32_t x, int32_t y, int32_t k) RVL_NOEXCEPT;
RVL_API void RVL_MixBlendBufferHistory(int32_t x, int32_t y, int32_t k) RVL_NOEXCEPT;
RVL_API void RVL_MixBlendBufferTrace(int32_t x, int32_t y, int32_t k) RVL_NOEXCEPT;
/* Tints the load towards (r, g, b) (8-bit). */
RVL_API void RVL_DoColorBlendBuffer(int32_t x, int32_t y, int32_t red, int32_t green, int32_t blue,
                                    int32_t ignored, int32_t k) RVL_NOEXCEPT;
RVL_API void RVL_ClearBlendBuffer(void) RVL_NOEXCEPT;
/* Every byte of the first quarter of the buffer becomes the low byte of value. */
RVL_API void RVL_FillBlendBuffer(int32_t ignored1, int32_t ignored2, int32_t ignored3, int32_t value) RVL_NOEXCEPT;
/* 289 grey, 290 invert, 291 channels below percent to 0, 292 channels above it to 65280. */
RVL_API void RVL_FilterBlendBuffer(int32_t kind, int32_t percent) RVL_NOEXCEPT;

/* ---- Paint layer and alpha operations --------------------------------------------------
 * While the paint layer exists, dabs paint into it; at the end of a stroke it is merged
 * into a layer with its own mode and opacity. */
RVL_API void RVL_CreatePaintLayer(int32_t opacityPercent, const char* modeName) RVL_NOEXCEPT;
RVL_API void RVL_ClearPaintLayer(void) RVL_NOEXCEPT;
/* All opaque white, then the changed rectangle transparent black. */
RVL_API void RVL_ClearPaintLayer_old(void) RVL_NOEXCEPT;
RVL_API void RVL_DeletePaintLayer(void) RVL_NOEXCEPT;
/* Merges the paint layer's changed rectangle into slot index with the paint layer's mode
 * and opacity, then clears the paint layer. */
RVL_API void RVL_MergePaintLayer(int32_t index) RVL_NOEXCEPT;
/* Softens the paint layer's alpha (alpha of 240 or more, as a byte, stays opaque). */
RVL_API void RVL_BlurPaintLayerAlpha(void) RVL_NOEXCEPT;
RVL_API void RVL_InvertAlpha(int32_t index) RVL_NOEXCEPT;
/* alpha = 255 - alpha over a page-sized RGBA32 buffer. */
RVL_API void RVL_InvertAlpha_RGBA32(uint8_t* buffer) RVL_NOEXCEPT;
RVL_API void RVL_SetLayerAlpha(int32_t index, int32_t value) RVL_NOEXCEPT;
/* Folds the slot's opacity into its alpha; the opacity becomes 256. */
RVL_API void RVL_NormalizeLayerAlpha(int32_t index) RVL_NOEXCEPT;
/* Pixels of the current layer with alpha below 256 become (r, g, b) * 257, alpha 0. */
RVL_API void RVL_SetColorAlpha(int32_t red, int32_t green, int32_t blue) RVL_NOEXCEPT;
/* Every pixel of a packed width * height RGBA32 buffer gets the colour bytes; alpha kept. */
RVL_API void RVL_SetColorRGBABuf(uint8_t* buffer, int32_t width, int32_t height, int32_t red,
                                 int32_t green, int32_t blue) RVL_NOEXCEPT;
/* Colour key over a page-sized RGBA32 buffer: pixels of exactly (r, g, b) get alpha 0. */
RVL_API void RVL_SetAlphaFromRGBAImageColor(uint8_t* buffer, int32_t red, int32_t green, int32_t blue) RVL_NOEXCEPT;
/* Turns the layer into a blob: an alpha relief from luminance (mode 1 keeps some colour). */
RVL_API void RVL_CreateBlobFromImage(int32_t index, int32_t mode) RVL_NOEXCEPT;

/* ---- Pixel probes ----------------------------------------------------------------------
 * RGBA packing: red in bits 31-24, green, blue, alpha in bits 7-0. Colour packing: alpha
 * in bits 31-24, red, green, blue in bits 7-0. Each channel is the high byte. The RGBA
 * family clamps (x, y) into the picture; the colour family answers 0xFFFFFF outside it.
 * A buffer argument is a page-sized RGBA64 buffer. */
RVL_API int32_t RVL_GetRed64(int32_t x, int32_t y) RVL_NOEXCEPT;
RVL_API int32_t RVL_GetGreen64(int32_t x, int32_t y) RVL_NOEXCEPT;
RVL_API int32_t RVL_GetBlue64(int32_t x, int32_t y) RVL_NOEXCEPT;
RVL_API int32_t RVL_GetAlpha64(int32_t x, int32_t y) RVL_NOEXCEPT;
RVL_API int32_t RVL_GetRGBAAt(int32_t x, int32_t y, const uint16_t* buffer) RVL_NOEXCEPT;
RVL_API int32_t RVL_GetRGBAAtSurface(int32_t x, int32_t y) RVL_NOEXCEPT;
RVL_API int32_t RVL_GetRGBAAtUnderLayer(int32_t x, int32_t y) RVL_NOEXCEPT;
RVL_API int32_t RVL_GetRGBAAtLayer(int32_t x, int32_t y, int32_t index) RVL_NOEXCEPT;
RVL_API int32_t RVL_GetRGBAAtTrace(int32_t x, int32_t y) RVL_NOEXCEPT;
RVL_API int32_t RVL_GetColorAt(int32_t x, int32_t y, const uint16_t* buffer) RVL_NOEXCEPT;
RVL_API int32_t RVL_GetColorAtSurface(int32_t x, int32_t y) RVL_NOEXCEPT;
RVL_API int32_t RVL_GetColorAtUnderLayer(int32_t x, int32_t y) RVL_NOEXCEPT;
RVL_API int32_t RVL_GetColorAtLayer(int32_t x, int32_t y, int32_t index) RVL_NOEXCEPT;
RVL_API int32_t RVL_GetColorAtTrace(int32_t x, int32_t y) RVL_NOEXCEPT;
/* The back buffer's colour while an undo step is available, else 0. */
RVL_API int32_t RVL_GetColorAtHistory(int32_t x, int32_t y) RVL_NOEXCEPT;
/* The colour of the flattened picture at (x, y). */
RVL_API int32_t RVL_GetColorAtMerged(int32_t x, int32_t y) RVL_NOEXCEPT;
/* How much the point is masked out (65535 - mask value); 0 while the mask is disabled. */
RVL_API int32_t RVL_GetMask64(int32_t x, int32_t y) RVL_NOEXCEPT;
/* The whole mask out of / into a buffer of pageWidth * pageHeight values; returns the bytes. */
RVL_API int32_t RVL_GetMaskData16(uint16_t* destination) RVL_NOEXCEPT;
RVL_API int32_t RVL_SetMaskData16(const uint16_t* source) RVL_NOEXCEPT;

/* ---- Compositing and view -------------------------------------------------------------
 * Layers merge by their merge mode (codes of RVL_SetLayerOptions), opacity and the Layer
 * Mask layer directly above them. Host buffers are packed RGBA64. Empty slots do nothing;
 * rectangles are clipped to the page and to the layers they touch. */

/* Merges the whole source layer into the destination layer. */
RVL_API void RVL_MergeLayer(int32_t sourceIndex, int32_t destinationIndex) RVL_NOEXCEPT;
/* Merges rectangle (x, y, width, height) of the source layer into a buffer of width * height
 * pixels, the rectangle's corner at the buffer's first pixel. */
RVL_API void RVL_MergeLayerIntoRect(int32_t sourceIndex, uint16_t* destination, int32_t x,
                                    int32_t y, int32_t width, int32_t height) RVL_NOEXCEPT;
/* RVL_MergeLayerIntoRect over the whole page. */
RVL_API void RVL_MergeLayerInto(int32_t sourceIndex, uint16_t* destination) RVL_NOEXCEPT;
/* Flattens the visible layers (not the trace layer) into a buffer of width * height pixels:
 * transparent black, the background copied as it is, then layers 2 to 63 merged. */
RVL_API void RVL_MergeRect(uint16_t* destination, int32_t x, int32_t y, int32_t width,
                           int32_t height) RVL_NOEXCEPT;
/* RVL_MergeRect over the whole page. */
RVL_API void RVL_Merge(uint16_t* destination) RVL_NOEXCEPT;
/* The alpha most alpha modes give the pixels they keep: trunc(percent * 0.01 * 65535). */
RVL_API void RVL_SetAlphaLayerOpacity(int32_t percent) RVL_NOEXCEPT;

/* Draws the page rectangle into a BGR24 bitmap (row j at output + j * pitch): the visible
 * layers with the paint layer above the current layer, the trace layer averaged in when
 * tracing, a grey checkerboard under transparency and the mask overlay. At most viewWidth
 * columns and viewHeight rows are written; nothing without a current layer. */
RVL_API void RVL_Render(uint8_t* output, int32_t pitch, int32_t x, int32_t y, int32_t width,
                        int32_t height) RVL_NOEXCEPT;
/* whole = scale: one to one; whole > scale: each page pixel as a whole x whole block;
 * whole < scale: every scale-th page pixel. Settings that cannot be drawn (scale not a
 * finite number, magnification below 1, a step of 0 or less) draw one to one. */
RVL_API void RVL_SetScale(int32_t whole, float scale) RVL_NOEXCEPT;
/* Kept for the host; the renderer does not use it. */
RVL_API void RVL_SetOffset(int32_t x, int32_t y) RVL_NOEXCEPT;
/* The most output columns and rows one render writes. */
RVL_API void RVL_SetViewSize(int32_t width, int32_t height) RVL_NOEXCEPT;
/* Non-zero (low byte): the view is averaged with the trace layer. */
RVL_API void RVL_SetTracingMode(int32_t flag) RVL_NOEXCEPT;
/* Accepted and ignored: the engine draws no grid. */
RVL_API void RVL_SetGrid(int32_t value) RVL_NOEXCEPT;
RVL_API void RVL_SetGridSpacing(int32_t value) RVL_NOEXCEPT;

/* ---- Masks and selection --------------------------------------------------------------
 * The mask holds one 16-bit value per page pixel: 65535 selected, 0 protected. Host
 * buffers are packed and page-sized unless a width and height are passed (then cut to the
 * page, rows still width pixels apart); RGBA32 pixels are bytes R, G, B, A, RGB24 ones
 * R, G, B. Null buffers do nothing. The builders set the value (255 - v) * 256 (v's low
 * byte: 0 selects, 255 protects) where a pixel matches and leave the rest; tolerances are
 * percentages (0 to 100) scaled to bytes by 2.56 or to degrees by 1.8, a negative one
 * matches nothing. */

/* The view's overlay colours A (odd squares) and B (even squares), 8-bit; full non-zero
 * draws the overlay at full strength, 0 at half. */
RVL_API void RVL_SetMaskOptions(int32_t r1, int32_t g1, int32_t b1, int32_t r2, int32_t g2, int32_t b2,
                                int32_t full) RVL_NOEXCEPT;
/* m = 65535 - m everywhere. */
RVL_API void RVL_InvertMask(void) RVL_NOEXCEPT;
/* The whole mask = the mask grey of the 16-bit colour (low 16 bits of each): 65535 for a
 * mean below 256, else 65280 - mean, 0 at least. */
RVL_API void RVL_ClearMask(int32_t red, int32_t green, int32_t blue) RVL_NOEXCEPT;
/* Writes the mask as grey RGB24 (each byte 255 - (m >> 8)), pitch bytes per row. */
RVL_API void RVL_SaveMask(uint8_t* destination, int32_t pitch) RVL_NOEXCEPT;
/* Reads width * height grey RGB24 pixels into the mask (black selects, white protects). */
RVL_API void RVL_LoadMask(const uint8_t* source, int32_t pitch, int32_t width, int32_t height) RVL_NOEXCEPT;
/* The current layer becomes an opaque grey picture of the mask (selected black). */
RVL_API void RVL_CreateImageFromMask(void) RVL_NOEXCEPT;
/* The current layer's alpha = the mask. */
RVL_API void RVL_CreateAlphaFromMask(void) RVL_NOEXCEPT;
/* The mask = the current layer's alpha. */
RVL_API void RVL_CreateMaskFromAlpha(void) RVL_NOEXCEPT;
/* The mask = the mask grey of the current layer's colour. */
RVL_API void RVL_CreateMaskFromImage(void) RVL_NOEXCEPT;
/* m = value (16-bit) where any byte of the two RGBA32 pixels differs. */
RVL_API void RVL_CreateMaskFromDiff_RGBA32(const uint8_t* a, const uint8_t* b, int32_t value) RVL_NOEXCEPT;
/* Selects the pixels whose colour bytes equal (r, g, b), in RGBA32 / RGB24. */
RVL_API void RVL_CreateMaskFromRGBAImageColor(const uint8_t* source, int32_t r, int32_t g, int32_t b,
                                              int32_t v) RVL_NOEXCEPT;
RVL_API void RVL_CreateMaskFromRGB24ImageColor(const uint8_t* source, int32_t r, int32_t g, int32_t b,
                                               int32_t v) RVL_NOEXCEPT;
/* Selects the pixels whose flood byte (one per page pixel) is 1. */
RVL_API void RVL_CreateMaskFromFloodMask(const uint8_t* flood, int32_t v) RVL_NOEXCEPT;
/* Selects the pixels whose R, G and B each lie within the tolerance of (r, g, b). */
RVL_API void RVL_CreateMaskFromRGBAImageColorRange(const uint8_t* source, int32_t r, int32_t g, int32_t b,
                                                   int32_t tolerance, int32_t v) RVL_NOEXCEPT;
/* Selects the pixels whose alpha lies within the tolerance of a. */
RVL_API void RVL_CreateMaskFromRGBAImageAlphaRange(const uint8_t* source, int32_t a, int32_t tolerance,
                                                   int32_t v) RVL_NOEXCEPT;
/* Selects the pixels whose (R + G + B) / 3 lies within the tolerance of (r + g + b) / 3. */
RVL_API void RVL_CreateMaskFromRGBAImageLuminanceRange(const uint8_t* source, int32_t r, int32_t g, int32_t b,
                                                       int32_t tolerance, int32_t v) RVL_NOEXCEPT;
/* Selects the pixels whose hue lies within tolerance * 1.8 degrees of the hue of (r, g, b),
 * either way round (greys, which have no hue, match greys). */
RVL_API void RVL_CreateMaskFromRGBAImageHueRange(const uint8_t* source, int32_t r, int32_t g, int32_t b,
                                                 int32_t tolerance, int32_t v) RVL_NOEXCEPT;
/* Selects the pixels within the HSL tolerances of (r, g, b): hue tolerance * 180 degrees,
 * saturation and lightness tolerances on 0..1; a NaN tolerance matches nothing. */
RVL_API void RVL_CreateMaskFromRGBAImageHSLRange(const uint8_t* source, int32_t r, int32_t g, int32_t b,
                                                 double hueTolerance, double saturationTolerance,
                                                 double lightnessTolerance, int32_t v) RVL_NOEXCEPT;
/* Scales the alpha of an RGBA32 rectangle (inclusive corners, first pixel at page (x0, y0),
 * pitch bytes per row) by the mask's high byte h: 0 clears it, 255 keeps it, else
 * alpha * (h + 1) >> 8. Only its part on the page is touched. */
RVL_API void RVL_ApplyMaskToAlphaRect_RGBA32(uint8_t* buffer, int32_t pitch, int32_t x0, int32_t y0, int32_t x1,
                                             int32_t y1) RVL_NOEXCEPT;
/* RVL_ApplyMaskToAlphaRect_RGBA32 over the whole page. */
RVL_API void RVL_ApplyMaskToAlpha_RGBA32(uint8_t* buffer) RVL_NOEXCEPT;
/* Pixels whose alpha lies within the tolerance of a become (r, g, b, newAlpha). */
RVL_API void RVL_ReplaceFromRGBAImageAlphaRange(uint8_t* buffer, int32_t a, int32_t tolerance, int32_t r,
                                                int32_t g, int32_t b, int32_t newAlpha) RVL_NOEXCEPT;
/* RGB24 = (A, A, A) of the RGBA32 source. */
RVL_API void RVL_RGBAlphaToRGB(uint8_t* destination, int32_t width, int32_t height,
                               const uint8_t* source) RVL_NOEXCEPT;
/* RGBA32 alpha = (R + G + B) / 3 of the RGB24 source, colour kept. */
RVL_API void RVL_RGBToRGBAlpha(uint8_t* destination, int32_t width, int32_t height,
                               const uint8_t* source) RVL_NOEXCEPT;
/* RGBA32 colour = the RGB24 source, alpha kept. */
RVL_API void RVL_RGBToRGBA(uint8_t* destination, int32_t width, int32_t height, const uint8_t* source) RVL_NOEXCEPT;
/* RGB24 = the colour of the RGBA32 source. */
RVL_API void RVL_RGBAToRGB(uint8_t* destination, int32_t width, int32_t height, const uint8_t* source) RVL_NOEXCEPT;

/* ---- Mask and texture adjustment of results ---------------------------------------------
 * A result's alpha is restricted by the mask (when enabled) and the paper texture: with
 * f = 65535, a texture byte t with 2t < 255 gives f = (2t * 65535) >> 8, a mask value
 * m < 65535 then f = (m * f) >> 16; alpha becomes trunc(f / 65535 * alpha). Colour is
 * kept. Buffers are packed; width and height are cut to the page. */

/* Restricts a width * height RGBA32 picture lying on the page from (0, 0); nothing when
 * the mask is disabled and there is no texture. */
RVL_API void RVL_AdjustRGBA32ByMaskAndTexture(uint8_t* buffer, int32_t width, int32_t height) RVL_NOEXCEPT;
/* The same for a picture placed at page (x, y): only its part on the page. */
RVL_API void RVL_AdjustRGBA32RectByMaskAndTexture(uint8_t* buffer, int32_t x, int32_t y, int32_t width,
                                                  int32_t height) RVL_NOEXCEPT;
/* flag non-zero: the colour of a page-sized RGBA32 buffer divided by its alpha a > 0:
 * min(255, c * 255 / a). */
RVL_API void RVL_AdjustRGBA32ForAlphaComp(int32_t flag, uint8_t* buffer) RVL_NOEXCEPT;
/* Premultiplies before a filter: alpha a other than 0 and 255 gives c = trunc(a / 255 * (c + 1)). */
RVL_API void RVL_AdjustRGBA32PreFilter(uint8_t* buffer, int32_t width, int32_t height) RVL_NOEXCEPT;
/* Restores after a filter: alpha other than 0 and 255 gives c = min(255, trunc(c * 255 / a)). */
RVL_API void RVL_AdjustRGBA32PostFilter(uint8_t* buffer, int32_t width, int32_t height) RVL_NOEXCEPT;
/* The RGBA64 pair, for alpha a > 0: c = trunc(a / 65535 * c), then
 * min(65535, trunc(c * 65535 / a)). */
RVL_API void RVL_AdjustRGBA64PreFilter(uint16_t* buffer, int32_t width, int32_t height) RVL_NOEXCEPT;
RVL_API void RVL_AdjustRGBA64PostFilter(uint16_t* buffer, int32_t width, int32_t height) RVL_NOEXCEPT;
/* Superseded load of a page-sized RGBA32 picture into slot index: restricted as
 * RVL_AdjustRGBA32ByMaskAndTexture(source, width, height) when apply is set, the slot
 * cleared through the mask when it is the current layer, then the picture merged over it
 * (Normal, full opacity, the slot's transparency lock). */
RVL_API void RVL_LoadRGBA32Layer_BAD(uint8_t* source, int32_t ignored, int32_t index, int32_t width,
                                     int32_t height, int32_t apply) RVL_NOEXCEPT;

/* ---- Transfer image and picture files ----------------------------------------------
 * Pictures from outside arrive in the transfer image, the new RGBA: one engine-owned
 * RGBA32 picture (rows of width * 4 bytes, red first), replaced by every successful read.
 * Picture files are recognised by their content; written files are chosen by extension,
 * with its dot, compared ignoring case. Resolutions are in dots per inch. */

/* Last width and height of the new RGBA (kept after a delete). */
RVL_API int32_t RVL_GetNewRGBAWidth(void) RVL_NOEXCEPT;
RVL_API int32_t RVL_GetNewRGBAHeight(void) RVL_NOEXCEPT;
/* Frees the new RGBA's pixels; returns 0. */
RVL_API int32_t RVL_DeleteNewRGBA(void) RVL_NOEXCEPT;
/* Copies the new RGBA out as RGBA32 / RGB24 rows; nothing when it holds no picture. */
RVL_API void RVL_GetNewRGBA32(uint8_t* destination) RVL_NOEXCEPT;
RVL_API void RVL_GetNewRGBA24(uint8_t* destination) RVL_NOEXCEPT;
/* Resamples the new RGBA to newWidth * newHeight and writes it as RGB24 rows. */
RVL_API void RVL_GetResizedNewRGBA24(uint8_t* destination, int32_t newWidth, int32_t newHeight) RVL_NOEXCEPT;
/* 1 when any pixel of the new RGBA has alpha below 255, else 0. */
RVL_API int32_t RVL_IsNewRGBA32Transparent(void) RVL_NOEXCEPT;
/* Loads the new RGBA into the current layer at (0, 0) through mask and texture. */
RVL_API void RVL_SetInNewRGBA(void) RVL_NOEXCEPT;
/* Reads a picture file into the new RGBA (metafiles rendered at the page size on the brush
 * colour); 1 on success, else 0 with the new RGBA unchanged. */
RVL_API int32_t RVL_ReadFromFile(const char* path) RVL_NOEXCEPT;
/* Reads a picture file into the caller's RGB24 / RGBA32 rows when it is exactly width *
 * height pixels; 1 on success, else 0 with the buffer untouched. */
RVL_API int32_t RVL_ReadFromFileRGB24(uint8_t* destination, int32_t width, int32_t height,
                                      const char* path) RVL_NOEXCEPT;
RVL_API int32_t RVL_ReadFromFileRGBA32(uint8_t* destination, int32_t width, int32_t height,
                                       const char* path) RVL_NOEXCEPT;
/* The file's resolution snapped to 72, 96, 150, 200, 300, 450 or 600; 72 when unknown. */
RVL_API int32_t RVL_GetDPIFromFile(const char* path) RVL_NOEXCEPT;
/* Writes packed RGB24 (".bmp", ".png", ".jpg", ".gif", ".pcx", ".psd", ".emf", ".wmf") or
 * RGBA32 (".png", ".tga", ".tif") pixels; non-zero on success, 0 for any other extension. */
RVL_API int32_t RVL_WriteToFileRGB24(const uint8_t* pixels, int32_t width, int32_t height,
                                     const char* path, const char* extension,
                                     int32_t dotsPerInch) RVL_NOEXCEPT;
RVL_API int32_t RVL_WriteToFileRGBA32(const uint8_t* pixels, int32_t width, int32_t height,
                                      const char* path, const char* extension,
                                      int32_t dotsPerInch) RVL_NOEXCEPT;
/* A 24-bit BMP whose longer side is size pixels, transparent pixels white; returns 0. */
RVL_API int32_t RVL_MakeThumbnail(const char* sourcePath, const char* destinationPath,
                                  int32_t size) RVL_NOEXCEPT;
/* A JPEG (quality 75) fitted into largestWidth * largestHeight, never enlarged; returns 0. */
RVL_API int32_t RVL_MakeWebPic(const char* sourcePath, const char* destinationPath,
                               int32_t largestWidth, int32_t largestHeight) RVL_NOEXCEPT;
/* Pixels of a packed width * height RGBA32 buffer whose alpha is 0 get the colour bytes. */
RVL_API void RVL_SetColorAlphaRGBABuf(uint8_t* buffer, int32_t width, int32_t height,
                                      int32_t red, int32_t green, int32_t blue) RVL_NOEXCEPT;
/* Saves the merged visible layers row by row as RGB24 (".bmp", ".png", ".jpg") or RGBA32
 * (".png", ".tga", ".tif"); always 0 (the host checks the file). */
RVL_API int32_t RVL_SavePageToFileRGB24(const char* path, const char* extension,
                                        int32_t dotsPerInch) RVL_NOEXCEPT;
RVL_API int32_t RVL_SavePageToFileRGB32(const char* path, const char* extension,
                                        int32_t dotsPerInch) RVL_NOEXCEPT;

#ifdef __cplusplus
}
#endif

#endif /* RAVELIN_H */
