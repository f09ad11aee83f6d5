// wintest: drives the windows of other programs for the end-to-end tests.
//
// Run with wine in the same prefix as the program under test:
//
//   wintest VERB [--class NAME] [--timeout MS] [--hidden] ARGUMENTS...
//
// Windows are chosen by their exact title (and exact class with --class);
// only visible top-level windows count unless --hidden is given. Verbs that
// wait do so for at most --timeout milliseconds (default 10000).
//
//   list                        every top-level window
//   wait TITLE                  wait for the window, print it
//   gone TITLE                  wait until no such window is left
//   dump TITLE                  the window and every descendant control
//   rect TITLE                  the window alone
//   find CLASS TITLE            FindWindowA semantics ("-" for none); 1 if absent
//   foreground                  the foreground window, or "none"
//   click TITLE BUTTON          press a button (text without '&', or #ID)
//   settext TITLE ID TEXT       set a control's text (taken literally)
//   check TITLE ID 0|1          set a check box's state
//   show TITLE COMMAND          ShowWindow command number (6 minimises)
//   msgbox [--caption C] [--press BUTTON]
//                               wait for a message box, print its text, icon
//                               and buttons, optionally press one and wait
//                               until it has closed
//   hold TITLE MS               show a window of ours for MS milliseconds
//   shortpath PATH              the short (8.3) form of an existing path;
//                               1 when the system gives none
//   link PATH                   the target, arguments and working folder of
//                               a shell link file; 1 when it cannot be read
//   tabs TITLE ID               the item count and each item's text of a tab
//                               control
//   volatile KEY                make HKEY_LOCAL_MACHINE\KEY anew as a volatile
//                               key (its old values and subkeys deleted), under
//                               which no lasting key can be created
//
// Output: one record per line, a kind then key=value fields. Texts are in
// double quotes with \\ \" \n \r \t and \xHH escapes, so that every byte of
// a text is visible and exact:
//
//   window hwnd=0x10020 class="BrevaldSetup" title="KestDemo" rect=312,244,712,524
//          client=400,280 style=0x90000000 exstyle=0x0 visible=1 enabled=1
//          iconic=0 owner=0x0 pid=32
//   child hwnd=0x10024 parent=0x10020 depth=1 class="Button" id=1 text="OK"
//         rect=... style=0x50010001 visible=1 enabled=1 check=0
//   text "   Install completed.   \n\n"        (msgbox)
//   icon 0                                      (msgbox)
//
//   shortpath path="C:\\Games\\KEST~4SX\\kestdemo.exe"    (shortpath)
//   link target="C:\\..." arguments="" folder="C:\\..."    (link)
//   tabs count=1                                (tabs, then one record per item)
//   tab index=0 text="System Options"
//
// (each record is one line). Exit status: 0 done, 1 not found (find,
// shortpath, link), 2 timed out, 3 bad use or a control that cannot be
// worked.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

enum {
    ExitDone = 0,
    ExitNotFound = 1,
    ExitTimedOut = 2,
    ExitBadUse = 3
};

enum {
    TextSize = 1024,            // every window text we read or set
    ClassSize = 256,            // class names
    DefaultTimeoutMs = 10000,
    PollIntervalMs = 50,
    MessageTimeoutMs = 2000,    // for messages sent to another process
    MessageTextId = 0xFFFF      // the control id of a message box's text
};

static const char HoldClassName[] = "WinTestHold";

// The options every verb shares.
struct Options {
    const char *className;  // exact class, or NULL for any
    DWORD timeoutMs;
    int includeHidden;
    const char *caption;    // msgbox: the caption to wait for
    const char *press;      // msgbox: the button to press, or NULL
};

// What a search over the top-level windows looks for, and what it found.
struct WindowQuery {
    const char *title;
    const char *className;
    int includeHidden;
    HWND found;
};

// What a search over a window's descendants looks for, and what it found.
struct ControlQuery {
    const char *text;  // compared with '&' removed; NULL when searching by id
    int id;
    HWND found;
};

