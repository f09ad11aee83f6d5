// Placeholder until the archive reader lands.
#include <stdio.h>

#include "tools/lzhpack/lzhpack_verbs.h"

static int NotYet(void)
{
    fprintf(stderr, "lzhpack: reading is not available in this build\n");
    return 2;
}

int RunList(int, char **) { return NotYet(); }
int RunTest(int, char **) { return NotYet(); }
int RunExtract(int, char **) { return NotYet(); }
