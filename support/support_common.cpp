// The platform-free support services, shared by both trees.
#include "support/support.h"

#include <string.h>

const char MessageCaption[] = "Brevald";

int AppendPath(char *path, size_t pathSize, const char *name)
{
    size_t pathLength = strlen(path);
    size_t nameLength = strlen(name);
    int needsSeparator = pathLength > 0 && path[pathLength - 1] != '\\' &&
                         path[pathLength - 1] != '/';
    size_t joinedLength = pathLength + (needsSeparator ? 1 : 0) + nameLength;

    // The joined text, its terminator and the second zero of a file list.
    if (joinedLength + 2 > pathSize)
        return 0;
    if (needsSeparator)
        path[pathLength++] = '\\';
    memcpy(path + pathLength, name, nameLength);
    path[joinedLength] = '\0';
    path[joinedLength + 1] = '\0';
    return 1;
}

int CenteredStart(int outerStart, int outerSize, int innerSize)
{
    return outerStart + (outerSize - innerSize) / 2;
}
