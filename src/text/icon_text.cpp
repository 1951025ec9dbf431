#include "text/icon_text.h"

// The icon-font renderer draws here once it is built; until then every text
// is left to the caller.
int DrawIconTextInRect(const wchar_t*, RECT*, HDC, UINT) { return 0; }
