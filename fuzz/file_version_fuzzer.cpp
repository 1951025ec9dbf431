// ReadFileVersion: any bytes, read through an exactly sized copy; a version is
// read only from a block that holds the root key and the signature within the
// length it gives.
#include <cstring>
#include <memory>

#include "base/file_version.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::unique_ptr<uint8_t[]> copy(new uint8_t[size ? size : 1]);
    if (size) std::memcpy(copy.get(), data, size);
    FileVersion version;
    version.major = 0xABCD;
    if (!ReadFileVersion(copy.get(), size, &version)) {
        FUZZ_CHECK(version.major == 0xABCD);
        return 0;
    }
    const size_t length = copy[0] | (copy[1] << 8);
    FUZZ_CHECK(length <= size && length >= 6 + 32 + 2 + 52);
    FUZZ_CHECK(copy[40] == 0xBD && copy[41] == 0x04 && copy[42] == 0xEF && copy[43] == 0xFE);
    FUZZ_CHECK(version.major == (copy[50] | (copy[51] << 8)));
    FUZZ_CHECK(GenerationOfVersion(version) == version.major * 10 + version.minor);
    return 0;
}
