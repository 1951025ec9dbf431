// The file version of a module, read from its version resource (the
// VS_VERSIONINFO block with its fixed part), and the runtime generation that
// an unversioned PowerBuilder runtime's version stands for. The block reader
// is a plain function of bytes, so that it builds and is fuzzed outside
// Windows too.
#pragma once

#include <cstddef>
#include <cstdint>

struct FileVersion {
    uint16_t major = 0;
    uint16_t minor = 0;
    uint16_t build = 0;
    uint16_t revision = 0;
};

// Reads the fixed part of a version resource block: the root entry
// "VS_VERSION_INFO" whose value is the fixed file information with its
// signature 0xFEEF04BD. False, and the version untouched, for anything else:
// a block shorter than it says, another key, a value too short or without
// the signature.
bool ReadFileVersion(const uint8_t* block, size_t size, FileVersion* version);

// The generation number of a runtime of that version: major × 10 + minor
// (19.2 → 192, 22.0 → 220, 25.0 → 250).
int GenerationOfVersion(const FileVersion& version);
