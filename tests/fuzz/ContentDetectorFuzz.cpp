// Every text gets one of the six types, and invalid UTF-8 the type of its repaired form.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzCheck.h"
#include "detection/ContentDetector.h"
#include "platform/UnicodeText.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace nimbrook;
    const std::string text(reinterpret_cast<const char*>(data), size);
    const ContentType type = ContentDetector::detect(text);
    require(std::ranges::find(allContentTypes, type) != allContentTypes.end(),
            "one of the six types");
    if (!UnicodeText::isValidUtf8(text)) {
        require(ContentDetector::detect(UnicodeText::repairedUtf8(text)) == type,
                "invalid UTF-8 is classified as its repaired form");
    }
    return 0;
}
