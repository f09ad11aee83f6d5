// Services that every part of the installer uses: the setup log, a formatted
// message box, the status text under the progress bar, the progress bar
// itself, path joining, the file checks and removals the install undo needs,
// and dialog centring.
//
// The functions that differ by platform have two implementations:
// support_win32.cpp (the installer) and support_console.cpp (host tools and
// tests: messages to standard error, status lines to standard output). Code
// shared with the host build calls only what is declared here.
#pragma once

#include <stddef.h>
#include <stdint.h>

#if defined(__GNUC__)
#define KEST_PRINTF_LIKE(fmt, args) __attribute__((format(printf, fmt, args)))
#else
#define KEST_PRINTF_LIKE(fmt, args)
#endif

// Buffer sizes of the formatted texts; longer texts are cut to fit.
enum {
    LogLineSize = 256,      // one setup-log line, terminator included
    MessageTextSize = 256,  // one message-box text
    StatusTextSize = 128    // the file-name label under the progress bar
};

// The caption of every message box the installer shows.
extern const char MessageCaption[];

// Appends one line (the formatted text, then CR LF) to the setup log. The
// first line of a run empties the log. Failures are ignored.
void SetupLog(const char *format, ...) KEST_PRINTF_LIKE(1, 2);

// Shows the formatted text in a modal message box with one OK button and
// the caption "Brevald", owned by the main window. Returns the box's result.
// While LogShownMessages is nonzero the text also goes to the setup log.
int MessageBoxFormat(const char *format, ...) KEST_PRINTF_LIKE(1, 2);

// Nonzero while every text shown by MessageBoxFormat is to be logged as
// well (line feeds as spaces), so that the faults a check finds are on
// record.
extern int LogShownMessages;

// Puts the formatted text into the file-name label under the progress bar.
void SetStatusText(const char *format, ...) KEST_PRINTF_LIKE(1, 2);

// Restarts the progress bar for one piece of work: position 0, range 0 to
// total (the full 32-bit count), and the given step.
void StartProgress(uint32_t total, uint32_t step);

// Advances the progress bar by one step. The bar on the screen may take
// several steps at once (it is redrawn only where a person would see the
// change), but after the step that reaches or passes the end of the range
// it holds the position that one step at a time gives.
void StepProgress(void);

// Joins name onto the folder text in path: one backslash goes between them
// unless path is empty or already ends in a backslash or a slash. A second
// zero byte follows the terminator, so the result also serves as a one-entry
// file list for the shell's file operation. pathSize is the size of the
// whole buffer. Returns 1, or 0 with path unchanged when the joined text and
// its two zero bytes would not fit.
int AppendPath(char *path, size_t pathSize, const char *name);

// Whether anything (a file or a folder) lies at path. Only "no such file or
// folder" counts as nothing: a path that cannot be looked at counts as
// taken, so that nothing of a stranger's is ever counted as ours.
int PathExists(const char *path);

// Deletes the file at path. Returns 1 when it was deleted.
int DeleteFileAt(const char *path);

// Removes the folder at path when it is empty. Returns 1 when it was removed.
int RemoveEmptyFolder(const char *path);

// Where a window of size inner must start to be centred over a window that
// starts at outerStart and has size outer (signed division, truncating).
int CenteredStart(int outerStart, int outerSize, int innerSize);
