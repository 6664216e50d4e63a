#pragma once

#include <string_view>

namespace nimbrook {

// What a JsonReader meets, in document order. Each returns false to stop the reading, which
// then fails.
class JsonEvents {
public:
    virtual ~JsonEvents() = default;

    virtual bool null() = 0;
    virtual bool boolean(bool value) = 0;
    // `literal` is a number by the grammar, as it stands in the text.
    virtual bool number(std::string_view literal) = 0;
    // The decoded value (valid UTF-8). It stands in the reader's input or its own buffer, so it
    // lasts only until the call returns.
    virtual bool string(std::string_view value) = 0;
    virtual bool key(std::string_view name) = 0;
    virtual bool startObject() = 0;
    virtual bool endObject() = 0;
    virtual bool startArray() = 0;
    virtual bool endArray() = 0;
};

}  // namespace nimbrook
