#include "text/font_env.h"

#include <algorithm>
#include <vector>

#include "base/debug_log.h"
#include "text/icon_face_cache.h"

FT_Library m_pFTLib = nullptr;

namespace {
std::vector<FT_Face>& OpenFaces() {
    static std::vector<FT_Face> faces;
    return faces;
}
}  // namespace

int InitFontEnv() {
    if (m_pFTLib) return 0;
    FT_Error error = FT_Init_FreeType(&m_pFTLib);
    if (error) {
        m_pFTLib = nullptr;
        DebugLog("FT_Error error  =  FT_Init_FreeType( & m_pFTLib);  \n");
        return 0;
    }
    return 1;
}

void FreeFontEnv() {
    DebugLog("FreeFontEnv ... \n");
    if (m_pFTLib) {
        // The cached faces first, with the bytes they read from.
        ReleaseIconFaces();
        std::vector<FT_Face>& faces = OpenFaces();
        while (!faces.empty()) {
            FT_Face face = faces.back();
            faces.pop_back();
            FT_Done_Face(face);
        }
        FT_Done_FreeType(m_pFTLib);
        m_pFTLib = nullptr;
    }
    DebugLog("FreeFontEnv end \n");
}

void RegisterOpenFace(FT_Face face) {
    if (face) OpenFaces().push_back(face);
}

void CloseOpenFace(FT_Face face) {
    if (!face) return;
    std::vector<FT_Face>& faces = OpenFaces();
    auto it = std::find(faces.begin(), faces.end(), face);
    if (it == faces.end()) return;  // already closed at shutdown
    faces.erase(it);
    FT_Done_Face(face);
}

size_t OpenFaceCount() { return OpenFaces().size(); }
