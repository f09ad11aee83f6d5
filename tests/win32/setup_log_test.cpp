// The setup log C:\BREVALD_SETUP.LOG as runs of the program leave it.
//
// The first line of each run empties the log, so every "run" here is a child
// process of this test program started with
//   setup_log_test --log-lines LINE...
// which writes each LINE with SetupLog("%s", LINE), or with
//   setup_log_test --log-formats
// which writes a few lines through the printf-style conversions.
#include <windows.h>
#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/support.h"
#include "tools/host/whole_file.h"

namespace {

const char LogPath[] = "C:\\BREVALD_SETUP.LOG";
const DWORD ChildTimeoutMs = 30000;

// The log's bytes, or "<missing>" when there is no log file.
std::string ReadLog()
{
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(LogPath, &bytes))
        return "<missing>";
    return std::string(bytes.begin(), bytes.end());
}

void WriteLog(const std::string &bytes)
{
    FILE *log = fopen(LogPath, "wb");
    ASSERT_NE(nullptr, log);
    fwrite(bytes.data(), 1, bytes.size(), log);
    fclose(log);
}

// Runs this program again with the arguments (already quoted as needed) and
// returns its exit code, or -1 when it could not be started or did not end
// in time (it is then ended).
int RunChild(const std::string &arguments)
{
    char self[MAX_PATH];
    if (GetModuleFileNameA(NULL, self, sizeof self) == 0)
        return -1;
    std::string commandLine = std::string("\"") + self + "\" " + arguments;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(NULL, &commandLine[0], NULL, NULL, FALSE, 0, NULL, NULL, &startup,
                        &process))
        return -1;
    DWORD exitCode = (DWORD)-1;
    if (WaitForSingleObject(process.hProcess, ChildTimeoutMs) == WAIT_OBJECT_0)
        GetExitCodeProcess(process.hProcess, &exitCode);
    else
        TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return (int)exitCode;
}

// The last write time of the log, as a 64-bit count; 0 when it is missing.
ULONGLONG LogWriteTime()
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(LogPath, GetFileExInfoStandard, &data))
        return 0;
    return ((ULONGLONG)data.ftLastWriteTime.dwHighDateTime << 32) |
           data.ftLastWriteTime.dwLowDateTime;
}

class SetupLogRuns : public ::testing::Test {
protected:
    void SetUp() override { DeleteFileA(LogPath); }
    void TearDown() override { DeleteFileA(LogPath); }
};

TEST_F(SetupLogRuns, FirstLineOfARunEmptiesTheLogAndLaterLinesAppend)
{
    WriteLog("an earlier run's line\r\nand another\r\n");

    ASSERT_EQ(0, RunChild("--log-lines \"first line\" second \"third, the last\""));
    EXPECT_EQ("first line\r\nsecond\r\nthird, the last\r\n", ReadLog());

    ASSERT_EQ(0, RunChild("--log-lines \"next run\""));
    EXPECT_EQ("next run\r\n", ReadLog());
}

TEST_F(SetupLogRuns, FirstLineCreatesAMissingLog)
{
    ASSERT_EQ("<missing>", ReadLog());
    ASSERT_EQ(0, RunChild("--log-lines only"));
    EXPECT_EQ("only\r\n", ReadLog());
}

TEST_F(SetupLogRuns, ARunWithoutLogLinesLeavesTheLogUntouched)
{
    const std::string earlier = "Extracting a to b\r\n";
    WriteLog(earlier);
    ULONGLONG before = LogWriteTime();
    Sleep(50);  // so that a rewrite would show in the write time

    ASSERT_EQ(0, RunChild("--log-lines"));

    EXPECT_EQ(earlier, ReadLog());
    EXPECT_EQ(before, LogWriteTime());
}

TEST_F(SetupLogRuns, ARunWithoutLogLinesCreatesNoLog)
{
    ASSERT_EQ(0, RunChild("--log-lines"));
    EXPECT_EQ("<missing>", ReadLog());
}

TEST_F(SetupLogRuns, LinesAreFormattedWithPrintfConversions)
{
    ASSERT_EQ(0, RunChild("--log-formats"));
    EXPECT_EQ("Extracting kestdemo.exe to C:\\Games\\kestdemo.exe\r\n"
              "Not enough disk space on for installation. needed = 8500000, avail = -1\r\n"
              "ratio 1.50 char Z hex 0x1f\r\n",
              ReadLog());
}

TEST_F(SetupLogRuns, ALineLongerThan255CharactersIsCutAt255)
{
    std::string line(300, 'x');
    for (size_t i = 0; i < line.size(); i++)
        line[i] = (char)('a' + i % 26);
    ASSERT_EQ(0, RunChild("--log-lines " + line + " after"));
    EXPECT_EQ(line.substr(0, 255) + "\r\nafter\r\n", ReadLog());
}

TEST_F(SetupLogRuns, ALogLockedWithoutWriteSharingLosesTheLineQuietly)
{
    WriteLog("kept\r\n");
    HANDLE lock = CreateFileA(LogPath, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, lock);

    int status = RunChild("--log-lines lost");
    CloseHandle(lock);

    EXPECT_EQ(0, status);
    EXPECT_EQ("kept\r\n", ReadLog());
}

// The child runs: each is one run of "the program" as far as the log goes.
int WriteLogLines(int count, char **lines)
{
    for (int i = 0; i < count; i++)
        SetupLog("%s", lines[i]);
    return 0;
}

int WriteFormattedLines()
{
    SetupLog("Extracting %s to %s", "kestdemo.exe", "C:\\Games\\kestdemo.exe");
    SetupLog("Not enough disk space on for installation. needed = %d, avail = %d", 8500000, -1);
    SetupLog("ratio %.2f char %c hex 0x%x", 1.5, 'Z', 31);
    return 0;
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc >= 2 && strcmp(argv[1], "--log-lines") == 0)
        return WriteLogLines(argc - 2, argv + 2);
    if (argc == 2 && strcmp(argv[1], "--log-formats") == 0)
        return WriteFormattedLines();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
