// Settings of the console implementation of the support services, for the
// host-built tools and tests.
#pragma once

// When not null, SetupLog appends its lines to this file (emptied by the
// first line, as the installer's log is). Null: log lines are dropped.
extern const char *ConsoleLogPath;

// When zero, status texts are not printed (a quiet tool run).
extern int ConsoleShowStatus;
