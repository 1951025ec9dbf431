#include "text/icon_face_cache.h"

#include <windows.h>

#include <algorithm>
#include <list>
#include <new>

#include FT_GLYPH_H

namespace {

constexpr size_t kMaxFaces = 4;
constexpr size_t kMaxGlyphs = 256;              // per face
constexpr size_t kMaxGlyphBytes = 256 * 1024;   // one glyph's coverage kept at most
constexpr size_t kMaxFaceGlyphBytes = 4 << 20;  // all glyphs of one face
constexpr DWORD kMaxFileBytes = 64u << 20;      // icon fonts are some hundred kilobytes

// What identifies one version of a file on disk.
struct FileStamp {
    std::string path;  // full path
    ULONGLONG size = 0;
    FILETIME written = {};
    bool operator==(const FileStamp& o) const {
        return size == o.size && written.dwLowDateTime == o.written.dwLowDateTime &&
               written.dwHighDateTime == o.written.dwHighDateTime && path == o.path;
    }
};

struct CachedFace {
    FileStamp file;
    IconFaceSize size;
    std::shared_ptr<IconFace> face;
};

// Most recently used first. Made on first use and freed by ReleaseIconFaces,
// not at process exit.
std::list<CachedFace>* g_faces = nullptr;

bool CurrentStamp(const char* fileName, FileStamp* stamp) {
    char full[MAX_PATH];
    const DWORD length = GetFullPathNameA(fileName, MAX_PATH, full, nullptr);
    if (length == 0 || length >= MAX_PATH) return false;
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(full, GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        return false;
    }
    stamp->path.assign(full, length);
    stamp->size = (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    stamp->written = data.ftLastWriteTime;
    return true;
}

class FileHandle {
public:
    explicit FileHandle(HANDLE h) : m_h(h) {}
    ~FileHandle() {
        if (m_h != INVALID_HANDLE_VALUE) CloseHandle(m_h);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    HANDLE get() const { return m_h; }

private:
    HANDLE m_h;
};

// Reads the whole file and the stamp of what was read. The file is shared
// for reading, writing and deletion while it is read, and closed at once.
std::shared_ptr<const std::vector<FT_Byte>> ReadFile(const std::string& path, FileStamp* stamp, FT_Error* error) {
    *error = FT_Err_Cannot_Open_Resource;
    FileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) return nullptr;
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(file.get(), &info)) return nullptr;
    stamp->size = (static_cast<ULONGLONG>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    stamp->written = info.ftLastWriteTime;
    // FreeType's own file stream refuses an empty file the same way.
    if (stamp->size == 0) {
        *error = FT_Err_Cannot_Open_Stream;
        return nullptr;
    }
    if (stamp->size > kMaxFileBytes) {
        *error = FT_Err_Out_Of_Memory;
        return nullptr;
    }
    std::shared_ptr<std::vector<FT_Byte>> bytes;
    try {
        bytes = std::make_shared<std::vector<FT_Byte>>(static_cast<size_t>(stamp->size));
    } catch (const std::bad_alloc&) {
        *error = FT_Err_Out_Of_Memory;
        return nullptr;
    }
    DWORD read = 0;
    if (!::ReadFile(file.get(), bytes->data(), static_cast<DWORD>(bytes->size()), &read, nullptr) ||
        read != bytes->size()) {
        *error = FT_Err_Invalid_Stream_Read;
        return nullptr;
    }
    *error = 0;
    return bytes;
}

class OwnedGlyph {
public:
    OwnedGlyph() = default;
    ~OwnedGlyph() {
        if (m_glyph) FT_Done_Glyph(m_glyph);
    }
    OwnedGlyph(const OwnedGlyph&) = delete;
    OwnedGlyph& operator=(const OwnedGlyph&) = delete;
    FT_Glyph* out() { return &m_glyph; }

private:
    FT_Glyph m_glyph = nullptr;
};

}  // namespace

IconFace::IconFace(std::shared_ptr<const std::vector<FT_Byte>> bytes) : m_bytes(std::move(bytes)) {}

FT_Error IconFace::Open(const IconFaceSize& size) {
    FT_Face face = nullptr;
    FT_Error error = FT_New_Memory_Face(m_pFTLib, m_bytes->data(), static_cast<FT_Long>(m_bytes->size()), 0, &face);
    if (error) {
        // Opened by its path, a file no driver takes goes on to the search
        // for a Macintosh resource fork beside it, which finds none and
        // reports an unknown format also where the bytes ran out first.
        if (error == FT_Err_Invalid_Stream_Operation) error = FT_Err_Unknown_File_Format;
        return error;
    }
    m_face = face;
    RegisterOpenFace(face);
    FT_Select_Charmap(face, FT_ENCODING_UNICODE);
    if (!face->charmap && face->num_charmaps > 0 && face->charmaps[0]) {
        FT_Select_Charmap(face, face->charmaps[0]->encoding);
    }
    m_sizeError =
        size.usePixelSizes
            ? FT_Set_Pixel_Sizes(face, static_cast<FT_UInt>(size.charWidth), static_cast<FT_UInt>(size.charHeight))
            : FT_Set_Char_Size(face, static_cast<FT_F26Dot6>(size.charWidth) * 64,
                               static_cast<FT_F26Dot6>(size.charHeight) * 64, static_cast<FT_UInt>(size.horzRes),
                               static_cast<FT_UInt>(size.vertRes));
    return 0;
}

IconFace::~IconFace() {
    // A face the library already closed at its release is not in the open
    // list any more and is left alone.
    if (m_face) CloseOpenFace(m_face);
}

void IconFace::RenderInto(FT_UInt index, RenderedGlyph& out) {
    out = RenderedGlyph();
    out.loadError = FT_Load_Glyph(m_face, index, FT_LOAD_DEFAULT);
    if (out.loadError) return;
    out.renderError = FT_Render_Glyph(m_face->glyph, FT_RENDER_MODE_NORMAL);
    // The glyph object takes over the slot's bitmap: the slot's buffer is
    // read while the object lives.
    OwnedGlyph glyph;
    out.glyphError = FT_Get_Glyph(m_face->glyph, glyph.out());
    const FT_Bitmap& bitmap = m_face->glyph->bitmap;
    out.pixelMode = bitmap.pixel_mode;
    out.width = static_cast<int>(bitmap.width);
    out.rows = static_cast<int>(bitmap.rows);
    // Rows are kept top first whichever way FreeType laid them out.
    const int pitch = bitmap.pitch < 0 ? -bitmap.pitch : bitmap.pitch;
    out.pitch = pitch;
    if (!bitmap.buffer || out.rows == 0 || pitch == 0) return;
    out.coverage.resize(static_cast<size_t>(pitch) * static_cast<size_t>(out.rows));
    for (int y = 0; y < out.rows; ++y) {
        const unsigned char* row = bitmap.pitch < 0 ? bitmap.buffer + static_cast<ptrdiff_t>(out.rows - 1 - y) * pitch
                                                    : bitmap.buffer + static_cast<ptrdiff_t>(y) * pitch;
        std::copy(row, row + pitch, out.coverage.begin() + static_cast<ptrdiff_t>(y) * pitch);
    }
}

const RenderedGlyph& IconFace::Render(FT_UInt index) {
    auto found = m_glyphs.find(index);
    if (found != m_glyphs.end()) return found->second;
    RenderInto(index, m_uncached);
    const size_t bytes = m_uncached.coverage.size();
    if (bytes > kMaxGlyphBytes) return m_uncached;
    if (m_glyphs.size() >= kMaxGlyphs || m_glyphBytes + bytes > kMaxFaceGlyphBytes) {
        m_glyphs.clear();
        m_glyphBytes = 0;
    }
    RenderedGlyph& kept = m_glyphs[index];
    kept = std::move(m_uncached);
    m_uncached = RenderedGlyph();
    m_glyphBytes += bytes;
    return kept;
}

std::shared_ptr<IconFace> OpenIconFace(const char* fileName, const IconFaceSize& size, FT_Error* error) {
    *error = FT_Err_Cannot_Open_Resource;
    if (!m_pFTLib || !fileName) return nullptr;
    try {
        FileStamp stamp;
        if (!CurrentStamp(fileName, &stamp)) return nullptr;
        if (!g_faces) g_faces = new std::list<CachedFace>();
        std::shared_ptr<const std::vector<FT_Byte>> bytes;
        for (auto it = g_faces->begin(); it != g_faces->end();) {
            if (it->file.path != stamp.path) {
                ++it;
            } else if (!(it->file == stamp)) {
                it = g_faces->erase(it);  // the file changed since it was read
            } else if (it->size == size) {
                g_faces->splice(g_faces->begin(), *g_faces, it);
                *error = 0;
                return g_faces->front().face;
            } else {
                bytes = it->face ? it->face->Bytes() : nullptr;
                ++it;
            }
        }
        if (!bytes) {
            bytes = ReadFile(stamp.path, &stamp, error);
            if (!bytes) return nullptr;
        }
        auto face = std::make_shared<IconFace>(std::move(bytes));
        *error = face->Open(size);
        if (*error) return nullptr;
        g_faces->push_front(CachedFace{stamp, size, face});
        while (g_faces->size() > kMaxFaces) g_faces->pop_back();
        return face;
    } catch (const std::bad_alloc&) {
        *error = FT_Err_Out_Of_Memory;
        return nullptr;
    }
}

void ReleaseIconFaces() {
    delete g_faces;
    g_faces = nullptr;
}

size_t CachedIconFaceCount() { return g_faces ? g_faces->size() : 0; }
