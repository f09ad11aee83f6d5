// lzhpack: lists, tests, extracts and creates LHA archives with the
// installer's own reader, decoder and packer.
#include <stdio.h>
#include <string.h>

#include "tools/lzhpack/lzhpack_verbs.h"

static void PrintUsage(void)
{
    fprintf(stderr,
            "usage: lzhpack list ARCHIVE\n"
            "       lzhpack test ARCHIVE\n"
            "       lzhpack extract ARCHIVE DIR\n"
            "       lzhpack create [--max-members N] ARCHIVE FILE...|FOLDER\n");
}

int main(int argc, char **argv)
{
    if (argc < 2) {
        PrintUsage();
        return 2;
    }
    const char *verb = argv[1];
    if (strcmp(verb, "list") == 0)
        return RunList(argc - 2, argv + 2);
    if (strcmp(verb, "test") == 0)
        return RunTest(argc - 2, argv + 2);
    if (strcmp(verb, "extract") == 0)
        return RunExtract(argc - 2, argv + 2);
    if (strcmp(verb, "create") == 0)
        return RunCreate(argc - 2, argv + 2);
    fprintf(stderr, "lzhpack: unknown verb '%s'\n", verb);
    PrintUsage();
    return 2;
}
