// SetStatusText: the formatted text lands in the file-name label under the
// progress bar, cut to the label's 127 characters. StartProgress and
// StepProgress: the progress bar shows what stepping it block by block
// shows, at the end of each piece of work and wherever a person could see it.
#include <windows.h>
#include <commctrl.h>

#include <string>

#include <gtest/gtest.h>

#include "support/program_state.h"
#include "support/support.h"

namespace {

// The label's text as the window holds it.
std::string LabelText()
{
    char text[1024];
    GetWindowTextA(StatusLabel, text, sizeof text);
    return text;
}

class StatusTextTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        StatusLabel = CreateWindowExA(0, "static", "filename.ext", WS_POPUP | SS_CENTER, 0, 0,
                                      388, 32, NULL, NULL, GetModuleHandleA(NULL), NULL);
        ASSERT_NE(nullptr, StatusLabel);
    }
    void TearDown() override
    {
        DestroyWindow(StatusLabel);
        StatusLabel = NULL;
    }
};

TEST_F(StatusTextTest, ShowsTheFormattedText)
{
    SetStatusText("Extracting %s to %s", "kestdemo.exe", "C:\\Games\\kestdemo.exe");
    EXPECT_EQ("Extracting kestdemo.exe to C:\\Games\\kestdemo.exe", LabelText());

    SetStatusText("%d of %d", 3, 28);
    EXPECT_EQ("3 of 28", LabelText());
}

TEST_F(StatusTextTest, TextLongerThan127CharactersIsCutAt127)
{
    std::string longText(200, 'x');
    for (size_t i = 0; i < longText.size(); i++)
        longText[i] = (char)('a' + i % 26);

    SetStatusText("%s", longText.c_str());

    EXPECT_EQ(longText.substr(0, 127), LabelText());
}

// The amount of one step: one block of the unpacking.
const uint32_t BlockSize = 8192;

class ProgressTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        InitCommonControls();
        // The bar as the main window makes it, and a second one stepped
        // block by block for comparison.
        ProgressBar = MakeBar(WS_VISIBLE);
        reference = MakeBar(0);
        ASSERT_NE(nullptr, ProgressBar);
        ASSERT_NE(nullptr, reference);
    }
    void TearDown() override
    {
        DestroyWindow(ProgressBar);
        DestroyWindow(reference);
        ProgressBar = NULL;
    }
    static HWND MakeBar(DWORD visible)
    {
        return CreateWindowExA(0, PROGRESS_CLASSA, NULL, WS_POPUP | WS_BORDER | visible, 4, 4,
                               388, 30, NULL, NULL, GetModuleHandleA(NULL), NULL);
    }
    void StartReference(uint32_t total)
    {
        SendMessageA(reference, PBM_SETPOS, 0, 0);
        SendMessageA(reference, PBM_SETRANGE32, 0, (LPARAM)total);
        SendMessageA(reference, PBM_SETSTEP, BlockSize, 0);
    }
    static LRESULT Position(HWND bar) { return SendMessageA(bar, PBM_GETPOS, 0, 0); }

    HWND reference = NULL;
};

TEST_F(ProgressTest, EachPieceOfWorkEndsWhereSteppingBlockByBlockEnds)
{
    // Empty, one short block, exact multiples of the block, a short last
    // block (where a step past the end starts the bar over), a large piece.
    const uint32_t sizes[] = {0, 1, 896, BlockSize - 1, BlockSize, BlockSize + 1,
                              3 * BlockSize, 26504, 4609356};
    for (int hidden = 0; hidden <= 1; hidden++) {
        ShowWindow(ProgressBar, hidden ? SW_HIDE : SW_SHOWNA);
        for (uint32_t size : sizes) {
            SCOPED_TRACE(testing::Message() << "size " << size << (hidden ? ", hidden" : ""));
            StartProgress(size, BlockSize);
            StartReference(size);
            for (uint32_t done = 0; done < size; done += BlockSize) {
                StepProgress();
                SendMessageA(reference, PBM_STEPIT, 0, 0);
            }
            EXPECT_EQ(Position(reference), Position(ProgressBar));
        }
    }
}

TEST_F(ProgressTest, BlocksSlowerThanADisplayFrameAreEachShown)
{
    const uint32_t size = 5 * BlockSize + 100;
    StartProgress(size, BlockSize);
    StartReference(size);
    EXPECT_EQ(0, Position(ProgressBar));
    for (int block = 0; block < 6; block++) {
        Sleep(40);  // longer than a frame of a 60 Hz display
        StepProgress();
        SendMessageA(reference, PBM_STEPIT, 0, 0);
        EXPECT_EQ(Position(reference), Position(ProgressBar)) << "after block " << block;
    }
}

}  // namespace