// Writes text to standard output in double quotes, escaping every byte that
// is not printable ASCII, and the quote and backslash themselves.
static void PrintQuoted(const char *text)
{
    putchar('"');
    for (const unsigned char *p = (const unsigned char *)text; *p != 0; p++) {
        switch (*p) {
        case '\\': fputs("\\\\", stdout); break;
        case '"': fputs("\\\"", stdout); break;
        case '\n': fputs("\\n", stdout); break;
        case '\r': fputs("\\r", stdout); break;
        case '\t': fputs("\\t", stdout); break;
        default:
            if (*p >= 0x20 && *p < 0x7F)
                putchar(*p);
            else
                printf("\\x%02X", *p);
        }
    }
    putchar('"');
}

// Reads a window's text into text (size bytes, always terminated). Asks the
// window itself with WM_GETTEXT, so that edit controls of another process
// report their contents; a window that does not answer in time gives the
// text the system keeps for it.
static void ReadWindowText(HWND window, char *text, int size)
{
    DWORD_PTR length = 0;
    text[0] = 0;
    if (SendMessageTimeoutA(window, WM_GETTEXT, (WPARAM)size, (LPARAM)text,
                            SMTO_ABORTIFHUNG, MessageTimeoutMs, &length) == 0)
        GetWindowTextA(window, text, size);
    text[size - 1] = 0;
}

// The check state of a button (0, 1 or 2), or -1 for a window that is not
// a button or does not answer.
static int ReadCheckState(HWND window, const char *className)
{
    DWORD_PTR state = 0;
    if (lstrcmpiA(className, "Button") != 0)
        return -1;
    if (SendMessageTimeoutA(window, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, MessageTimeoutMs,
                            &state) == 0)
        return -1;
    return (int)state;
}

// Prints the fields that top-level windows and controls share.
static void PrintCommonFields(HWND window)
{
    RECT rect;
    GetWindowRect(window, &rect);
    printf(" rect=%ld,%ld,%ld,%ld", rect.left, rect.top, rect.right, rect.bottom);
    printf(" style=0x%lX exstyle=0x%lX", (unsigned long)GetWindowLongA(window, GWL_STYLE),
           (unsigned long)GetWindowLongA(window, GWL_EXSTYLE));
    printf(" visible=%d enabled=%d", IsWindowVisible(window) ? 1 : 0,
           IsWindowEnabled(window) ? 1 : 0);
}

// Prints one "window" record for a top-level window.
static void PrintWindowRecord(HWND window)
{
    char className[ClassSize];
    char title[TextSize];
    RECT client;
    DWORD processId = 0;
    GetClassNameA(window, className, sizeof className);
    GetWindowTextA(window, title, sizeof title);
    GetClientRect(window, &client);
    GetWindowThreadProcessId(window, &processId);

    printf("window hwnd=0x%lX class=", (unsigned long)(UINT_PTR)window);
    PrintQuoted(className);
    fputs(" title=", stdout);
    PrintQuoted(title);
    PrintCommonFields(window);
    printf(" client=%ld,%ld iconic=%d owner=0x%lX pid=%lu\n", client.right, client.bottom,
           IsIconic(window) ? 1 : 0, (unsigned long)(UINT_PTR)GetWindow(window, GW_OWNER),
           (unsigned long)processId);
}

// How many parents lie between a control and the top-level window top.
static int DepthBelow(HWND control, HWND top)
{
    int depth = 0;
    for (HWND w = control; w != NULL && w != top; w = GetParent(w))
        depth++;
    return depth;
}

// EnumChildWindows callback: prints one "child" record. lParam is the
// top-level window, for the depth.
static BOOL CALLBACK PrintChildRecord(HWND control, LPARAM lParam)
{
    char className[ClassSize];
    char text[TextSize];
    GetClassNameA(control, className, sizeof className);
    ReadWindowText(control, text, sizeof text);

    printf("child hwnd=0x%lX parent=0x%lX depth=%d class=", (unsigned long)(UINT_PTR)control,
           (unsigned long)(UINT_PTR)GetParent(control), DepthBelow(control, (HWND)lParam));
    PrintQuoted(className);
    printf(" id=%d text=", GetDlgCtrlID(control));
    PrintQuoted(text);
    PrintCommonFields(control);
    printf(" check=%d\n", ReadCheckState(control, className));
    return TRUE;
}

