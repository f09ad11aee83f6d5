// Path joining, folder completion, bounded formatting and centring.
#include <gtest/gtest.h>
#include <string.h>

#include "support/support.h"
#include "support/text_format.h"

namespace {

// Joins name onto folder in a buffer of the given size filled with 'x', and
// returns the buffer so that the bytes after the text can be checked.
struct Joined {
    int result;
    char bytes[64];
};

Joined Join(const char *folder, const char *name, size_t size = 64)
{
    Joined joined;
    memset(joined.bytes, 'x', sizeof joined.bytes);
    strcpy(joined.bytes, folder);
    joined.result = AppendPath(joined.bytes, size, name);
    return joined;
}

TEST(AppendPath, PutsOneBackslashBetweenFolderAndName)
{
    Joined joined = Join("D:\\Games", "x.exe");
    EXPECT_EQ(joined.result, 1);
    EXPECT_STREQ(joined.bytes, "D:\\Games\\x.exe");
    EXPECT_EQ(joined.bytes[strlen("D:\\Games\\x.exe") + 1], '\0') << "second terminator";
}

TEST(AppendPath, AddsNoSeparatorAfterBackslashOrSlash)
{
    EXPECT_STREQ(Join("D:\\Games\\", "x.exe").bytes, "D:\\Games\\x.exe");
    EXPECT_STREQ(Join("D:/Games/", "x.exe").bytes, "D:/Games/x.exe");
    Joined joined = Join("D:/Games/", "x.exe");
    EXPECT_EQ(joined.bytes[strlen("D:/Games/x.exe") + 1], '\0');
}

TEST(AppendPath, EmptyFolderGivesTheNameAlone)
{
    Joined joined = Join("", "x.exe");
    EXPECT_STREQ(joined.bytes, "x.exe");
    EXPECT_EQ(joined.bytes[6], '\0');
}

TEST(AppendPath, RefusesWhatWouldNotFitAndLeavesThePathAlone)
{
    // "ab" + "\" + "cd" = 5 characters, plus two zero bytes: 7 bytes.
    Joined fits = Join("ab", "cd", 7);
    EXPECT_EQ(fits.result, 1);
    EXPECT_STREQ(fits.bytes, "ab\\cd");
    EXPECT_EQ(fits.bytes[6], '\0');
    EXPECT_EQ(fits.bytes[7], 'x') << "nothing written past the buffer";

    Joined tooLong = Join("ab", "cd", 6);
    EXPECT_EQ(tooLong.result, 0);
    EXPECT_STREQ(tooLong.bytes, "ab");
    EXPECT_EQ(tooLong.bytes[3], 'x');
}

TEST(AddTrailingBackslash, CompletesFoldersLongerThanOneCharacter)
{
    char folder[16] = "D:\\Games\\Demo";
    EXPECT_EQ(AddTrailingBackslash(folder, sizeof folder), 1);
    EXPECT_STREQ(folder, "D:\\Games\\Demo\\");
    EXPECT_EQ(AddTrailingBackslash(folder, sizeof folder), 1);
    EXPECT_STREQ(folder, "D:\\Games\\Demo\\") << "an existing backslash is kept alone";

    char slash[16] = "D:/Games/";
    AddTrailingBackslash(slash, sizeof slash);
    EXPECT_STREQ(slash, "D:/Games/\\") << "only a backslash counts";

    char one[4] = "D";
    AddTrailingBackslash(one, sizeof one);
    EXPECT_STREQ(one, "D");
    char empty[4] = "";
    AddTrailingBackslash(empty, sizeof empty);
    EXPECT_STREQ(empty, "");
}

TEST(AddTrailingBackslash, RefusesWhenTheBackslashWouldNotFit)
{
    char full[6] = "abcde";  // five characters fill the six bytes
    EXPECT_EQ(AddTrailingBackslash(full, sizeof full), 0);
    EXPECT_STREQ(full, "abcde");
    char room[7] = "abcde";
    EXPECT_EQ(AddTrailingBackslash(room, sizeof room), 1);
    EXPECT_STREQ(room, "abcde\\");
}

TEST(FormatText, CutsLongTextsAtTheBufferAndTerminates)
{
    char buffer[8];
    memset(buffer, 'x', sizeof buffer);
    size_t length = FormatText(buffer, 6, "%s-%d", "abcdef", 42);
    EXPECT_EQ(length, 5u);
    EXPECT_STREQ(buffer, "abcde");
    EXPECT_EQ(buffer[6], 'x');
    EXPECT_EQ(FormatText(buffer, sizeof buffer, "%u%%", 99u), 3u);
    EXPECT_STREQ(buffer, "99%");
}

TEST(CopyText, RefusesTextsThatDoNotFit)
{
    char buffer[4];
    EXPECT_EQ(CopyText(buffer, sizeof buffer, "abc"), 1);
    EXPECT_STREQ(buffer, "abc");
    EXPECT_EQ(CopyText(buffer, sizeof buffer, "abcd"), 0);
    EXPECT_STREQ(buffer, "");
}

TEST(CenteredStart, CentresADialogOverTheMainWindow)
{
    // A 200 x 100 dialog over the main window at (100, 100)-(500, 380).
    EXPECT_EQ(CenteredStart(100, 400, 200), 200);
    EXPECT_EQ(CenteredStart(100, 280, 100), 190);
    // Larger than the main window: it reaches beyond it on both sides, and
    // the odd difference truncates toward zero.
    EXPECT_EQ(CenteredStart(100, 400, 501), 50);
    EXPECT_EQ(CenteredStart(0, 400, 403), -1);
}

}  // namespace
