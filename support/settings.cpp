#include "support/settings.h"

char InstallFolder[PathBufferSize];
char ProposedFolder[PathBufferSize] = "C:\\Program Files\\Brevald\\KestDemo";

uint32_t DirectSound = 1;
uint32_t DirectX = 1;
uint32_t WinDirect = 1;
uint32_t Debug = 0;