// EnumWindows callback: stops at the first top-level window that matches
// the WindowQuery in lParam.
static BOOL CALLBACK MatchTopLevel(HWND window, LPARAM lParam)
{
    WindowQuery *query = (WindowQuery *)lParam;
    char text[TextSize];
    if (!query->includeHidden && !IsWindowVisible(window))
        return TRUE;
    GetWindowTextA(window, text, sizeof text);
    if (strcmp(text, query->title) != 0)
        return TRUE;
    if (query->className != NULL) {
        GetClassNameA(window, text, sizeof text);
        if (strcmp(text, query->className) != 0)
            return TRUE;
    }
    query->found = window;
    return FALSE;
}

// The first top-level window with exactly this title (and class, when not
// NULL), or NULL.
static HWND FindTopLevel(const char *title, const char *className, int includeHidden)
{
    WindowQuery query = {title, className, includeHidden, NULL};
    EnumWindows(MatchTopLevel, (LPARAM)&query);
    return query.found;
}

// Waits up to timeoutMs for the window; NULL when it did not come.
static HWND WaitForTopLevel(const char *title, const Options *options)
{
    DWORD start = GetTickCount();
    for (;;) {
        HWND window = FindTopLevel(title, options->className, options->includeHidden);
        if (window != NULL)
            return window;
        if (GetTickCount() - start >= options->timeoutMs)
            return NULL;
        Sleep(PollIntervalMs);
    }
}

// Removes every '&' of text, in place, as a control shows its mnemonic.
static void StripMnemonics(char *text)
{
    char *out = text;
    for (const char *in = text; *in != 0; in++) {
        if (*in == '&' && in[1] == '&')
            *out++ = *in++;
        else if (*in != '&')
            *out++ = *in;
    }
    *out = 0;
}

// EnumChildWindows callback: stops at the first descendant that matches the
// ControlQuery in lParam, by text (mnemonics removed) or by id.
static BOOL CALLBACK MatchControl(HWND control, LPARAM lParam)
{
    ControlQuery *query = (ControlQuery *)lParam;
    if (query->text == NULL) {
        if (GetDlgCtrlID(control) != query->id)
            return TRUE;
    } else {
        char text[TextSize];
        ReadWindowText(control, text, sizeof text);
        StripMnemonics(text);
        if (strcmp(text, query->text) != 0)
            return TRUE;
    }
    query->found = control;
    return FALSE;
}

// Parses a control id: decimal, 0x hexadecimal, or either after a '#'.
// Returns 1 and stores it, or 0 when name is not a number.
static int ParseControlId(const char *name, int *id)
{
    char *end;
    if (*name == '#')
        name++;
    if (*name == 0)
        return 0;
    long value = strtol(name, &end, 0);
    if (*end != 0)
        return 0;
    *id = (int)value;
    return 1;
}

// The descendant of window named by name: "#ID" (or a bare number when
// byNumber) picks it by id, anything else by its text. NULL when none.
static HWND FindControl(HWND window, const char *name, int byNumber)
{
    ControlQuery query = {NULL, 0, NULL};
    if (!((name[0] == '#' || byNumber) && ParseControlId(name, &query.id)))
        query.text = name;
    EnumChildWindows(window, MatchControl, (LPARAM)&query);
    return query.found;
}

// Parses the shared options out of argv (from index first on), compacting
// the remaining arguments to the front. Returns the count of what remains,
// or -1 after printing a complaint about a bad option.
static int ParseOptions(int argc, char **argv, int first, Options *options, char **rest)
{
    int count = 0;
    for (int i = first; i < argc; i++) {
        const char *arg = argv[i];
        int hasValue = i + 1 < argc;
        if (strcmp(arg, "--class") == 0 && hasValue) {
            options->className = argv[++i];
        } else if (strcmp(arg, "--timeout") == 0 && hasValue) {
            options->timeoutMs = (DWORD)strtoul(argv[++i], NULL, 10);
        } else if (strcmp(arg, "--caption") == 0 && hasValue) {
            options->caption = argv[++i];
        } else if (strcmp(arg, "--press") == 0 && hasValue) {
            options->press = argv[++i];
        } else if (strcmp(arg, "--hidden") == 0) {
            options->includeHidden = 1;
        } else if (strncmp(arg, "--", 2) == 0) {
            fprintf(stderr, "wintest: unknown option or missing value: %s\n", arg);
            return -1;
        } else {
            rest[count++] = argv[i];
        }
    }
    return count;
}

