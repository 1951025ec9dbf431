// The icon font's faces, kept from one drawing call to the next.
//
// A face is opened from a copy of the font file's bytes in memory, so the
// file itself is never held open: it can be renamed, deleted or
// overwritten while the library runs. Faces are found by the file's full
// path, its size and last-write time, and the character size; a file that
// changed on disk no longer matches and is read again at the next draw. Each
// face keeps the glyphs it rendered as 8-bit coverage with their metrics
// (colour and brightness are applied when blending, so they play no part).
//
// Bounded: a few faces, least recently used first out; a few hundred glyphs
// per face. Used on the thread that owns the library only, like the FreeType
// library it draws on (frame/call_barrier.h); released with the library at
// StopTessel (FreeFontEnv) or when the module is unloaded.
#pragma once

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "text/font_env.h"

// How a face is sized once opened: FT_Set_Pixel_Sizes with the two
// dimensions, or FT_Set_Char_Size with them in points at the resolutions.
struct IconFaceSize {
    int charWidth = 0;
    int charHeight = 0;
    int usePixelSizes = 0;
    int horzRes = 0;
    int vertRes = 0;
    bool operator==(const IconFaceSize& o) const {
        return charWidth == o.charWidth && charHeight == o.charHeight && usePixelSizes == o.usePixelSizes &&
               horzRes == o.horzRes && vertRes == o.vertRes;
    }
};

// One glyph as FT_Load_Glyph (default flags), FT_Render_Glyph (normal mode)
// and FT_Get_Glyph left it.
struct RenderedGlyph {
    FT_Error loadError = 0;
    FT_Error renderError = 0;
    FT_Error glyphError = 0;
    int pixelMode = FT_PIXEL_MODE_NONE;
    int width = 0;
    int rows = 0;
    int pitch = 0;                        // bytes from one coverage row to the next
    std::vector<unsigned char> coverage;  // rows * pitch bytes
};

class IconFace {
public:
    explicit IconFace(std::shared_ptr<const std::vector<FT_Byte>> bytes);
    ~IconFace();
    IconFace(const IconFace&) = delete;
    IconFace& operator=(const IconFace&) = delete;

    // Opens face 0 on the bytes (FT_New_Memory_Face), registers it as open,
    // selects the character map and sets the size; FreeType's error, as
    // opening the file by its path reports it, when it refuses the bytes.
    FT_Error Open(const IconFaceSize& size);

    FT_Face Face() const { return m_face; }
    // What setting the size reported when the face was opened.
    FT_Error SizeError() const { return m_sizeError; }
    // The file's bytes the face reads from.
    const std::shared_ptr<const std::vector<FT_Byte>>& Bytes() const { return m_bytes; }
    // The glyph at index, rendered at the first call. The reference holds
    // until the next call.
    const RenderedGlyph& Render(FT_UInt index);
    size_t CachedGlyphCount() const { return m_glyphs.size(); }

private:
    void RenderInto(FT_UInt index, RenderedGlyph& out);

    std::shared_ptr<const std::vector<FT_Byte>> m_bytes;
    FT_Face m_face = nullptr;
    FT_Error m_sizeError = 0;
    std::unordered_map<FT_UInt, RenderedGlyph> m_glyphs;
    size_t m_glyphBytes = 0;
    RenderedGlyph m_uncached;  // a glyph too large to keep
};

// The face of the named file (the narrow name as the C runtime opens it) at
// the size: from the cache when the file is unchanged, else read and opened
// afresh. Null when the file cannot be read or FreeType refuses it; *error
// then holds FreeType's error (FT_Err_Unknown_File_Format for bytes that are
// no font).
std::shared_ptr<IconFace> OpenIconFace(const char* fileName, const IconFaceSize& size, FT_Error* error);

// Drops every cached face; faces still in use close when their last user lets go.
void ReleaseIconFaces();
size_t CachedIconFaceCount();
