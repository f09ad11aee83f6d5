// wintest_target: windows for the driver's own tests to work with.
//
//   wintest_target msgbox TEXT CAPTION STYLE
//       shows MessageBoxA(NULL, TEXT, CAPTION, STYLE) (TEXT with \n escapes)
//       and exits with the box's result
//   wintest_target dialog
//       shows the dialog "Target Dialog" with a child dialog inside; on
//       Okay prints   result edit="TEXT" a=N inner=N   and exits 1,
//       on Cancel exits 2
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

enum {
    EditId = 101,
    OptionId = 102,
    InnerId = 201,
    TextSize = 512
};

// The child dialog inside the target dialog.
static HWND Page;

// Turns the escapes \n, \r, \t and \\ of text into their bytes, in place.
static void Unescape(char *text)
{
    char *out = text;
    for (const char *in = text; *in != 0; in++) {
        if (*in == '\\' && in[1] != 0) {
            in++;
            *out++ = *in == 'n' ? '\n' : *in == 'r' ? '\r' : *in == 't' ? '\t' : *in;
        } else {
            *out++ = *in;
        }
    }
    *out = 0;
}

// The child dialog's procedure: nothing to do beyond the defaults.
static INT_PTR CALLBACK PageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    (void)page;
    (void)wParam;
    (void)lParam;
    return message == WM_INITDIALOG;
}

// Prints what the dialog's controls hold when Okay is pressed.
static void PrintResult(HWND dialog)
{
    char text[TextSize];
    GetDlgItemTextA(dialog, EditId, text, sizeof text);
    printf("result edit=\"%s\" a=%u inner=%u\n", text, IsDlgButtonChecked(dialog, OptionId),
           IsDlgButtonChecked(Page, InnerId));
    fflush(stdout);
}

static INT_PTR CALLBACK TargetProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    (void)lParam;
    switch (message) {
    case WM_INITDIALOG:
        SetDlgItemTextA(dialog, EditId, "start");
        Page = CreateDialogParamA(GetModuleHandleA(NULL), "TARGETPAGE", dialog, PageProc, 0);
        SetWindowPos(Page, NULL, 10, 80, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            PrintResult(dialog);
            EndDialog(dialog, IDOK);
        } else if (LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, IDCANCEL);
        }
        return TRUE;
    }
    return FALSE;
}

int main(int argc, char **argv)
{
    if (argc == 5 && strcmp(argv[1], "msgbox") == 0) {
        Unescape(argv[2]);
        return MessageBoxA(NULL, argv[2], argv[3], (UINT)strtoul(argv[4], NULL, 0));
    }
    if (argc == 2 && strcmp(argv[1], "dialog") == 0)
        return (int)DialogBoxParamA(GetModuleHandleA(NULL), "TARGETDLG", NULL, TargetProc, 0);
    fputs("usage: wintest_target msgbox TEXT CAPTION STYLE | dialog\n", stderr);
    return 3;
}