// Reports a window that did not come and returns the exit status for it.
static int ReportMissing(const char *title, const Options *options)
{
    fprintf(stderr, "wintest: no window titled \"%s\"%s%s%s within %lu ms\n", title,
            options->className ? " of class \"" : "", options->className ? options->className : "",
            options->className ? "\"" : "", (unsigned long)options->timeoutMs);
    return ExitTimedOut;
}

// EnumWindows callback for "list": one record per window (visible ones only
// unless lParam is nonzero).
static BOOL CALLBACK ListOne(HWND window, LPARAM lParam)
{
    if (lParam != 0 || IsWindowVisible(window))
        PrintWindowRecord(window);
    return TRUE;
}

static int VerbList(const Options *options)
{
    EnumWindows(ListOne, options->includeHidden);
    return ExitDone;
}

static int VerbWait(const char *title, const Options *options)
{
    HWND window = WaitForTopLevel(title, options);
    if (window == NULL)
        return ReportMissing(title, options);
    PrintWindowRecord(window);
    return ExitDone;
}

static int VerbGone(const char *title, const Options *options)
{
    DWORD start = GetTickCount();
    while (FindTopLevel(title, options->className, options->includeHidden) != NULL) {
        if (GetTickCount() - start >= options->timeoutMs) {
            fprintf(stderr, "wintest: \"%s\" still there after %lu ms\n", title,
                    (unsigned long)options->timeoutMs);
            return ExitTimedOut;
        }
        Sleep(PollIntervalMs);
    }
    return ExitDone;
}

static int VerbDump(const char *title, const Options *options)
{
    HWND window = WaitForTopLevel(title, options);
    if (window == NULL)
        return ReportMissing(title, options);
    PrintWindowRecord(window);
    EnumChildWindows(window, PrintChildRecord, (LPARAM)window);
    return ExitDone;
}

// "find CLASS TITLE": exactly what FindWindowA answers; "-" stands for a
// null argument (any class, or any title).
static int VerbFind(const char *className, const char *title)
{
    HWND window = FindWindowA(strcmp(className, "-") == 0 ? NULL : className,
                              strcmp(title, "-") == 0 ? NULL : title);
    if (window == NULL) {
        puts("none");
        return ExitNotFound;
    }
    PrintWindowRecord(window);
    return ExitDone;
}

static int VerbForeground(void)
{
    HWND window = GetForegroundWindow();
    if (window == NULL) {
        puts("none");
        return ExitDone;
    }
    PrintWindowRecord(window);
    return ExitDone;
}

// Presses a button the way a click does, without waiting: BM_CLICK is
// posted, so a modal loop the click opens cannot block the driver.
static int PressButton(HWND control)
{
    if (!IsWindowEnabled(control) || !IsWindowVisible(control)) {
        fprintf(stderr, "wintest: control 0x%lX is disabled or hidden\n",
                (unsigned long)(UINT_PTR)control);
        return ExitBadUse;
    }
    PostMessageA(control, BM_CLICK, 0, 0);
    printf("clicked hwnd=0x%lX id=%d\n", (unsigned long)(UINT_PTR)control, GetDlgCtrlID(control));
    return ExitDone;
}

static int VerbClick(const char *title, const char *button, const Options *options)
{
    HWND window = WaitForTopLevel(title, options);
    if (window == NULL)
        return ReportMissing(title, options);
    HWND control = FindControl(window, button, 0);
    if (control == NULL) {
        fprintf(stderr, "wintest: no control \"%s\" in \"%s\"\n", button, title);
        return ExitBadUse;
    }
    return PressButton(control);
}

// Sends a message to a control of another process and waits for it to be
// handled. Returns 1, or 0 when the control did not answer in time.
static int SendToControl(HWND control, UINT message, WPARAM wParam, LPARAM lParam)
{
    DWORD_PTR result;
    return SendMessageTimeoutA(control, message, wParam, lParam, SMTO_ABORTIFHUNG,
                               MessageTimeoutMs, &result) != 0;
}

