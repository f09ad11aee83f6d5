// What each platform provides beneath the support services of support.h.
// The formatted services (SetupLog, MessageBoxFormat, SetStatusText) are
// shared: they format into their fixed buffers, cutting what does not fit,
// and hand the finished text to these. The progress bar (StartProgress,
// StepProgress) is provided by each platform directly.
#pragma once

// Appends line and CR LF to the setup log; the first line of a run empties
// the log first. Failures are ignored.
void WriteLogLine(const char *line);

// Shows text in a modal message box with the caption "Brevald" and one OK
// button, owned by the main window. Returns the box's result.
int ShowMessageText(const char *text);

// Puts text into the file-name label under the progress bar.
void ShowStatusText(const char *text);
