// NSLog: one line per message on standard error in Foundation's format,
// "2026-12-07 19:30:00.123 java[4242:4243] message", also kept in a bounded in-memory buffer
// that the testkit reads.
#pragma once

#include <string>
#include <vector>

void NSLog(const char* format, ...);

// The buffered messages (without the banner), oldest first, and a way to empty the buffer.
std::vector<std::string> NSLogBufferedLines();
void NSLogClearBuffer();
// The number of messages the buffer keeps; older ones are dropped first.
constexpr std::size_t kNSLogBufferCapacity = 10000;
