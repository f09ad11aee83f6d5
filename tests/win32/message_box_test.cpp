// MessageBoxFormat as the user sees it: a second thread of this test waits
// for the box, reads its caption, text, buttons and icon and whether the
// main window is disabled behind it, then presses OK.
#include <windows.h>
#include <string.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/program_state.h"
#include "support/support.h"

namespace {

const DWORD BoxTimeoutMs = 15000;
const int MessageTextId = 0xFFFF;  // the control id of a message box's text

// What the watching thread saw of the message box.
struct SeenBox {
    bool found;
    std::string caption;
    std::string text;
    std::vector<std::string> buttonTexts;
    std::vector<int> buttonIds;
    bool hasIcon;
    HWND owner;
    bool ownerEnabled;  // the main window's state while the box was up
};

SeenBox Seen;

// EnumThreadWindows callback: stops at a visible dialog-class window
// captioned "Brevald" and stores it in *lParam.
BOOL CALLBACK FindBox(HWND window, LPARAM lParam)
{
    char className[64];
    char caption[256];
    GetClassNameA(window, className, sizeof className);
    GetWindowTextA(window, caption, sizeof caption);
    if (strcmp(className, "#32770") != 0 || !IsWindowVisible(window) ||
        strcmp(caption, "Brevald") != 0)
        return TRUE;
    *(HWND *)lParam = window;
    return FALSE;
}

// EnumChildWindows callback: notes the text, the buttons and the icon.
BOOL CALLBACK ReadBoxControl(HWND control, LPARAM lParam)
{
    (void)lParam;
    char className[64];
    char text[1024];
    GetClassNameA(control, className, sizeof className);
    GetWindowTextA(control, text, sizeof text);
    if (lstrcmpiA(className, "Button") == 0 && IsWindowVisible(control)) {
        Seen.buttonTexts.push_back(text);
        Seen.buttonIds.push_back(GetDlgCtrlID(control));
    } else if (lstrcmpiA(className, "Static") == 0) {
        LONG style = GetWindowLongA(control, GWL_STYLE);
        if ((style & SS_TYPEMASK) == SS_ICON) {
            if (IsWindowVisible(control) && SendMessageA(control, STM_GETICON, 0, 0) != 0)
                Seen.hasIcon = true;
        } else if ((GetDlgCtrlID(control) & 0xFFFF) == MessageTextId) {
            Seen.text = text;
        }
    }
    return TRUE;
}

// The watching thread: lParam is the id of the thread that shows the box.
// Waits for the box, records it in Seen, and presses its first button.
DWORD WINAPI WatchForBox(LPVOID parameter)
{
    DWORD boxThread = (DWORD)(UINT_PTR)parameter;
    DWORD start = GetTickCount();
    HWND box = NULL;
    while (box == NULL && GetTickCount() - start < BoxTimeoutMs) {
        EnumThreadWindows(boxThread, FindBox, (LPARAM)&box);
        if (box == NULL)
            Sleep(20);
    }
    if (box == NULL)
        return 1;
    Seen.found = true;
    char caption[256];
    GetWindowTextA(box, caption, sizeof caption);
    Seen.caption = caption;
    Seen.owner = GetWindow(box, GW_OWNER);
    Seen.ownerEnabled = MainWindow != NULL && IsWindowEnabled(MainWindow);
    EnumChildWindows(box, ReadBoxControl, 0);
    // Press OK (or whatever the first button is) so that the box returns.
    HWND button = FindWindowExA(box, NULL, "Button", NULL);
    if (button != NULL)
        PostMessageA(button, BM_CLICK, 0, 0);
    else
        PostMessageA(box, WM_COMMAND, IDOK, 0);
    return 0;
}

LRESULT CALLBACK PlainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(window, message, wParam, lParam);
}

class MessageBoxFormatTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Seen = SeenBox();
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = PlainWindowProc;
        windowClass.hInstance = GetModuleHandleA(NULL);
        windowClass.lpszClassName = "MessageBoxTestMain";
        RegisterClassA(&windowClass);
        MainWindow = CreateWindowExA(0, "MessageBoxTestMain", "KestDemo", WS_POPUP, 100, 100,
                                     400, 280, NULL, NULL, windowClass.hInstance, NULL);
        ASSERT_NE(nullptr, MainWindow);
        ShowWindow(MainWindow, SW_SHOWNORMAL);
    }

    void TearDown() override
    {
        DestroyWindow(MainWindow);
        MainWindow = NULL;
    }

    // Shows the box through showBox while a watcher reads and closes it;
    // returns the box's result.
    template <typename ShowBox>
    int ShowWatched(ShowBox showBox)
    {
        HANDLE watcher = CreateThread(NULL, 0, WatchForBox,
                                      (LPVOID)(UINT_PTR)GetCurrentThreadId(), 0, NULL);
        EXPECT_NE(nullptr, watcher);
        int result = showBox();
        if (watcher != NULL) {
            EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(watcher, BoxTimeoutMs + 5000));
            CloseHandle(watcher);
        }
        return result;
    }
};

TEST_F(MessageBoxFormatTest, ShowsTheFormattedTextWithCaptionBrevaldAndOneOkButton)
{
    int result = ShowWatched(
        [] { return MessageBoxFormat("Error %d in %s: %s", 42, "KESTDEMO.EXE", "bad CRC"); });

    ASSERT_TRUE(Seen.found) << "no message box captioned Brevald appeared";
    EXPECT_EQ(IDOK, result);
    EXPECT_EQ("Brevald", Seen.caption);
    EXPECT_EQ("Error 42 in KESTDEMO.EXE: bad CRC", Seen.text);
    ASSERT_EQ(1u, Seen.buttonTexts.size());
    EXPECT_EQ("OK", Seen.buttonTexts[0]);
    EXPECT_EQ(IDOK, Seen.buttonIds[0]);
    EXPECT_FALSE(Seen.hasIcon);
}

TEST_F(MessageBoxFormatTest, IsOwnedByTheMainWindowAndDisablesItWhileShown)
{
    ShowWatched([] { return MessageBoxFormat("%s", "owned"); });

    ASSERT_TRUE(Seen.found);
    EXPECT_EQ(MainWindow, Seen.owner);
    EXPECT_FALSE(Seen.ownerEnabled);
    EXPECT_TRUE(IsWindowEnabled(MainWindow));
}

TEST_F(MessageBoxFormatTest, KeepsLineFeedsOfTheText)
{
    ShowWatched([] { return MessageBoxFormat("   %s   \n\n", "Line one"); });

    ASSERT_TRUE(Seen.found);
    EXPECT_EQ("   Line one   \n\n", Seen.text);
}

TEST_F(MessageBoxFormatTest, TextLongerThan255CharactersIsCutAt255)
{
    std::string longText(300, 'x');
    for (size_t i = 0; i < longText.size(); i++)
        longText[i] = (char)('A' + i % 26);

    ShowWatched([&longText] { return MessageBoxFormat("%s", longText.c_str()); });

    ASSERT_TRUE(Seen.found);
    EXPECT_EQ(longText.substr(0, 255), Seen.text);
}

}  // namespace
