#include "shell/splash_paint.h"

#include <string.h>

#include "shell/hot_spots.h"
#include "support/program_state.h"
#include "support/support.h"

enum {
    FrontPicture,            // the whole splash, captions in red
    BackPicture,             // the four captions in yellow, 26-row bands
    RemovePicture,           // Un-Install in red
    RemoveHighlightPicture,  // Un-Install in yellow
    PictureCount
};

enum {
    PaletteEntryCount = 256,
    PaletteResourceSize = PaletteEntryCount * 4  // blue, green, red, reserved
};

static const char *const PictureNames[PictureCount] = {"FRONT", "BACK", "REMOVE", "REMOVEHL"};

static HPALETTE SplashPalette;
static HBITMAP SplashBitmaps[PictureCount];
static HDC PictureDCs[PictureCount];
static int32_t DrawnSpot = NoSpot;

// Selects the splash palette into dc as a foreground palette and realises
// it; returns the palette it replaced. Without a palette, nothing happens.
static HPALETTE UseSplashPalette(HDC dc)
{
    if (SplashPalette == NULL)
        return NULL;
    HPALETTE previous = SelectPalette(dc, SplashPalette, FALSE);
    RealizePalette(dc);
    return previous;
}

// Builds a logical palette from the raw-data resource of that name: 256
// entries of blue, green, red, reserved. Returns NULL, after logging, when
// the resource is missing or too short.
static HPALETTE CreateSplashPalette(const char *name)
{
    HRSRC found = FindResourceA(AppInstance, name, MAKEINTRESOURCEA(10));  // RT_RCDATA
    if (found == NULL || SizeofResource(AppInstance, found) < PaletteResourceSize) {
        SetupLog("resource load failed");
        return NULL;
    }
    HGLOBAL loaded = LoadResource(AppInstance, found);
    const BYTE *data = loaded ? (const BYTE *)LockResource(loaded) : NULL;
    if (data == NULL) {
        SetupLog("resource load failed");
        return NULL;
    }
    BYTE colours[PaletteResourceSize];
    memcpy(colours, data, sizeof colours);
    FreeResource(loaded);

    LOGPALETTE *logical = (LOGPALETTE *)LocalAlloc(
        LPTR, sizeof(LOGPALETTE) + (PaletteEntryCount - 1) * sizeof(PALETTEENTRY));
    if (logical == NULL)
        return NULL;
    logical->palVersion = 0x300;
    logical->palNumEntries = PaletteEntryCount;
    for (int i = 0; i < PaletteEntryCount; i++) {
        logical->palPalEntry[i].peRed = colours[4 * i + 2];
        logical->palPalEntry[i].peGreen = colours[4 * i + 1];
        logical->palPalEntry[i].peBlue = colours[4 * i];
        logical->palPalEntry[i].peFlags = 0;
    }
    HPALETTE palette = CreatePalette(logical);
    LocalFree(logical);
    return palette;
}

void LoadSplashGraphics(HWND window, HINSTANCE instance)
{
    SplashPalette = CreateSplashPalette("palette");

    HDC windowDC = GetDC(window);
    for (int i = 0; i < PictureCount; i++)
        PictureDCs[i] = CreateCompatibleDC(windowDC);
    for (int i = 0; i < PictureCount; i++)
        SplashBitmaps[i] = (HBITMAP)LoadImageA(instance, PictureNames[i], IMAGE_BITMAP, 0, 0,
                                               LR_CREATEDIBSECTION);
    // Each picture stays selected in its own memory device context for the
    // whole run, so that a highlight costs one small copy and nothing else.
    for (int i = 0; i < PictureCount; i++) {
        UseSplashPalette(PictureDCs[i]);
        if (SplashBitmaps[i] != NULL)
            SelectObject(PictureDCs[i], SplashBitmaps[i]);
    }
    ReleaseDC(window, windowDC);
}

void PaintSplash(HWND window)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    UseSplashPalette(dc);
    BitBlt(dc, 0, 0, SplashWidth, SplashHeight, PictureDCs[FrontPicture], 0, 0, SRCCOPY);
    if (NotInstalled == 0) {
        const HotSpot *install = &HotSpots[SPOT_INSTALL];
        BitBlt(dc, install->left, install->top, CaptionWidth, CaptionHeight,
               PictureDCs[RemovePicture], 0, 0, SRCCOPY);
    }
    EndPaint(window, &paint);
}

// Draws the highlighted form of spot over it.
static void DrawHighlight(HDC dc, int32_t spot)
{
    const HotSpot *bounds = &HotSpots[spot];
    if (NotInstalled == 0 && spot == SPOT_INSTALL)
        BitBlt(dc, bounds->left, bounds->top, CaptionWidth, CaptionHeight,
               PictureDCs[RemoveHighlightPicture], 0, 0, SRCCOPY);
    else
        BitBlt(dc, bounds->left, bounds->top, CaptionWidth, CaptionHeight,
               PictureDCs[BackPicture], 0, CaptionHeight * spot, SRCCOPY);
}

// Draws the normal form of spot over it.
static void DrawNormal(HDC dc, int32_t spot)
{
    const HotSpot *bounds = &HotSpots[spot];
    if (NotInstalled == 0 && spot == SPOT_INSTALL)
        BitBlt(dc, bounds->left, bounds->top, CaptionWidth, CaptionHeight,
               PictureDCs[RemovePicture], 0, 0, SRCCOPY);
    else
        BitBlt(dc, bounds->left, bounds->top, bounds->right - bounds->left,
               bounds->bottom - bounds->top, PictureDCs[FrontPicture], bounds->left,
               bounds->top, SRCCOPY);
}

void UpdateHighlight(HWND window)
{
    if (CurrentSpot == DrawnSpot)
        return;
    HDC dc = GetDC(window);
    UseSplashPalette(dc);
    if (CurrentSpot >= 0 && CurrentSpot < SpotCount && HotSpots[CurrentSpot].enabled)
        DrawHighlight(dc, CurrentSpot);
    if (DrawnSpot >= 0 && DrawnSpot < SpotCount)
        DrawNormal(dc, DrawnSpot);
    ReleaseDC(window, dc);
    DrawnSpot = CurrentSpot;
}

void RealizeSplashPalette(HWND window)
{
    HDC dc = GetDC(window);
    HPALETTE previous = UseSplashPalette(dc);
    InvalidateRect(window, NULL, TRUE);
    if (previous != NULL)
        SelectPalette(dc, previous, FALSE);
    ReleaseDC(window, dc);
}

void FreeSplashGraphics(void)
{
    // The device contexts go first: a bitmap or palette still selected into
    // one cannot be deleted.
    for (int i = 0; i < PictureCount; i++) {
        if (PictureDCs[i] != NULL)
            DeleteDC(PictureDCs[i]);
        PictureDCs[i] = NULL;
    }
    for (int i = 0; i < PictureCount; i++) {
        if (SplashBitmaps[i] != NULL)
            DeleteObject(SplashBitmaps[i]);
        SplashBitmaps[i] = NULL;
    }
    if (SplashPalette != NULL)
        DeleteObject(SplashPalette);
    SplashPalette = NULL;
}
