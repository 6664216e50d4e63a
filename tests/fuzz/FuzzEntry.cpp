#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    nimbrook::checkInput(std::string(reinterpret_cast<const char*>(data), size));
    return 0;
}