// The control with this id (number, 0x number or #number) in the window
// titled title; prints why and returns NULL when there is none.
static HWND FindControlById(const char *title, const char *id, const Options *options)
{
    HWND window = WaitForTopLevel(title, options);
    if (window == NULL) {
        ReportMissing(title, options);
        return NULL;
    }
    int number;
    if (!ParseControlId(id, &number)) {
        fprintf(stderr, "wintest: not a control id: %s\n", id);
        return NULL;
    }
    HWND control = FindControl(window, id, 1);
    if (control == NULL)
        fprintf(stderr, "wintest: no control with id %s in \"%s\"\n", id, title);
    return control;
}

static int VerbSetText(const char *title, const char *id, const char *text,
                       const Options *options)
{
    HWND control = FindControlById(title, id, options);
    if (control == NULL)
        return ExitBadUse;
    if (!SendToControl(control, WM_SETTEXT, 0, (LPARAM)text)) {
        fprintf(stderr, "wintest: control did not take the text\n");
        return ExitBadUse;
    }
    return ExitDone;
}

static int VerbCheck(const char *title, const char *id, const char *state,
                     const Options *options)
{
    HWND control = FindControlById(title, id, options);
    if (control == NULL)
        return ExitBadUse;
    if (!SendToControl(control, BM_SETCHECK, (WPARAM)strtoul(state, NULL, 10), 0)) {
        fprintf(stderr, "wintest: control did not take the check state\n");
        return ExitBadUse;
    }
    return ExitDone;
}

static int VerbShow(const char *title, const char *command, const Options *options)
{
    HWND window = WaitForTopLevel(title, options);
    if (window == NULL)
        return ReportMissing(title, options);
    ShowWindowAsync(window, (int)strtol(command, NULL, 10));
    return ExitDone;
}

// Where the text of a message box and the facts about it are gathered.
struct BoxContents {
    char text[TextSize];
    int hasIcon;
};

// EnumChildWindows callback: notes the message text (the static control with
// the id the system gives it) and whether an icon is shown.
static BOOL CALLBACK ReadBoxChild(HWND control, LPARAM lParam)
{
    BoxContents *box = (BoxContents *)lParam;
    char className[ClassSize];
    GetClassNameA(control, className, sizeof className);
    if (lstrcmpiA(className, "Static") != 0)
        return TRUE;
    LONG style = GetWindowLongA(control, GWL_STYLE);
    if ((style & SS_TYPEMASK) == SS_ICON) {
        // Some systems keep an empty icon control in a box without an icon:
        // ask the control whether it shows one.
        DWORD_PTR icon = 0;
        if (IsWindowVisible(control) &&
            SendMessageTimeoutA(control, STM_GETICON, 0, 0, SMTO_ABORTIFHUNG, MessageTimeoutMs,
                                &icon) != 0 &&
            icon != 0)
            box->hasIcon = 1;
    } else if ((GetDlgCtrlID(control) & 0xFFFF) == MessageTextId) {
        ReadWindowText(control, box->text, sizeof box->text);
    }
    return TRUE;
}

// EnumChildWindows callback: one "button" record per push button.
static BOOL CALLBACK PrintBoxButton(HWND control, LPARAM lParam)
{
    (void)lParam;
    char className[ClassSize];
    char text[TextSize];
    GetClassNameA(control, className, sizeof className);
    if (lstrcmpiA(className, "Button") != 0 || !IsWindowVisible(control))
        return TRUE;
    ReadWindowText(control, text, sizeof text);
    printf("button id=%d text=", GetDlgCtrlID(control));
    PrintQuoted(text);
    printf(" enabled=%d\n", IsWindowEnabled(control) ? 1 : 0);
    return TRUE;
}

// Waits for a message box (dialog class "#32770") with the caption, prints
// it, its text, its icon flag and its buttons, and with --press presses the
// button and waits until the box has closed.
static int VerbMessageBox(const Options *options)
{
    Options boxOptions = *options;
    boxOptions.className = "#32770";
    HWND box = WaitForTopLevel(options->caption, &boxOptions);
    if (box == NULL)
        return ReportMissing(options->caption, &boxOptions);

    BoxContents contents = {};
    EnumChildWindows(box, ReadBoxChild, (LPARAM)&contents);
    PrintWindowRecord(box);
    fputs("text ", stdout);
    PrintQuoted(contents.text);
    printf("\nicon %d\n", contents.hasIcon);
    EnumChildWindows(box, PrintBoxButton, 0);
    if (options->press == NULL)
        return ExitDone;

    HWND button = FindControl(box, options->press, 0);
    if (button == NULL) {
        fprintf(stderr, "wintest: no button \"%s\" in the message box\n", options->press);
        return ExitBadUse;
    }
    int pressed = PressButton(button);
    if (pressed != ExitDone)
        return pressed;
    DWORD start = GetTickCount();
    while (IsWindow(box) && IsWindowVisible(box)) {
        if (GetTickCount() - start >= options->timeoutMs) {
            fprintf(stderr, "wintest: the message box did not close\n");
            return ExitTimedOut;
        }
        Sleep(PollIntervalMs);
    }
    return ExitDone;
}

