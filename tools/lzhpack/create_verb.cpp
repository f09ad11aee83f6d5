// Placeholder until the packer lands.
#include <stdio.h>

#include "tools/lzhpack/lzhpack_verbs.h"

int RunCreate(int argc, char **argv)
{
    (void)argc;
    (void)argv;
    fprintf(stderr, "lzhpack: create is not available in this build\n");
    return 2;
}
