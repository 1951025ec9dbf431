// The library's one diagnostic channel: formatted text on the runtime
// library's standard output, which the debug console shows when it is open.
//
// Someone listens when the debug console is open, or when the process's
// standard output is a file, a pipe or a character device that the host (or
// whoever started it) set up. A PowerBuilder application normally has no
// standard output at all: then a debug line is neither formatted nor
// flushed, and costs the caller one flag read (no allocation, no lock).
// Whether someone listens is decided when the library is loaded and again
// whenever the debug console opens or closes; a standard output set up at
// any other time is noticed at the next of these.
#pragma once

void DebugLog(const char* format, ...);
// Wide text. On the debug console (or any console the standard output is)
// it is written as wide characters, so that text of every script shows
// intact whatever the C runtime's locale; elsewhere it goes through the
// runtime's wide formatted output.
void DebugLogW(const wchar_t* format, ...);

// True when a debug line would reach someone.
bool DebugLogListening();
// Decides again whether someone listens: consoleOpen for the open debug
// console, else the state of the standard output.
void UpdateDebugLogListener(bool consoleOpen);
