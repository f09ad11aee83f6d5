// The MS-DOS time stamp of an archive member's header.
#pragma once

#include <stdint.h>
#include <time.h>

// Packs a local date and time (month 1-12, day 1-31) as MS-DOS does: year -
// 1980 in bits 25-31, month in 21-24, day in 16-20, hour in 11-15, minute
// in 5-10, seconds / 2 in 0-4. Times before 1980 become 1980-01-01 00:00:00,
// times after 2107 become 2107-12-31 23:59:58, the range's ends.
uint32_t PackMsDosTime(int year, int month, int day, int hour, int minute, int second);

// The stamp of a file time, taken in the local time zone.
uint32_t MsDosTimeOfFile(time_t fileTime);
