#include "base/file_version.h"

namespace {

// Little-endian reads at an offset the caller has checked.
uint16_t Word(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

uint32_t DoubleWord(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}

constexpr char kRootKey[] = "VS_VERSION_INFO";
constexpr uint32_t kFixedSignature = 0xFEEF04BDu;
constexpr size_t kFixedSize = 52;  // thirteen double words

}  // namespace

bool ReadFileVersion(const uint8_t* block, size_t size, FileVersion* version) {
    if (!block || !version || size < 6) return false;
    // wLength, wValueLength, wType, then the key in UTF-16 with its zero.
    const size_t length = Word(block);
    const size_t valueLength = Word(block + 2);
    if (length < 6 || length > size) return false;
    size_t at = 6;
    for (size_t i = 0; i < sizeof(kRootKey); ++i, at += 2) {
        if (at + 2 > length) return false;
        const uint16_t c = Word(block + at);
        if (c != static_cast<uint8_t>(kRootKey[i])) return false;
    }
    at = (at + 3) & ~static_cast<size_t>(3);  // the value starts on a double-word boundary
    if (valueLength < kFixedSize || at + kFixedSize > length) return false;
    const uint8_t* fixed = block + at;
    if (DoubleWord(fixed) != kFixedSignature) return false;
    const uint32_t high = DoubleWord(fixed + 8);
    const uint32_t low = DoubleWord(fixed + 12);
    version->major = static_cast<uint16_t>(high >> 16);
    version->minor = static_cast<uint16_t>(high & 0xFFFF);
    version->build = static_cast<uint16_t>(low >> 16);
    version->revision = static_cast<uint16_t>(low & 0xFFFF);
    return true;
}

int GenerationOfVersion(const FileVersion& version) { return version.major * 10 + version.minor; }
