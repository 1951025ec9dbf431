#include "cell_point.h"

namespace {
typedef LONG(WINAPI* PFN_RowColUnderPoint)(HWND, LONG, LONG, LONG*, LONG*);
}  // namespace

bool FindCellPoint(HMODULE engine, HWND dw, long row, long column, LPARAM* point) {
    auto under = reinterpret_cast<PFN_RowColUnderPoint>(
        reinterpret_cast<void*>(GetProcAddress(engine, "dwGetRowColUnderPoint")));
    RECT client;
    GetClientRect(dw, &client);
    int left = -1, right = -1, top = -1, bottom = -1;
    for (int y = 0; under && y < client.bottom; y += 2) {
        for (int x = 0; x < client.right; x += 4) {
            LONG r = 0, c = 0;
            under(dw, x, y, &r, &c);
            if (r != row || c != column) continue;
            if (left < 0 || x < left) left = x;
            if (x > right) right = x;
            if (top < 0) top = y;
            bottom = y;
        }
    }
    if (left < 0) return false;
    *point = MAKELPARAM((left + right) / 2, (top + bottom) / 2);
    return true;
}
