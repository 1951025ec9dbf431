// Start, stop and the guard of the DataWindow-related exports.
#pragma once

// True when both registries exist; otherwise writes the guard's log line,
// shows "StartTessel first!" and returns false.
bool GuardStarted();
