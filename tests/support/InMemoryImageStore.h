#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "platform/ImageStore.h"

namespace nimbrook {

// Image files kept in a map under the made-up folder "/memory"; can be told to fail.
class InMemoryImageStore final : public ImageStore {
public:
    std::optional<std::string> store(std::string_view bytes, Timestamp now) override;

    // While failing, store() writes nothing and returns nullopt.
    void setFailing(bool failing) { failing_ = failing; }
    // Path to bytes of every file written.
    const std::map<std::string, std::string>& files() const { return files_; }

private:
    std::map<std::string, std::string> files_;
    bool failing_ = false;
};

}  // namespace nimbrook
