#include "tools/lzhpack/member_name.h"

#include <ctype.h>
#include <string.h>

#include "archive/archive_header.h"

// Whether the part of name before its first dot is a device that Windows
// opens instead of a file (CON, PRN, AUX, NUL, COM1-9, LPT1-9).
static int IsDeviceName(const char *name)
{
    char stem[8];
    size_t length = 0;
    while (name[length] != '\0' && name[length] != '.') {
        if (length + 1 >= sizeof stem)
            return 0;
        stem[length] = (char)toupper((unsigned char)name[length]);
        length++;
    }
    stem[length] = '\0';
    static const char *const devices[] = {"CON", "PRN", "AUX", "NUL"};
    for (size_t i = 0; i < sizeof devices / sizeof devices[0]; i++)
        if (strcmp(stem, devices[i]) == 0)
            return 1;
    if (length == 4 && (memcmp(stem, "COM", 3) == 0 || memcmp(stem, "LPT", 3) == 0) &&
        stem[3] >= '1' && stem[3] <= '9')
        return 1;
    return 0;
}

const char *MemberNameProblem(const char *name)
{
    size_t length = strlen(name);
    if (length == 0)
        return "the name is empty";
    static_assert(MemberNameLimit == 230, "the message below names the limit");
    if (length > MemberNameLimit)
        return "the name is longer than 230 bytes";
    if (strcmp(name, ".") == 0 || strcmp(name, "..") == 0)
        return "the name is not a file name";
    for (size_t i = 0; i < length; i++) {
        unsigned char c = (unsigned char)name[i];
        if (c == '\\' || c == '/' || c == ':')
            return "the name holds a folder separator or a drive";
        if (c < 0x20 || c == 0x7F || strchr("<>\"|?*", c) != NULL)
            return "the name holds a character that Windows file names cannot hold";
    }
    if (name[length - 1] == '.' || name[length - 1] == ' ')
        return "the name ends in a dot or a space";
    if (IsDeviceName(name))
        return "the name is a Windows device name";
    return NULL;
}
