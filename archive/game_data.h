// The game archive carried in the installer's own resources.
#pragma once

#include <stddef.h>
#include <stdint.h>

// Finds, loads and locks the resource "GAMEDATA" of type "MYDATA". Returns
// its first byte and stores its size, or returns NULL when it cannot be
// had. The resource stays mapped for the life of the process.
const uint8_t *LockGameData(uint32_t *size);

// The length of the longest name among the members the installer unpacks
// (the first ArchiveMemberLimit; 0 when the archive cannot be had or read).
size_t LongestGameFileName(void);
