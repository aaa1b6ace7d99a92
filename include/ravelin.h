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
/* Empties the undo store and sets its number of levels (0 to 500); returns the stored value. */
RVL_API int32_t RVL_SetUndoLevels(int32_t levels);

#ifdef __cplusplus
}
#endif

#endif /* RAVELIN_H */
