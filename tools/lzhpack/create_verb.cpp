// lzhpack create: packs plain files, or the files of one folder, into a
// level-1 LHA archive of "-lh5-" members, the form the installer unpacks.
// Every input is checked before anything is written, and the archive is
// written under a temporary name and renamed only when complete, so a
// failure never leaves a partial archive behind. Members are packed on
// several threads at once (each member on its own, so the archive's bytes
// do not depend on the number of threads) and written in their order.
#include <dirent.h>
#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "support/support_console.h"
#include "tools/lzhpack/lh5_encoder.h"
#include "tools/lzhpack/lzhpack_verbs.h"
#include "tools/lzhpack/member_crc.h"
#include "tools/lzhpack/member_header.h"
#include "tools/lzhpack/member_name.h"
#include "tools/lzhpack/msdos_time.h"

namespace {

// text as it may reach the terminal: names come from the files on disk, and
// every byte outside printable ASCII is shown as '?'.
std::string Shown(const std::string &text)
{
    std::string shown(text.size() + 1, '\0');
    CopyPrintable(&shown[0], shown.size(), text.c_str());
    shown.resize(strlen(shown.c_str()));
    return shown;
}

enum { MaxJobs = 8 };

struct CreateOptions {
    const char *archivePath;
    long maxMembers;     // -1: no limit
    int allowStored;     // members that do not shrink may be "-lh0-"
    int quiet;
    int jobs;            // threads packing members at once
    int best;            // the strongest encoder settings, for about three times the time
    char **inputs;
    int inputCount;
};

struct PlannedMember {
    std::string path;
    std::string name;
    uint32_t size;
    uint32_t timeStamp;
};

// The create verb's own usage, shown when its command line is short.
void PrintCreateUsage(void)
{
    PrintCreateSynopsis(stderr, "usage: ");
    fprintf(stderr, "  Packs the files, or every file of FOLDER, as \"-lh5-\" members of a level-1\n"
                    "  LHA archive.\n");
    PrintCreateOptions(stderr);
}

// Reads the options; returns 0 on a usage error (already reported).
int ParseCreateOptions(int argc, char **argv, CreateOptions *options)
{
    options->maxMembers = -1;
    options->allowStored = 0;
    options->quiet = 0;
    options->best = 0;
    unsigned processors = std::thread::hardware_concurrency();
    options->jobs = processors == 0 ? 1 : processors > MaxJobs ? MaxJobs : (int)processors;
    int i = 0;
    for (; i < argc && argv[i][0] == '-' && argv[i][1] == '-'; i++) {
        const char *option = argv[i];
        if (strcmp(option, "--") == 0) {
            i++;
            break;
        }
        if (strcmp(option, "--max-members") == 0) {
            if (i + 1 >= argc) {
                fprintf(stderr, "lzhpack: --max-members needs a number\n");
                return 0;
            }
            char *end = NULL;
            errno = 0;
            long value = strtol(argv[++i], &end, 10);
            if (errno != 0 || end == argv[i] || *end != '\0' || value < 0 || value > 65535) {
                fprintf(stderr, "lzhpack: --max-members wants a number from 0 to 65535, not '%s'\n", argv[i]);
                return 0;
            }
            options->maxMembers = value;
        } else if (strcmp(option, "--jobs") == 0) {
            char *end = NULL;
            long value = i + 1 < argc ? strtol(argv[i + 1], &end, 10) : 0;
            if (i + 1 >= argc || end == argv[i + 1] || *end != '\0' || value < 1 || value > MaxJobs) {
                fprintf(stderr, "lzhpack: --jobs wants a number from 1 to %d\n", (int)MaxJobs);
                return 0;
            }
            options->jobs = (int)value;
            i++;
        } else if (strcmp(option, "--allow-stored") == 0) {
            options->allowStored = 1;
        } else if (strcmp(option, "--quiet") == 0) {
            options->quiet = 1;
        } else if (strcmp(option, "--best") == 0) {
            options->best = 1;
        } else {
            fprintf(stderr, "lzhpack: unknown option '%s'\n", option);
            return 0;
        }
    }
    if (argc - i < 2) {
        PrintCreateUsage();
        return 0;
    }
    options->archivePath = argv[i];
    options->inputs = argv + i + 1;
    options->inputCount = argc - i - 1;
    return 1;
}

const char *BaseName(const char *path)
{
    const char *slash = strrchr(path, '/');
    return slash != NULL ? slash + 1 : path;
}

// Adds the regular file at path as a member named name. Returns 0 after
// reporting why it cannot be one.
int PlanMember(const std::string &path, const char *name, std::vector<PlannedMember> *members)
{
    struct stat info;
    if (stat(path.c_str(), &info) != 0) {
        fprintf(stderr, "lzhpack: cannot read '%s': %s\n", Shown(path).c_str(), strerror(errno));
        return 0;
    }
    if (!S_ISREG(info.st_mode)) {
        fprintf(stderr, "lzhpack: '%s' is not a regular file; the archive holds plain files only\n",
                Shown(path).c_str());
        return 0;
    }
    const char *problem = MemberNameProblem(name);
    if (problem != NULL) {
        fprintf(stderr, "lzhpack: '%s' cannot be a member name: %s\n", Shown(name).c_str(), problem);
        return 0;
    }
    if ((uint64_t)info.st_size > 0xFFFFFFFFu) {
        fprintf(stderr, "lzhpack: '%s' is larger than the 4 GiB an archive header can describe\n",
                Shown(path).c_str());
        return 0;
    }
    PlannedMember member;
    member.path = path;
    member.name = name;
    member.size = (uint32_t)info.st_size;
    member.timeStamp = MsDosTimeOfFile(info.st_mtime);
    members->push_back(member);
    return 1;
}

// Lists the files of folder, in name order.
int PlanFolder(const char *folder, std::vector<PlannedMember> *members)
{
    DIR *directory = opendir(folder);
    if (directory == NULL) {
        fprintf(stderr, "lzhpack: cannot read the folder '%s': %s\n", Shown(folder).c_str(), strerror(errno));
        return 0;
    }
    std::vector<std::string> names;
    struct dirent *entry;
    while ((entry = readdir(directory)) != NULL) {
        if (strcmp(entry->d_name, ".") != 0 && strcmp(entry->d_name, "..") != 0)
            names.push_back(entry->d_name);
    }
    closedir(directory);
    std::sort(names.begin(), names.end());
    std::string prefix = folder;
    if (prefix.empty() || prefix[prefix.size() - 1] != '/')
        prefix += '/';
    for (size_t i = 0; i < names.size(); i++)
        if (!PlanMember(prefix + names[i], names[i].c_str(), members))
            return 0;
    return 1;
}

// Collects every member and checks the whole set before anything is written.
int PlanArchive(const CreateOptions *options, std::vector<PlannedMember> *members)
{
    struct stat info;
    if (options->inputCount == 1 && stat(options->inputs[0], &info) == 0 && S_ISDIR(info.st_mode)) {
        if (!PlanFolder(options->inputs[0], members))
            return 0;
    } else {
        for (int i = 0; i < options->inputCount; i++)
            if (!PlanMember(options->inputs[i], BaseName(options->inputs[i]), members))
                return 0;
    }
    // Windows file names ignore case, so "A.DAT" and "a.dat" would collide.
    for (size_t i = 0; i < members->size(); i++)
        for (size_t j = i + 1; j < members->size(); j++)
            if (strcasecmp((*members)[i].name.c_str(), (*members)[j].name.c_str()) == 0) {
                fprintf(stderr, "lzhpack: two members would both be named '%s'\n", Shown((*members)[j].name).c_str());
                return 0;
            }
    if (options->maxMembers >= 0 && (long)members->size() > options->maxMembers) {
        fprintf(stderr, "lzhpack: %zu files are more than the %ld members allowed\n", members->size(),
                options->maxMembers);
        return 0;
    }
    return 1;
}

// Reads the whole file into data; it must still have its planned size.
int ReadMemberData(const PlannedMember &member, std::vector<uint8_t> *data)
{
    FILE *file = fopen(member.path.c_str(), "rb");
    if (file == NULL) {
        fprintf(stderr, "lzhpack: cannot open '%s': %s\n", Shown(member.path).c_str(), strerror(errno));
        return 0;
    }
    data->resize(member.size);
    size_t got = member.size != 0 ? fread(data->data(), 1, member.size, file) : 0;
    int extra = fgetc(file);
    int failed = ferror(file);
    fclose(file);
    if (failed || got != member.size || extra != EOF) {
        fprintf(stderr, "lzhpack: '%s' could not be read whole, or changed while being packed\n",
                Shown(member.path).c_str());
        return 0;
    }
    return 1;
}

// One member packed and ready to be written.
struct PackedMember {
    char methodCharacter;
    uint16_t crc;
    std::vector<uint8_t> body;  // the packed data, or the file itself for "-lh0-"
};

// Reads and packs one member. Reports its own failures; returns 0 on one.
int PackMember(const PlannedMember &member, const CreateOptions *options, const EncoderSettings *settings,
               PackedMember *packed)
{
    std::vector<uint8_t> data;
    if (!ReadMemberData(member, &data))
        return 0;
    packed->crc = MemberCrc16(data.data(), data.size());
    packed->methodCharacter = '5';
    EncodeLh5(data.data(), data.size(), settings, &packed->body);
    if (options->allowStored && packed->body.size() >= data.size() && !data.empty()) {
        packed->methodCharacter = '0';
        packed->body.swap(data);
    }
    if (packed->body.size() > 0xFFFFFFFFu) {
        fprintf(stderr, "lzhpack: '%s' packs to more than 4 GiB\n", Shown(member.path).c_str());
        return 0;
    }
    return 1;
}

// Writes one packed member's header and data to archive.
int WritePackedMember(FILE *archive, const PlannedMember &member, const PackedMember &packed,
                      const CreateOptions *options)
{
    MemberHeaderFields fields;
    fields.methodCharacter = packed.methodCharacter;
    fields.packedSize = (uint32_t)packed.body.size();
    fields.unpackedSize = member.size;
    fields.timeStamp = member.timeStamp;
    fields.name = member.name.c_str();
    fields.crc = packed.crc;

    uint8_t header[MaxLevel1HeaderBytes];
    size_t headerSize = BuildMemberHeader(&fields, header, sizeof header);
    if (headerSize == 0) {
        fprintf(stderr, "lzhpack: no header fits the name '%s'\n", Shown(member.name).c_str());
        return 0;
    }
    if (fwrite(header, 1, headerSize, archive) != headerSize ||
        (!packed.body.empty() && fwrite(packed.body.data(), 1, packed.body.size(), archive) != packed.body.size())) {
        fprintf(stderr, "lzhpack: writing the archive failed: %s\n", strerror(errno));
        return 0;
    }
    if (!options->quiet)
        printf("%-20s %10u -> %10u  -lh%c-\n", Shown(member.name).c_str(), member.size, fields.packedSize,
               fields.methodCharacter);
    return 1;
}

// Packs every member, options->jobs at a time: each thread takes the next
// member not yet taken, until all are packed or one has failed. Returns 1
// when every member is packed.
int PackAllMembers(const CreateOptions *options, const std::vector<PlannedMember> &members,
                   std::vector<PackedMember> *packed)
{
    packed->assign(members.size(), PackedMember());
    std::atomic<size_t> nextMember(0);
    std::atomic<int> failed(0);
    const EncoderSettings settings = options->best ? BestEncoderSettings() : DefaultEncoderSettings();
    auto worker = [&]() {
        for (;;) {
            size_t index = nextMember.fetch_add(1);
            if (index >= members.size() || failed.load())
                return;
            if (!PackMember(members[index], options, &settings, &(*packed)[index]))
                failed.store(1);
        }
    };
    int threadCount = options->jobs;
    if ((size_t)threadCount > members.size())
        threadCount = members.empty() ? 1 : (int)members.size();
    std::vector<std::thread> helpers;
    for (int t = 1; t < threadCount; t++)
        helpers.emplace_back(worker);
    worker();
    for (size_t t = 0; t < helpers.size(); t++)
        helpers[t].join();
    return !failed.load();
}

// Writes every member and the end marker to the temporary file, then puts
// it in the archive's place.
int WriteArchive(const CreateOptions *options, const std::vector<PlannedMember> &members)
{
    std::string temporaryPath = std::string(options->archivePath) + ".XXXXXX";
    std::vector<char> pathBuffer(temporaryPath.begin(), temporaryPath.end());
    pathBuffer.push_back('\0');
    int descriptor = mkstemp(pathBuffer.data());
    if (descriptor < 0) {
        fprintf(stderr, "lzhpack: cannot create '%s': %s\n", options->archivePath, strerror(errno));
        return 0;
    }
    mode_t mask = umask(0);
    umask(mask);
    fchmod(descriptor, 0666 & ~mask);
    FILE *archive = fdopen(descriptor, "wb");
    if (archive == NULL) {
        close(descriptor);
        unlink(pathBuffer.data());
        fprintf(stderr, "lzhpack: cannot write '%s': %s\n", options->archivePath, strerror(errno));
        return 0;
    }
    std::vector<PackedMember> packed;
    int ok = PackAllMembers(options, members, &packed);
    for (size_t i = 0; ok && i < members.size(); i++)
        ok = WritePackedMember(archive, members[i], packed[i], options);
    if (ok && fputc(0, archive) == EOF)
        ok = 0;
    if (fflush(archive) != 0 || ferror(archive))
        ok = 0;
    if (fclose(archive) != 0)
        ok = 0;
    if (ok && rename(pathBuffer.data(), options->archivePath) != 0) {
        fprintf(stderr, "lzhpack: cannot put the archive at '%s': %s\n", options->archivePath,
                strerror(errno));
        ok = 0;
    }
    if (!ok) {
        unlink(pathBuffer.data());
        fprintf(stderr, "lzhpack: '%s' was not written\n", options->archivePath);
    }
    return ok;
}

}  // namespace

void PrintCreateSynopsis(FILE *stream, const char *lead)
{
    fprintf(stream,
            "%slzhpack create [--max-members N] [--allow-stored] [--best] [--jobs N] [--quiet]\n"
            "%*s               ARCHIVE FILE...|FOLDER\n",
            lead, (int)strlen(lead), "");
}

void PrintCreateOptions(FILE *stream)
{
    fprintf(stream,
            "    --max-members N  refuse more than N members\n"
            "    --allow-stored   keep files that do not shrink as \"-lh0-\" members\n"
            "    --best           pack smaller, about 2%%, in about three times the time\n"
            "    --jobs N         pack N members at once (default: one per processor, at most %d)\n"
            "    --quiet          print no line per packed member\n",
            (int)MaxJobs);
}

int RunCreate(int argc, char **argv)
{
    CreateOptions options;
    if (!ParseCreateOptions(argc, argv, &options))
        return 2;
    std::vector<PlannedMember> members;
    if (!PlanArchive(&options, &members)) {
        fprintf(stderr, "lzhpack: '%s' was not written\n", options.archivePath);
        return 1;
    }
    return WriteArchive(&options, members) ? 0 : 1;
}
