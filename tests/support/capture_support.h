// The stand-in for the support services in the host-built tests, the
// fuzzer and the benchmark: every message, status text, log line and
// progress call is recorded, in order, as one line of text; or, with
// SupportCapturing set to 0, nothing is kept and messages are only counted.
#pragma once

#include <string>
#include <vector>

// "message: TEXT", "status: TEXT", "log: TEXT", "progress: TOTAL/STEP",
// "step"; "delete: PATH" and "rmdir: PATH" (or "delete failed: PATH",
// "rmdir failed: PATH") for the file operations, which act for real.
extern std::vector<std::string> SupportEvents;

// 1 (the default): every event goes into SupportEvents. 0: none does, for
// the fuzzer's and the benchmark's millions of calls.
extern int SupportCapturing;

// Messages shown since the program started, kept or not.
extern unsigned SupportMessageCount;

// Only the events that start with prefix ("message: " for instance), with
// the prefix removed.
std::vector<std::string> EventsOf(const std::string &prefix);

// How many events are exactly event.
int CountEvents(const std::string &event);
