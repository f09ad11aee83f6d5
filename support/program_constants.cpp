#include "support/program_constants.h"

const char GameExeName[] = "kestdemo.exe";
const char GameDisplayName[] = "Rarivur Ivad Oraz";
const char ProgramGroupName[] = "Brevald";
const uint32_t RequiredSpace = 8500000;
