// Every conversion gives valid UTF-8 for any bytes; a JSON document minifies the same after
// prettifying, and stripping its format is minifying it.
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzCheck.h"
#include "conversion/SmartConverter.h"
#include "platform/JsonText.h"
#include "platform/UnicodeText.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace nimbrook;
    using Conversion = SmartConverter::Conversion;
    const std::string text(reinterpret_cast<const char*>(data), size);
    for (const Conversion conversion : SmartConverter::allCases) {
        require(UnicodeText::isValidUtf8(SmartConverter::convert(text, conversion)),
                "a conversion gives valid UTF-8");
    }
    if (!JsonText::isDocument(text)) {
        return 0;
    }
    const std::string minified = SmartConverter::convert(text, Conversion::minifyJSON);
    const std::string pretty = SmartConverter::convert(text, Conversion::prettifyJSON);
    require(SmartConverter::convert(pretty, Conversion::minifyJSON) == minified,
            "minify(prettify(x)) == minify(x)");
    require(SmartConverter::convert(text, Conversion::stripFormat) == minified,
            "stripFormat(x) == minifyJSON(x) for a JSON document");
    return 0;
}
