// Which folder entries the folder dialog accepts, and how it stores them.
#include <gtest/gtest.h>
#include <string.h>

#include <string>

#include "install/folder_entry.h"

namespace {

const size_t LongestName = 12;  // e.g. "kestdemo.exe"

struct Stored {
    FolderVerdict verdict;
    std::string folder;
};

Stored Enter(const std::string &entry, size_t folderSize = 260)
{
    char folder[300];
    memset(folder, 'x', sizeof folder);
    strcpy(folder, "before");
    FolderVerdict verdict = AcceptFolderEntry(entry.c_str(), LongestName, folder, folderSize);
    EXPECT_EQ(folder[folderSize], 'x') << "nothing written past the folder buffer";
    return {verdict, folder};
}

TEST(FolderEntry, AbsoluteFoldersAreStoredWithOneTrailingBackslash)
{
    Stored proposed = Enter("C:\\Program Files\\Brevald\\KestDemo");
    EXPECT_EQ(proposed.verdict, FolderAccepted);
    EXPECT_EQ(proposed.folder, "C:\\Program Files\\Brevald\\KestDemo\\");
    EXPECT_EQ(Enter("D:\\Games\\").folder, "D:\\Games\\");
    EXPECT_EQ(Enter("d:/games").folder, "d:/games\\");
    EXPECT_EQ(Enter("D:\\Games/").folder, "D:\\Games/\\") << "only a backslash counts";
    EXPECT_EQ(Enter("E:\\").folder, "E:\\") << "a drive's root";
    EXPECT_EQ(Enter("\\\\server\\share\\dir").folder, "\\\\server\\share\\dir\\");
}

TEST(FolderEntry, EmptyAndRelativeEntriesAreRefusedAndNothingIsStored)
{
    EXPECT_EQ(Enter("").verdict, FolderEmpty);
    for (const char *relative : {"Games", "D", "\\Games", "D:Games", "D:", ".\\x", "..\\x",
                                 "\\\\", "\\\\\\x", "1:\\x"}) {
        Stored stored = Enter(relative);
        EXPECT_EQ(stored.verdict, FolderRelative) << relative;
        EXPECT_EQ(stored.folder, "before") << relative;
    }
}

TEST(FolderEntry, TheLongestGameFileMustStillFitBesideTheFolder)
{
    // 260 bytes hold a folder of 247 characters (backslash included), a
    // 12-character name and the terminator.
    EXPECT_EQ(LongestFolderText(LongestName, 260), 247u);
    std::string longest = "C:\\" + std::string(243, 'a');  // 246 + backslash = 247
    EXPECT_EQ(Enter(longest).verdict, FolderAccepted);
    EXPECT_EQ(Enter(longest).folder.size(), 247u);
    EXPECT_EQ(Enter(longest + "\\").verdict, FolderAccepted) << "its backslash already typed";
    EXPECT_EQ(Enter(longest + "b").verdict, FolderTooLong);
    EXPECT_EQ(Enter(longest + "b").folder, "before");
    // The field takes 260 characters; such an entry never fits.
    EXPECT_EQ(Enter("C:\\" + std::string(257, 'a')).verdict, FolderTooLong);
}

TEST(FolderEntry, EveryRefusalHasItsOwnMessage)
{
    std::string empty = FolderVerdictMessage(FolderEmpty);
    std::string relative = FolderVerdictMessage(FolderRelative);
    std::string tooLong = FolderVerdictMessage(FolderTooLong);
    EXPECT_FALSE(empty.empty());
    EXPECT_NE(relative.find("drive"), std::string::npos);
    EXPECT_NE(tooLong.find("%u"), std::string::npos) << "tells the greatest length";
    EXPECT_NE(empty, relative);
}

}  // namespace

// The root's text, or "(refused)" when FreeSpaceRoot gives none.
static std::string RootOf(const char *folder, size_t size = 260)
{
    char root[260];
    return FreeSpaceRoot(folder, root, size) ? std::string(root) : "(refused)";
}

TEST(FreeSpaceRoot, DrivesGiveTheirRootAndSharesTheShareRoot)
{
    EXPECT_EQ("C:\\", RootOf("C:\\Program Files\\Brevald\\KestDemo\\"));
    EXPECT_EQ("D:\\", RootOf("D:/Games/"));
    EXPECT_EQ("\\\\server\\share\\", RootOf("\\\\server\\share\\Games\\KestDemo\\"));
    EXPECT_EQ("\\\\server\\share\\", RootOf("\\\\server\\share\\"));
    EXPECT_EQ("\\\\server\\share\\", RootOf("\\\\server\\share"));
    EXPECT_EQ("\\\\server\\share\\", RootOf("\\\\server\\share/Games/"));
    // No share named: the text stands as its own root, which cannot be read.
    EXPECT_EQ("\\\\server\\", RootOf("\\\\server\\"));
    // Anything else keeps the two-character rule, however wrong the root.
    EXPECT_EQ("ab\\", RootOf("abc"));
    EXPECT_EQ("a\\", RootOf("a"));
}

TEST(FreeSpaceRoot, ARootThatDoesNotFitIsRefusedEmpty)
{
    char root[8] = "xxxxxxx";
    EXPECT_EQ(0, FreeSpaceRoot("\\\\server\\share\\", root, sizeof root));
    EXPECT_STREQ("", root);
    EXPECT_EQ("C:\\", RootOf("C:\\Games\\", 4));
    EXPECT_EQ("(refused)", RootOf("C:\\Games\\", 3));
}