// The window procedure of the "hold" window: it only ends on WM_CLOSE.
static LRESULT CALLBACK HoldWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// Shows a plain window with the title at the screen's top-left corner and
// keeps it for ms milliseconds (or until it is closed), so that another
// window can be made to lose the foreground.
static int VerbHold(const char *title, const char *ms)
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = HoldWindowProc;
    windowClass.hInstance = GetModuleHandleA(NULL);
    windowClass.hCursor = LoadCursorA(NULL, (LPCSTR)IDC_ARROW);
    windowClass.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    windowClass.lpszClassName = HoldClassName;
    if (!RegisterClassA(&windowClass))
        return ExitBadUse;
    HWND window = CreateWindowExA(0, HoldClassName, title, WS_POPUP | WS_BORDER, 0, 0, 200, 100,
                                  NULL, NULL, windowClass.hInstance, NULL);
    if (window == NULL)
        return ExitBadUse;
    ShowWindow(window, SW_SHOWNORMAL);
    SetForegroundWindow(window);
    UpdateWindow(window);
    PrintWindowRecord(window);
    fflush(stdout);

    UINT_PTR timer = SetTimer(NULL, 0, (UINT)strtoul(ms, NULL, 10), NULL);
    MSG message;
    while (GetMessageA(&message, NULL, 0, 0) > 0) {
        if (message.message == WM_TIMER && message.hwnd == NULL && message.wParam == timer)
            DestroyWindow(window);
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return ExitDone;
}

// "shortpath PATH": what GetShortPathNameA makes of an existing path.
static int VerbShortPath(const char *path)
{
    char shortPath[MAX_PATH];
    DWORD length = GetShortPathNameA(path, shortPath, sizeof shortPath);
    if (length == 0 || length >= sizeof shortPath) {
        fprintf(stderr, "wintest: no short path for \"%s\" (error %lu)\n", path,
                (unsigned long)GetLastError());
        puts("none");
        return ExitNotFound;
    }
    fputs("shortpath path=", stdout);
    PrintQuoted(shortPath);
    putchar('\n');
    return ExitDone;
}

// Reads the shell link at path into link. Returns 1, or 0 when the file
// cannot be loaded as a link.
static int LoadShellLink(IShellLinkA *link, const char *path)
{
    IPersistFile *file = NULL;
    if (FAILED(link->QueryInterface(IID_IPersistFile, (void **)&file)))
        return 0;
    WCHAR widePath[MAX_PATH];
    int loaded = MultiByteToWideChar(CP_ACP, 0, path, -1, widePath, MAX_PATH) > 0 &&
                 SUCCEEDED(file->Load(widePath, STGM_READ));
    file->Release();
    return loaded;
}

// "link PATH": the target, the arguments and the working folder that a
// shell link file holds, as the shell reads them back.
static int VerbLink(const char *path)
{
    if (GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES) {
        fprintf(stderr, "wintest: no file \"%s\"\n", path);
        puts("none");
        return ExitNotFound;
    }
    if (FAILED(CoInitialize(NULL)))
        return ExitBadUse;
    IShellLinkA *link = NULL;
    int status = ExitNotFound;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   (void **)&link))) {
        char target[MAX_PATH] = "";
        char arguments[TextSize] = "";
        char folder[MAX_PATH] = "";
        if (LoadShellLink(link, path) &&
            SUCCEEDED(link->GetPath(target, sizeof target, NULL, SLGP_RAWPATH)) &&
            SUCCEEDED(link->GetArguments(arguments, sizeof arguments)) &&
            SUCCEEDED(link->GetWorkingDirectory(folder, sizeof folder))) {
            fputs("link target=", stdout);
            PrintQuoted(target);
            fputs(" arguments=", stdout);
            PrintQuoted(arguments);
            fputs(" folder=", stdout);
            PrintQuoted(folder);
            putchar('\n');
            status = ExitDone;
        } else {
            fprintf(stderr, "wintest: \"%s\" cannot be read as a shell link\n", path);
            puts("none");
        }
        link->Release();
    }
    CoUninitialize();
    return status;
}

