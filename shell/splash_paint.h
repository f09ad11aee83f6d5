// Painting of the splash window: the picture with its own 256-colour
// palette, and the highlight of the selected caption.
#pragma once

#include <windows.h>

#include "shell/splash_layout.h"

// Builds the palette, the four memory device contexts and the four bitmaps.
void LoadSplashGraphics(HWND window, HINSTANCE instance);

// Paints the whole client area: FRONT, and REMOVE over the second caption
// while the demo is installed. Draws no highlight.
void PaintSplash(HWND window);

// Moves the highlight from the caption drawn last to CurrentSpot.
void UpdateHighlight(HWND window);

// Realises the palette and asks for a full repaint.
void RealizeSplashPalette(HWND window);

// Releases the bitmaps, the memory device contexts and the palette. Safe to
// call more than once.
void FreeSplashGraphics(void);
