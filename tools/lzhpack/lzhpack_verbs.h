// The verbs of the lzhpack command-line tool. Each takes the arguments after
// the verb and returns the process exit status.
#pragma once

int RunList(int argc, char **argv);     // list ARCHIVE
int RunTest(int argc, char **argv);     // test ARCHIVE
int RunExtract(int argc, char **argv);  // extract ARCHIVE DIR
int RunCreate(int argc, char **argv);   // create [options] ARCHIVE FILE...|FOLDER
