// kestdemo.exe: the sample demo game. A window titled "Rarivur Ivad Oraz"
// in which a ball bounces over a scrolling starfield, driven by a timer;
// Escape closes it. The game writes no file of its own, except that when
// the environment variable KESTDEMO_REPORT names a file, it writes its
// working directory there at start (the bare path, no line end), so that
// tests can see where it was started.
#include <windows.h>

#include <stdint.h>

namespace {

const char WindowClassName[] = "KestDemoGame";
const char WindowTitle[] = "Rarivur Ivad Oraz";
const UINT_PTR FrameTimer = 1;
const UINT FrameMilliseconds = 40;
const int ClientWidth = 480;
const int ClientHeight = 320;
const int BallRadius = 14;
const int StarCount = 64;

struct Star {
    int x;
    int y;
    int speed;
};

// The game's whole state: the ball and the stars.
struct GameState {
    int ballX, ballY;
    int ballDX, ballDY;
    Star stars[StarCount];
    uint32_t random;
};

GameState Game;

uint32_t NextRandom(void)
{
    uint32_t x = Game.random;
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    Game.random = x;
    return x;
}

// Writes the working directory to the file KESTDEMO_REPORT names, if any.
void ReportWorkingDirectory(void)
{
    char reportPath[MAX_PATH];
    DWORD length = GetEnvironmentVariableA("KESTDEMO_REPORT", reportPath, sizeof reportPath);
    if (length == 0 || length >= sizeof reportPath)
        return;
    char directory[MAX_PATH];
    DWORD directoryLength = GetCurrentDirectoryA(sizeof directory, directory);
    if (directoryLength == 0 || directoryLength >= sizeof directory)
        return;
    HANDLE file = CreateFileA(reportPath, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    WriteFile(file, directory, directoryLength, &written, NULL);
    CloseHandle(file);
}

void StartGame(void)
{
    Game.random = 0x2545F491u;
    Game.ballX = ClientWidth / 3;
    Game.ballY = ClientHeight / 4;
    Game.ballDX = 5;
    Game.ballDY = 0;
    for (int i = 0; i < StarCount; i++) {
        Game.stars[i].x = (int)(NextRandom() % ClientWidth);
        Game.stars[i].y = (int)(NextRandom() % ClientHeight);
        Game.stars[i].speed = 1 + (int)(NextRandom() % 4);
    }
}

// One frame: stars drift left, the ball falls and bounces off the edges.
void AdvanceGame(void)
{
    for (int i = 0; i < StarCount; i++) {
        Game.stars[i].x -= Game.stars[i].speed;
        if (Game.stars[i].x < 0) {
            Game.stars[i].x += ClientWidth;
            Game.stars[i].y = (int)(NextRandom() % ClientHeight);
        }
    }
    Game.ballDY += 1;
    Game.ballX += Game.ballDX;
    Game.ballY += Game.ballDY;
    if (Game.ballY > ClientHeight - BallRadius) {
        Game.ballY = ClientHeight - BallRadius;
        Game.ballDY = -Game.ballDY * 9 / 10;
        if (Game.ballDY > -8)
            Game.ballDY = -18;  // keep it bouncing
    }
    if (Game.ballX < BallRadius || Game.ballX > ClientWidth - BallRadius) {
        Game.ballDX = -Game.ballDX;
        Game.ballX += Game.ballDX;
    }
}

// Draws a frame into a memory bitmap and copies it to the window at once,
// so nothing flickers.
void PaintGame(HWND window)
{
    PAINTSTRUCT paint;
    HDC screen = BeginPaint(window, &paint);
    RECT client;
    GetClientRect(window, &client);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP frame = CreateCompatibleBitmap(screen, client.right, client.bottom);
    HGDIOBJ oldBitmap = SelectObject(memory, frame);

    FillRect(memory, &client, (HBRUSH)GetStockObject(BLACK_BRUSH));
    for (int i = 0; i < StarCount; i++) {
        BYTE level = (BYTE)(80 + Game.stars[i].speed * 40);
        SetPixel(memory, Game.stars[i].x, Game.stars[i].y, RGB(level, level, level));
    }
    HBRUSH ballBrush = CreateSolidBrush(RGB(240, 120, 170));
    HGDIOBJ oldBrush = SelectObject(memory, ballBrush);
    Ellipse(memory, Game.ballX - BallRadius, Game.ballY - BallRadius, Game.ballX + BallRadius,
            Game.ballY + BallRadius);
    SelectObject(memory, oldBrush);
    DeleteObject(ballBrush);
    SetBkMode(memory, TRANSPARENT);
    SetTextColor(memory, RGB(255, 210, 60));
    static const char hint[] = "Rarivur Ivad Oraz demo - Escape leaves";
    TextOutA(memory, 8, 8, hint, (int)(sizeof hint - 1));

    BitBlt(screen, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
    SelectObject(memory, oldBitmap);
    DeleteObject(frame);
    DeleteDC(memory);
    EndPaint(window, &paint);
}

void OnTimer(HWND window)
{
    AdvanceGame();
    InvalidateRect(window, NULL, FALSE);
}

void OnKeyDown(HWND window, WPARAM key)
{
    if (key == VK_ESCAPE)
        DestroyWindow(window);
}

LRESULT CALLBACK GameWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_TIMER:
        OnTimer(window);
        return 0;
    case WM_PAINT:
        PaintGame(window);
        return 0;
    case WM_ERASEBKGND:
        return 1;  // the frame covers everything
    case WM_KEYDOWN:
        OnKeyDown(window, wParam);
        return 0;
    case WM_DESTROY:
        KillTimer(window, FrameTimer);
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand)
{
    ReportWorkingDirectory();
    StartGame();

    WNDCLASSA windowClass;
    ZeroMemory(&windowClass, sizeof windowClass);
    windowClass.lpfnWndProc = GameWindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursor(NULL, IDC_ARROW);
    windowClass.hbrBackground = (HBRUSH)GetStockObject(BLACK_BRUSH);
    windowClass.lpszClassName = WindowClassName;
    if (!RegisterClassA(&windowClass))
        return 1;

    DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    RECT frame = {0, 0, ClientWidth, ClientHeight};
    AdjustWindowRect(&frame, style, FALSE);
    HWND window = CreateWindowA(WindowClassName, WindowTitle, style, CW_USEDEFAULT, CW_USEDEFAULT,
                                frame.right - frame.left, frame.bottom - frame.top, NULL, NULL, instance, NULL);
    if (window == NULL)
        return 1;
    ShowWindow(window, showCommand);
    UpdateWindow(window);
    SetTimer(window, FrameTimer, FrameMilliseconds, NULL);

    MSG message;
    while (GetMessageA(&message, NULL, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}
