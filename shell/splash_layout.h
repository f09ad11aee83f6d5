// The splash's geometry in client pixels, written once: the window, the hit
// tests and the painting use it, and tools/make_resources.py reads these
// figures from this file when it draws the pictures. Keep each as a plain
// "Name = number" so that the script can read it.
#pragma once

enum {
    SplashWidth = 400,   // also the FRONT picture's size
    SplashHeight = 280,

    // The four captions stand one under the other without gaps, PLAY first.
    CaptionLeft = 174,
    CaptionTop = 158,
    CaptionWidth = 120,
    CaptionHeight = 26,

    // The progress bar and the file-name label under it, shown while
    // unpacking; the picture keeps this upper band free of its title.
    ProgressLeft = 4,
    ProgressTop = 4,
    ProgressWidth = 388,
    ProgressHeight = 30,
    StatusTop = 41,
    StatusHeight = 32
};
