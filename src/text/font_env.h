// The process-wide FreeType library and the list of faces opened through it,
// so that whatever is still open is closed when the library stops.
#pragma once

#include <ft2build.h>
#include FT_FREETYPE_H

extern FT_Library m_pFTLib;

// 1 when the library was initialised now; 0 when it already was or failed.
int InitFontEnv();
void FreeFontEnv();

// Faces are registered when opened and unregistered when closed.
void RegisterOpenFace(FT_Face face);
void CloseOpenFace(FT_Face face);
size_t OpenFaceCount();
