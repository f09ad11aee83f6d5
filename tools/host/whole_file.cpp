#include "tools/host/whole_file.h"

#include <stdio.h>

int ReadWholeFile(const char *path, std::vector<uint8_t> *bytes)
{
    FILE *file = fopen(path, "rb");
    if (file == NULL)
        return 0;
    uint8_t block[65536];
    size_t got;
    while ((got = fread(block, 1, sizeof block, file)) > 0)
        bytes->insert(bytes->end(), block, block + got);
    int failed = ferror(file);
    fclose(file);
    return !failed;
}
