// Names and figures of the program that several parts use.
#pragma once

#include <stdint.h>

extern const char GameExeName[];      // "kestdemo.exe", the game's program
extern const char GameDisplayName[];  // "Rarivur Ivad Oraz", as the user sees it
extern const char ProgramGroupName[]; // "Brevald", the Start-menu group of the maker's games
extern const uint32_t RequiredSpace;  // the least free space the install asks for

enum {
    PathBufferSize = 260,     // every path buffer (MAX_PATH)
    ArchiveMemberLimit = 28   // the most members the installer unpacks
};
