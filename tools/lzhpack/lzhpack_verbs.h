// The verbs of the lzhpack command-line tool. Each takes the arguments after
// the verb and returns the process exit status.
#pragma once

#include <stdio.h>

int RunList(int argc, char **argv);     // list ARCHIVE
int RunTest(int argc, char **argv);     // test ARCHIVE
int RunExtract(int argc, char **argv);  // extract ARCHIVE DIR
int RunCreate(int argc, char **argv);   // create [options] ARCHIVE FILE...|FOLDER

// The create verb's two synopsis lines, the first after lead and the second
// indented to match, and its options' lines: shared by its own usage and by
// the tool's --help.
void PrintCreateSynopsis(FILE *stream, const char *lead);
void PrintCreateOptions(FILE *stream);