// Where an item of a tab control of another process is read: the item
// record and a buffer for its text, both placed in that process, since the
// control writes through the record's text pointer there.
struct RemoteTabItem {
    TCITEMA item;
    char text[TextSize];
};

// Reads the text of item index of the tab control into text (TextSize
// bytes, always terminated), through remote in the control's process.
// Returns 1, or 0 when the control or the process memory did not answer.
static int ReadTabItem(HWND control, HANDLE process, RemoteTabItem *remote, int index,
                       char *text)
{
    RemoteTabItem local;
    ZeroMemory(&local, sizeof local);
    local.item.mask = TCIF_TEXT;
    local.item.pszText = remote->text;
    local.item.cchTextMax = TextSize;
    SIZE_T moved = 0;
    DWORD_PTR answer = 0;
    if (!WriteProcessMemory(process, remote, &local, sizeof local, &moved) ||
        SendMessageTimeoutA(control, TCM_GETITEMA, (WPARAM)index, (LPARAM)&remote->item,
                            SMTO_ABORTIFHUNG, MessageTimeoutMs, &answer) == 0 ||
        answer == 0 || !ReadProcessMemory(process, remote, &local, sizeof local, &moved))
        return 0;
    // The control may point the record at a text of its own instead of
    // filling the buffer: read that one then, a piece at a time, since the
    // memory after it need not be readable.
    if (local.item.pszText != remote->text) {
        const char *source = local.item.pszText;
        int length = 0;
        while (length < TextSize - 1) {
            char piece[16];
            if (!ReadProcessMemory(process, source + length, piece, sizeof piece, &moved))
                return 0;
            int i = 0;
            while (i < (int)sizeof piece && length < TextSize - 1 && piece[i] != 0)
                local.text[length++] = piece[i++];
            if (i < (int)sizeof piece)
                break;
        }
        local.text[length] = 0;
    }
    local.text[TextSize - 1] = 0;
    memcpy(text, local.text, TextSize);
    return 1;
}

// "tabs TITLE ID": how many items the tab control with this id holds, and
// the text of each.
static int VerbTabs(const char *title, const char *id, const Options *options)
{
    HWND control = FindControlById(title, id, options);
    if (control == NULL)
        return ExitBadUse;
    DWORD_PTR count = 0;
    if (SendMessageTimeoutA(control, TCM_GETITEMCOUNT, 0, 0, SMTO_ABORTIFHUNG,
                            MessageTimeoutMs, &count) == 0) {
        fprintf(stderr, "wintest: the tab control did not answer\n");
        return ExitBadUse;
    }
    DWORD processId = 0;
    GetWindowThreadProcessId(control, &processId);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE,
                                 FALSE, processId);
    if (process == NULL) {
        fprintf(stderr, "wintest: cannot open process %lu\n", (unsigned long)processId);
        return ExitBadUse;
    }
    RemoteTabItem *remote = (RemoteTabItem *)VirtualAllocEx(
        process, NULL, sizeof(RemoteTabItem), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    int status = remote != NULL ? ExitDone : ExitBadUse;
    if (status == ExitDone)
        printf("tabs count=%d\n", (int)count);
    for (int index = 0; status == ExitDone && index < (int)count; index++) {
        char text[TextSize];
        if (!ReadTabItem(control, process, remote, index, text)) {
            fprintf(stderr, "wintest: tab item %d cannot be read\n", index);
            status = ExitBadUse;
            break;
        }
        printf("tab index=%d text=", index);
        PrintQuoted(text);
        putchar('\n');
    }
    if (remote != NULL)
        VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    CloseHandle(process);
    return status;
}

