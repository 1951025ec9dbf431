// Start, stop and the guard of the DataWindow-related exports.
#pragma once

// True when both registries exist and the calling thread owns them. Before
// StartTessel it writes the guard's log line, shows "StartTessel first!" and
// returns false; on another thread than the owner it writes a debug line and
// returns false.
bool GuardStarted();
