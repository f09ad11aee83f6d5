// The installer's version number: the one definition read by the version
// record of kestsetup.rc and by "lzhpack --version". Read by both the C++
// compiler and windres, so it holds nothing but #defines.
#pragma once

#define KEST_VERSION_MAJOR 1
#define KEST_VERSION_MINOR 0
#define KEST_VERSION_PATCH 0
#define KEST_VERSION_BUILD 0

// The same four numbers as text, "1.0.0.0" (adjacent string literals, which
// both the compiler and windres join).
#define KEST_VERSION_QUOTE(number) #number
#define KEST_VERSION_PART(number) KEST_VERSION_QUOTE(number)
#define KEST_VERSION_TEXT                                                   \
    KEST_VERSION_PART(KEST_VERSION_MAJOR) "." KEST_VERSION_PART(KEST_VERSION_MINOR) "." \
    KEST_VERSION_PART(KEST_VERSION_PATCH) "." KEST_VERSION_PART(KEST_VERSION_BUILD)
