// Settings of the console implementation of the support services, and its
// filter of unprintable bytes, for the host-built tools and tests.
#pragma once

#include <stddef.h>

// When not null, SetupLog appends its lines to this file (emptied by the
// first line, as the installer's log is). Null: log lines are dropped.
extern const char *ConsoleLogPath;

// When zero, status texts are not printed (a quiet tool run).
extern int ConsoleShowStatus;

// Copies text into buffer (size bytes, size > 0) with every byte outside
// printable ASCII (0x20-0x7E) replaced by '?', cut to fit and always
// zero-terminated, so that a name from an archive cannot drive a terminal.
void CopyPrintable(char *buffer, size_t size, const char *text);
