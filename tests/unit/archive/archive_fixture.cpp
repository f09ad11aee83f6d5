#include "tests/unit/archive/archive_fixture.h"

#include <string.h>
#include <sys/stat.h>

#include <filesystem>
#include <memory>

#include "archive/archive_reader.h"
#include "support/settings.h"
#include "tests/support/capture_support.h"

void ArchiveFixture::SetUp()
{
    std::string pattern = std::filesystem::temp_directory_path().string() + "/kest-archive-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    ASSERT_NE(mkdtemp(name.data()), nullptr);
    folder = std::string(name.data()) + "/";
    ASSERT_LT(folder.size(), sizeof InstallFolder);
    strcpy(InstallFolder, folder.c_str());
    SupportEvents.clear();
    ArchiveTestOnly = 0;
    SetReplacementInput("");
}

void ArchiveFixture::TearDown()
{
    if (replacementInput != nullptr)
        fclose(replacementInput);
    replacementInput = nullptr;
    ReplacementInput = nullptr;
    ArchiveTestOnly = 0;
    std::filesystem::remove_all(folder);
}

void ArchiveFixture::SetReplacementInput(const std::string &text)
{
    if (replacementInput != nullptr)
        fclose(replacementInput);
    replacementInput = tmpfile();
    ASSERT_NE(replacementInput, nullptr);
    fwrite(text.data(), 1, text.size(), replacementInput);
    rewind(replacementInput);
    ReplacementInput = replacementInput;
}

int ArchiveFixture::Extract(const Bytes &archive, uint16_t limit)
{
    std::unique_ptr<uint8_t[]> exact(new uint8_t[archive.size() + (archive.empty() ? 1 : 0)]);
    if (!archive.empty())
        memcpy(exact.get(), archive.data(), archive.size());
    return ExtractArchive(limit, exact.get(), (uint32_t)archive.size());
}

bool ArchiveFixture::Exists(const std::string &name) const
{
    struct stat info;
    return stat(PathOf(name).c_str(), &info) == 0;
}
