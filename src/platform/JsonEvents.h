#pragma once

#include <string>
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
    // The decoded value (valid UTF-8), which the receiver may move from.
    virtual bool string(std::string& value) = 0;
    virtual bool key(std::string& name) = 0;
    virtual bool startObject() = 0;
    virtual bool endObject() = 0;
    virtual bool startArray() = 0;
    virtual bool endArray() = 0;
};

}  // namespace nimbrook
