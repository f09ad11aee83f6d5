// A capturing implementation of the support services for the archive
// tests: every message, status text, log line and progress call is
// recorded, in order, as one line of text.
#pragma once

#include <string>
#include <vector>

// "message: TEXT", "status: TEXT", "log: TEXT", "progress: TOTAL/STEP",
// "step".
extern std::vector<std::string> SupportEvents;

// Only the events that start with prefix ("message: " for instance), with
// the prefix removed.
std::vector<std::string> EventsOf(const std::string &prefix);

// How many events are exactly event.
int CountEvents(const std::string &event);
