// Dispatches every message waiting for the calling thread: posted messages,
// then the paints they cause.
#pragma once

#include <windows.h>

inline void PumpMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}
