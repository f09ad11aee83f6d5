// grpconv: a program-group converter for Windows installations that lack
// one (Wine has none). With "-o" it reads "SETUP.INI" from the Windows
// directory and, for each group listed under [progman.groups], makes the
// folder "Start Menu\Programs\<group>" under the Windows directory holding
// one shell link per item line, named after the item's title with ".LNK".
//
// An item line is six comma-separated fields, the texts in double quotes:
//   "title","command line",,,,"working folder"
// Only the title, the command line and the working folder are used.
//
// Exit status: 0 when every link was made, 1 when something failed, 2 for
// a wrong command line.
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <stdio.h>
#include <string.h>

enum {
    PathSize = MAX_PATH,
    LineSize = 1024,
    FieldCount = 6,
    MaxGroups = 16
};

struct GroupEntry {
    char section[64];    // the section that lists the group's items
    char name[PathSize]; // the group's name, also its folder's name
};

// Copies at most size - 1 characters of source[0..length) into buffer.
static void CopyPart(char *buffer, size_t size, const char *source, size_t length)
{
    if (length >= size)
        length = size - 1;
    memcpy(buffer, source, length);
    buffer[length] = '\0';
}

// Splits an item line into its comma-separated fields, taking the double
// quotes off quoted ones. Returns the number of fields found.
static int SplitItemLine(const char *line, char fields[FieldCount][PathSize])
{
    int count = 0;
    const char *p = line;
    while (count < FieldCount) {
        const char *start = p;
        size_t length;
        if (*p == '"') {
            start = ++p;
            while (*p != '\0' && *p != '"')
                p++;
            length = (size_t)(p - start);
            if (*p == '"')
                p++;
            while (*p != '\0' && *p != ',')
                p++;
        } else {
            while (*p != '\0' && *p != ',')
                p++;
            length = (size_t)(p - start);
        }
        CopyPart(fields[count++], PathSize, start, length);
        if (*p != ',')
            break;
        p++;
    }
    for (int i = count; i < FieldCount; i++)
        fields[i][0] = '\0';
    return count;
}

// Removes the line end and surrounding blanks in place.
static char *TrimLine(char *line)
{
    size_t length = strlen(line);
    while (length > 0 && (line[length - 1] == '\n' || line[length - 1] == '\r' ||
                          line[length - 1] == ' ' || line[length - 1] == '\t'))
        line[--length] = '\0';
    while (*line == ' ' || *line == '\t')
        line++;
    return line;
}

// Makes the shell link at linkPath starting commandLine in folder.
static int MakeShellLink(const char *linkPath, const char *commandLine, const char *folder)
{
    // The program is the whole command line when it names a file, else the
    // part before the first blank, the rest being its arguments.
    char program[PathSize];
    const char *arguments = "";
    CopyPart(program, sizeof program, commandLine, strlen(commandLine));
    if (GetFileAttributesA(program) == INVALID_FILE_ATTRIBUTES) {
        const char *blank = strchr(commandLine, ' ');
        if (blank != NULL) {
            CopyPart(program, sizeof program, commandLine, (size_t)(blank - commandLine));
            arguments = blank + 1;
        }
    }

    IShellLinkA *link = NULL;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                (void **)&link)))
        return 0;
    link->SetPath(program);
    link->SetArguments(arguments);
    link->SetWorkingDirectory(folder);

    int saved = 0;
    IPersistFile *file = NULL;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, (void **)&file))) {
        WCHAR widePath[PathSize];
        if (MultiByteToWideChar(CP_ACP, 0, linkPath, -1, widePath, PathSize) > 0)
            saved = SUCCEEDED(file->Save(widePath, TRUE));
        file->Release();
    }
    link->Release();
    return saved;
}

// Joins name onto path with one backslash. Returns 0 when it would not fit.
static int JoinPath(char *path, size_t size, const char *name)
{
    size_t length = strlen(path);
    int separator = length > 0 && path[length - 1] != '\\';
    if (length + separator + strlen(name) + 1 > size)
        return 0;
    if (separator)
        strcat(path, "\\");
    strcat(path, name);
    return 1;
}

