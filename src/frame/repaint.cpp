#include "frame/repaint.h"

void RepaintWithFrame(HWND hWnd) {
    InvalidateRect(hWnd, nullptr, TRUE);
    UpdateWindow(hWnd);
    SendMessageW(hWnd, WM_NCPAINT, 0, 0);
}
