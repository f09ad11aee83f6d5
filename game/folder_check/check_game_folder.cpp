// check_game_folder: tells whether a folder of game files can travel in the
// installer: at most 28 files, each a plain file with a plain name the
// archive can carry, among them the game's program "kestdemo.exe" and the
// display driver "mgldib.drv" with a readable file version. Names compare
// without regard to case, as Windows compares them.
//
//   check_game_folder FOLDER
// Exit status 0 when the folder fits; 1 with a message per problem.
#include <dirent.h>
#include <errno.h>
#include <stdio.h>
#include <string.h>
#include <strings.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "game/folder_check/pe_file_version.h"
#include "support/program_constants.h"
#include "tools/host/whole_file.h"
#include "tools/lzhpack/member_name.h"

namespace {

const char DriverName[] = "mgldib.drv";


}  // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: check_game_folder FOLDER\n");
        return 2;
    }
    const char *folder = argv[1];
    DIR *directory = opendir(folder);
    if (directory == NULL) {
        fprintf(stderr, "check_game_folder: cannot read the game folder '%s': %s\n", folder, strerror(errno));
        return 1;
    }
    std::vector<std::string> names;
    struct dirent *entry;
    while ((entry = readdir(directory)) != NULL)
        if (strcmp(entry->d_name, ".") != 0 && strcmp(entry->d_name, "..") != 0)
            names.push_back(entry->d_name);
    closedir(directory);

    int problems = 0;
    std::string prefix = std::string(folder) + "/";
    std::string gamePath, driverPath;
    unsigned long long totalBytes = 0;
    for (size_t i = 0; i < names.size(); i++) {
        const char *name = names[i].c_str();
        std::string path = prefix + names[i];
        struct stat info;
        if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
            fprintf(stderr, "check_game_folder: '%s' is not a plain file; the installer unpacks files only, "
                            "into one folder\n", name);
            problems++;
            continue;
        }
        totalBytes += (unsigned long long)info.st_size;
        const char *problem = MemberNameProblem(name);
        if (problem != NULL) {
            fprintf(stderr, "check_game_folder: '%s' cannot be installed: %s\n", name, problem);
            problems++;
        }
        if (strcasecmp(name, GameExeName) == 0)
            gamePath = path;
        if (strcasecmp(name, DriverName) == 0)
            driverPath = path;
    }
    if (names.size() > ArchiveMemberLimit) {
        fprintf(stderr, "check_game_folder: the folder holds %zu files; the installer unpacks at most %d\n",
                names.size(), (int)ArchiveMemberLimit);
        problems++;
    }
    if (gamePath.empty()) {
        fprintf(stderr, "check_game_folder: the folder has no %s, the program PLAY starts\n", GameExeName);
        problems++;
    }
    if (driverPath.empty()) {
        fprintf(stderr, "check_game_folder: the folder has no %s, the display driver the installer places\n",
                DriverName);
        problems++;
    } else {
        std::vector<uint8_t> image;
        uint32_t versionMs = 0, versionLs = 0;
        const char *problem = ReadWholeFile(driverPath.c_str(), &image)
                                  ? ReadPeFileVersion(image.data(), image.size(), &versionMs, &versionLs)
                                  : "the file cannot be read";
        if (problem != NULL) {
            fprintf(stderr, "check_game_folder: the file version of %s cannot be read: %s\n", DriverName, problem);
            problems++;
        } else {
            printf("check_game_folder: %s has file version %u.%u.%u.%u\n", DriverName, versionMs >> 16,
                   versionMs & 0xFFFF, versionLs >> 16, versionLs & 0xFFFF);
        }
    }
    if (problems != 0) {
        fprintf(stderr, "check_game_folder: '%s' does not fit the installer (%d problem%s)\n", folder, problems,
                problems == 1 ? "" : "s");
        return 1;
    }
    printf("check_game_folder: %zu files, %llu bytes: fit for the installer\n", names.size(), totalBytes);
    return 0;
}
