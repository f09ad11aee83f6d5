// make_game_data: writes the sample demo game's 25 data files into a
// folder, copies the game's programs beside them, and gives every file the
// same fixed time stamp, so that the packed archive is the same on every
// build machine.
//
//   make_game_data FOLDER [PROGRAM...]
#include <errno.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <time.h>
#include <utime.h>

#include <string>

#include "game/data/game_data.h"
#include "tools/host/whole_file.h"

namespace {

// The fixed time stamp of every file of the sample game, in local time (the
// archive stores local time, so the stamp reads the same in every zone).
const int StampYear = 1997, StampMonth = 6, StampDay = 20, StampHour = 12;

struct DataFile {
    const char *name;
    void (*make)(Bytes *out);
};

void MakeLevel1(Bytes *out) { MakeLevel(1, out); }
void MakeLevel2(Bytes *out) { MakeLevel(2, out); }
void MakeLevel3(Bytes *out) { MakeLevel(3, out); }
void MakeLevel4(Bytes *out) { MakeLevel(4, out); }
void MakeLevel5(Bytes *out) { MakeLevel(5, out); }
void MakeLevel6(Bytes *out) { MakeLevel(6, out); }
void MakeSong1(Bytes *out) { MakeSong(1, out); }
void MakeSong2(Bytes *out) { MakeSong(2, out); }

const DataFile DataFiles[] = {
    {"readme.txt", MakeReadme},       {"kestdemo.ini", MakeConfiguration},
    {"game.pal", MakePalette},        {"font.fnt", MakeFontTable},
    {"font.bmp", MakeFontPicture},    {"walls.bmp", MakeWallTexture},
    {"floors.bmp", MakeFloorTexture}, {"sky.bmp", MakeSkyPicture},
    {"sprites.bmp", MakeSpriteSheet}, {"title.bmp", MakeTitlePicture},
    {"level1.map", MakeLevel1},       {"level2.map", MakeLevel2},
    {"level3.map", MakeLevel3},       {"level4.map", MakeLevel4},
    {"level5.map", MakeLevel5},       {"level6.map", MakeLevel6},
    {"jump.wav", MakeJumpSound},      {"shoot.wav", MakeShotSound},
    {"explode.wav", MakeExplosionSound}, {"pickup.wav", MakePickupSound},
    {"door.wav", MakeDoorSound},      {"voice.wav", MakeVoiceOver},
    {"theme1.mus", MakeSong1},        {"theme2.mus", MakeSong2},
    {"intro.ani", MakeIntroAnimation},
};

int WriteWholeFile(const std::string &path, const Bytes &bytes)
{
    FILE *file = fopen(path.c_str(), "wb");
    if (file == NULL) {
        fprintf(stderr, "make_game_data: cannot create '%s': %s\n", path.c_str(), strerror(errno));
        return 0;
    }
    size_t written = bytes.empty() ? 0 : fwrite(bytes.data(), 1, bytes.size(), file);
    int closed = fclose(file) == 0;
    if (written != bytes.size() || !closed) {
        fprintf(stderr, "make_game_data: writing '%s' failed\n", path.c_str());
        return 0;
    }
    return 1;
}

// Reads one of the game's programs, saying why when it cannot.
static int ReadProgram(const char *path, Bytes *bytes)
{
    if (ReadWholeFile(path, bytes))
        return 1;
    fprintf(stderr, "make_game_data: cannot read '%s': %s\n", path, strerror(errno));
    return 0;
}

int StampFile(const std::string &path)
{
    struct tm local;
    memset(&local, 0, sizeof local);
    local.tm_year = StampYear - 1900;
    local.tm_mon = StampMonth - 1;
    local.tm_mday = StampDay;
    local.tm_hour = StampHour;
    local.tm_isdst = -1;
    struct utimbuf times;
    times.actime = times.modtime = mktime(&local);
    if (utime(path.c_str(), &times) != 0) {
        fprintf(stderr, "make_game_data: cannot set the time of '%s': %s\n", path.c_str(), strerror(errno));
        return 0;
    }
    return 1;
}

const char *BaseName(const char *path)
{
    const char *slash = strrchr(path, '/');
    return slash != NULL ? slash + 1 : path;
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc < 2) {
        fprintf(stderr, "usage: make_game_data FOLDER [PROGRAM...]\n");
        return 2;
    }
    std::string folder = argv[1];
    if (mkdir(folder.c_str(), 0777) != 0 && errno != EEXIST) {
        fprintf(stderr, "make_game_data: cannot create the folder '%s': %s\n", folder.c_str(), strerror(errno));
        return 1;
    }
    folder += '/';
    for (size_t i = 0; i < sizeof DataFiles / sizeof DataFiles[0]; i++) {
        Bytes bytes;
        DataFiles[i].make(&bytes);
        std::string path = folder + DataFiles[i].name;
        if (!WriteWholeFile(path, bytes) || !StampFile(path))
            return 1;
    }
    for (int i = 2; i < argc; i++) {
        Bytes bytes;
        std::string path = folder + BaseName(argv[i]);
        if (!ReadProgram(argv[i], &bytes) || !WriteWholeFile(path, bytes) || !StampFile(path))
            return 1;
    }
    return 0;
}
