// The journal of what an install made: what it notes, its bounds, and the
// order in which the undo takes things back, on real files and folders.
#include <gtest/gtest.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "install/install_journal.h"
#include "tests/support/capture_support.h"

namespace {

using Strings = std::vector<std::string>;

class JournalTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/kest-journal-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        base = pattern;
        SupportEvents.clear();
        StartJournal(journal);
    }
    void TearDown() override
    {
        std::filesystem::remove_all(base);
        delete journal;
    }
    void MakeFile(const std::string &path)
    {
        FILE *file = fopen(path.c_str(), "wb");
        ASSERT_NE(file, nullptr);
        fputs("x", file);
        fclose(file);
    }
    bool Exists(const std::string &path) { return std::filesystem::exists(path); }

    std::string base;
    InstallJournal *journal = new InstallJournal;  // too big for the stack
};

TEST_F(JournalTest, UndoDeletesNewFilesNewestFirstThenFoldersDeepestFirst)
{
    // Folders are noted before they are made: only the missing ones.
    std::filesystem::create_directory(base + "/games");
    std::string folder = base + "/games/new/deep/";
    ASSERT_EQ(JournalMissingFolders(journal, folder.c_str()), 1);
    EXPECT_EQ(journal->folderCount, 2u);
    std::filesystem::create_directories(folder);

    MakeFile(folder + "old.dat");  // there before: overwritten, never noted
    for (const char *name : {"one.dat", "two.dat", "old.dat"}) {
        std::string path = folder + name;
        ASSERT_EQ(JournalNewFile(journal, path.c_str()), 1);
        MakeFile(path);
    }
    // Noted, but its creation failed: passed over by the undo.
    ASSERT_EQ(JournalNewFile(journal, (folder + "never.dat").c_str()), 1);

    // A folder that holds a file of someone else's stays.
    EXPECT_EQ(UndoJournal(journal), 0);
    EXPECT_EQ(SupportEvents,
              (Strings{"delete: " + folder + "two.dat", "log: undo: deleted the file " + folder + "two.dat",
                       "delete: " + folder + "one.dat", "log: undo: deleted the file " + folder + "one.dat",
                       "rmdir failed: " + base + "/games/new/deep",
                       "log: undo: could not remove the folder " + base + "/games/new/deep",
                       "rmdir failed: " + base + "/games/new",
                       "log: undo: could not remove the folder " + base + "/games/new",
                       "log: undo: 2 files and 0 folders of this install removed, 2 left"}));
    EXPECT_TRUE(Exists(folder + "old.dat"));
    EXPECT_EQ(journal->fileCount + journal->folderCount, 0u);

    // Without the stranger's file both folders go, the deepest first.
    SupportEvents.clear();
    ASSERT_EQ(JournalMissingFolders(journal, (base + "/games/new/deep").c_str()), 1);
    EXPECT_EQ(journal->folderCount, 0u);  // all exist now: nothing to note
    std::filesystem::remove(folder + "old.dat");
    std::filesystem::remove_all(base + "/games/new");
    ASSERT_EQ(JournalMissingFolders(journal, folder.c_str()), 1);
    std::filesystem::create_directories(folder);
    EXPECT_EQ(UndoJournal(journal), 1);
    EXPECT_EQ(EventsOf("rmdir: "), (Strings{base + "/games/new/deep", base + "/games/new"}));
    EXPECT_TRUE(Exists(base + "/games"));
    EXPECT_FALSE(Exists(base + "/games/new"));
}

TEST_F(JournalTest, AFullJournalRefusesTheNextFileAndKeepsWhatItHolds)
{
    for (unsigned i = 0; i < JournalFileLimit; i++)
        ASSERT_EQ(JournalNewFile(journal, (base + "/f" + std::to_string(i)).c_str()), 1) << i;
    EXPECT_EQ(JournalNewFile(journal, (base + "/one-more").c_str()), 0);
    EXPECT_EQ(journal->fileCount, (unsigned)JournalFileLimit);
    // A path that is there already needs no room.
    MakeFile(base + "/there");
    EXPECT_EQ(JournalNewFile(journal, (base + "/there").c_str()), 1);

    // A folder text longer than a path buffer is refused whole, noting
    // nothing (within one, every folder it can name fits the journal).
    std::string deep = base;
    for (unsigned i = 0; i <= JournalFolderLimit && deep.size() + 2 < 4000; i++)
        deep += "/d";
    EXPECT_EQ(JournalMissingFolders(journal, deep.c_str()), 0);
    EXPECT_EQ(journal->folderCount, 0u);

    // None of the noted files was made: the undo has nothing to say.
    EXPECT_EQ(UndoJournal(journal), 1);
    EXPECT_TRUE(SupportEvents.empty());
    EXPECT_TRUE(Exists(base + "/there"));
}

}  // namespace
