// lzhpack: lists, tests, extracts and creates LHA archives with the
// installer's own reader, decoder and packer.
#include <stdio.h>
#include <string.h>

#include "resources/kest_version.h"
#include "tools/lzhpack/lzhpack_verbs.h"

// Writes the usage text, every verb and option, to stream.
static void PrintUsage(FILE *stream)
{
    fputs("usage: lzhpack list ARCHIVE\n"
          "       lzhpack test ARCHIVE\n"
          "       lzhpack extract ARCHIVE DIR\n",
          stream);
    PrintCreateSynopsis(stream, "       ");
    fputs("       lzhpack --help | -h | --version\n"
          "\n"
          "  list      name, method, packed and unpacked size and CRC of every member\n"
          "  test      decode every member and check its CRC; no file is written\n"
          "  extract   unpack every member into DIR (made when missing)\n"
          "  create    pack the files, or every file of FOLDER, as \"-lh5-\" members of a\n"
          "            level-1 LHA archive\n",
          stream);
    PrintCreateOptions(stream);
    fputs("\n"
          "Exit status: 0 when every member was sound, 1 when one was not, 2 for a wrong\n"
          "command line or an unreadable file.\n",
          stream);
}

int main(int argc, char **argv)
{
    if (argc < 2) {
        PrintUsage(stderr);
        return 2;
    }
    const char *verb = argv[1];
    if (strcmp(verb, "--help") == 0 || strcmp(verb, "-h") == 0) {
        PrintUsage(stdout);
        return 0;
    }
    if (strcmp(verb, "--version") == 0) {
        printf("lzhpack %s\n", KEST_VERSION_TEXT);
        return 0;
    }
    if (strcmp(verb, "list") == 0)
        return RunList(argc - 2, argv + 2);
    if (strcmp(verb, "test") == 0)
        return RunTest(argc - 2, argv + 2);
    if (strcmp(verb, "extract") == 0)
        return RunExtract(argc - 2, argv + 2);
    if (strcmp(verb, "create") == 0)
        return RunCreate(argc - 2, argv + 2);
    fprintf(stderr, "lzhpack: unknown verb '%s'\n", verb);
    PrintUsage(stderr);
    return 2;
}