// "volatile KEY": deletes HKEY_LOCAL_MACHINE\KEY with everything under it
// and creates it again as a volatile key. Creating a lasting (non-volatile)
// key under it then fails, as a registry that refuses a program's record.
static int VerbVolatile(const char *path)
{
    LONG deleted = RegDeleteTreeA(HKEY_LOCAL_MACHINE, path);
    if (deleted != ERROR_SUCCESS && deleted != ERROR_FILE_NOT_FOUND) {
        fprintf(stderr, "wintest: cannot delete HKLM\\%s (error %ld)\n", path, (long)deleted);
        return ExitBadUse;
    }
    HKEY key = NULL;
    DWORD disposition = 0;
    LONG created = RegCreateKeyExA(HKEY_LOCAL_MACHINE, path, 0, NULL, REG_OPTION_VOLATILE,
                                   KEY_ALL_ACCESS, NULL, &key, &disposition);
    if (created != ERROR_SUCCESS || disposition != REG_CREATED_NEW_KEY) {
        fprintf(stderr, "wintest: cannot create HKLM\\%s as a new volatile key (error %ld)\n",
                path, (long)created);
        if (key != NULL)
            RegCloseKey(key);
        return ExitBadUse;
    }
    RegCloseKey(key);
    puts("volatile done");
    return ExitDone;
}

static int Usage(void)
{
    fputs("usage: wintest VERB [--class NAME] [--timeout MS] [--hidden] ARGUMENTS...\n"
          "verbs: list | wait TITLE | gone TITLE | dump TITLE | rect TITLE |\n"
          "       find CLASS TITLE | foreground | click TITLE BUTTON |\n"
          "       settext TITLE ID TEXT | check TITLE ID 0|1 | show TITLE COMMAND |\n"
          "       msgbox [--caption C] [--press BUTTON] | hold TITLE MS |\n"
          "       shortpath PATH | link PATH | tabs TITLE ID | volatile KEY\n",
          stderr);
    return ExitBadUse;
}

// True when verb is name and exactly count arguments follow it.
static int Is(const char *verb, const char *name, int argumentCount, int count)
{
    return strcmp(verb, name) == 0 && argumentCount == count;
}

// Dispatches to the verb named in argv[1]; see the top of this file.
int main(int argc, char **argv)
{
    if (argc < 2)
        return Usage();
    Options options = {NULL, DefaultTimeoutMs, 0, "Brevald", NULL};
    char *rest[64];
    if (argc - 2 > (int)(sizeof rest / sizeof rest[0]))
        return Usage();
    int count = ParseOptions(argc, argv, 2, &options, rest);
    if (count < 0)
        return Usage();

    const char *verb = argv[1];
    int status;
    if (Is(verb, "list", count, 0))
        status = VerbList(&options);
    else if (Is(verb, "wait", count, 1) || Is(verb, "rect", count, 1))
        status = VerbWait(rest[0], &options);
    else if (Is(verb, "gone", count, 1))
        status = VerbGone(rest[0], &options);
    else if (Is(verb, "dump", count, 1))
        status = VerbDump(rest[0], &options);
    else if (Is(verb, "find", count, 2))
        status = VerbFind(rest[0], rest[1]);
    else if (Is(verb, "foreground", count, 0))
        status = VerbForeground();
    else if (Is(verb, "click", count, 2))
        status = VerbClick(rest[0], rest[1], &options);
    else if (Is(verb, "settext", count, 3))
        status = VerbSetText(rest[0], rest[1], rest[2], &options);
    else if (Is(verb, "check", count, 3))
        status = VerbCheck(rest[0], rest[1], rest[2], &options);
    else if (Is(verb, "show", count, 2))
        status = VerbShow(rest[0], rest[1], &options);
    else if (Is(verb, "msgbox", count, 0))
        status = VerbMessageBox(&options);
    else if (Is(verb, "hold", count, 2))
        status = VerbHold(rest[0], rest[1]);
    else if (Is(verb, "shortpath", count, 1))
        status = VerbShortPath(rest[0]);
    else if (Is(verb, "link", count, 1))
        status = VerbLink(rest[0]);
    else if (Is(verb, "tabs", count, 2))
        status = VerbTabs(rest[0], rest[1], &options);
    else if (Is(verb, "volatile", count, 1))
        status = VerbVolatile(rest[0]);
    else
        return Usage();
    fflush(stdout);
    return status;
}
