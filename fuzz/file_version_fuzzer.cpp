// ReadFileVersion on any bytes, read from an exactly sized copy.
#include <algorithm>
#include <memory>

#include "base/file_version.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::unique_ptr<uint8_t[]> copy(new uint8_t[size]);
    std::copy(data, data + size, copy.get());
    FileVersion version;
    if (ReadFileVersion(copy.get(), size, &version)) GenerationOfVersion(version);
    return 0;
}
