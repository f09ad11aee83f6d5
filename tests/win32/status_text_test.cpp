// SetStatusText: the formatted text lands in the file-name label under the
// progress bar, cut to the label's 127 characters.
#include <windows.h>

#include <string>

#include <gtest/gtest.h>

#include "shell/shell_state.h"
#include "shell/support.h"

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

}  // namespace