// Makes "Start Menu\Programs\<group>" under the Windows folder, level by
// level, and stores its path in folder. Returns 0 when the path would not fit.
static int MakeGroupFolder(const char *windowsFolder, const char *group, char *folder,
                           size_t size)
{
    const char *levels[] = {"Start Menu", "Programs", group};
    CopyPart(folder, size, windowsFolder, strlen(windowsFolder));
    for (const char *level : levels) {
        if (!JoinPath(folder, size, level))
            return 0;
        CreateDirectoryA(folder, NULL);  // fails harmlessly when it exists
    }
    return 1;
}

// Reads the group file and makes every group's folder and links.
static int ConvertGroups(const char *windowsFolder)
{
    char groupFile[PathSize];
    CopyPart(groupFile, sizeof groupFile, windowsFolder, strlen(windowsFolder));
    if (!JoinPath(groupFile, sizeof groupFile, "SETUP.INI"))
        return 0;
    FILE *input = fopen(groupFile, "rb");
    if (input == NULL)
        return 0;

    // First pass: the groups and the sections of their items.
    GroupEntry groups[MaxGroups];
    int groupCount = 0;
    char buffer[LineSize];
    char section[64] = "";
    while (fgets(buffer, sizeof buffer, input) != NULL) {
        char *line = TrimLine(buffer);
        if (line[0] == '[') {
            CopyPart(section, sizeof section, line + 1, strcspn(line + 1, "]"));
            continue;
        }
        char *equals = strchr(line, '=');
        if (lstrcmpiA(section, "progman.groups") == 0 && equals != NULL && groupCount < MaxGroups) {
            CopyPart(groups[groupCount].section, sizeof groups[groupCount].section, line,
                     (size_t)(equals - line));
            CopyPart(groups[groupCount].name, sizeof groups[groupCount].name, equals + 1,
                     strlen(equals + 1));
            groupCount++;
        }
    }

    // Second pass: each group's item lines.
    int allMade = groupCount > 0;
    for (int g = 0; g < groupCount; g++) {
        char groupFolder[PathSize];
        if (!MakeGroupFolder(windowsFolder, groups[g].name, groupFolder, sizeof groupFolder)) {
            allMade = 0;
            continue;
        }

        rewind(input);
        section[0] = '\0';
        while (fgets(buffer, sizeof buffer, input) != NULL) {
            char *line = TrimLine(buffer);
            if (line[0] == '[') {
                CopyPart(section, sizeof section, line + 1, strcspn(line + 1, "]"));
                continue;
            }
            if (lstrcmpiA(section, groups[g].section) != 0 || line[0] != '"')
                continue;
            char fields[FieldCount][PathSize];
            SplitItemLine(line, fields);
            char linkPath[PathSize];
            CopyPart(linkPath, sizeof linkPath, groupFolder, strlen(groupFolder));
            if (fields[0][0] == '\0' || !JoinPath(linkPath, sizeof linkPath, fields[0]) ||
                strlen(linkPath) + 4 >= sizeof linkPath) {
                allMade = 0;
                continue;
            }
            strcat(linkPath, ".LNK");
            if (!MakeShellLink(linkPath, fields[1], fields[5]))
                allMade = 0;
        }
    }
    fclose(input);
    return allMade;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show)
{
    (void)instance;
    (void)previous;
    (void)show;
    while (*commandLine == ' ')
        commandLine++;
    if (lstrcmpiA(commandLine, "-o") != 0)
        return 2;

    char windowsFolder[PathSize];
    UINT length = GetWindowsDirectoryA(windowsFolder, sizeof windowsFolder);
    if (length == 0 || length >= sizeof windowsFolder)
        return 1;

    if (FAILED(CoInitialize(NULL)))
        return 1;
    int made = ConvertGroups(windowsFolder);
    CoUninitialize();
    return made ? 0 : 1;
}
