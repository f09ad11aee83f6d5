#include "tools/lzhpack/msdos_time.h"

enum {
    FirstMsDosYear = 1980,
    LastMsDosYear = 2107  // 1980 + 127, the 7-bit year field's end
};

uint32_t PackMsDosTime(int year, int month, int day, int hour, int minute, int second)
{
    if (year < FirstMsDosYear)
        return PackMsDosTime(FirstMsDosYear, 1, 1, 0, 0, 0);
    if (year > LastMsDosYear)
        return PackMsDosTime(LastMsDosYear, 12, 31, 23, 59, 58);
    if (second > 59)
        second = 59;  // a leap second has no place of its own
    return (uint32_t)(year - FirstMsDosYear) << 25 | (uint32_t)month << 21 | (uint32_t)day << 16 |
           (uint32_t)hour << 11 | (uint32_t)minute << 5 | (uint32_t)(second / 2);
}

uint32_t MsDosTimeOfFile(time_t fileTime)
{
    struct tm local;
    if (localtime_r(&fileTime, &local) == NULL)
        return PackMsDosTime(FirstMsDosYear, 1, 1, 0, 0, 0);
    return PackMsDosTime(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                         local.tm_min, local.tm_sec);
}
