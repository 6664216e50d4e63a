#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "DesktopSandbox.h"

namespace nimbrook::e2e {

// One MIME type of a clipboard offer and its bytes.
using Flavour = std::pair<std::string, std::string>;

// The real program on a private desktop, and the other programs that copy things.
class NimbrookFixture : public testing::Test {
protected:
    NimbrookFixture();
    void SetUp() override;

    // Starts build/nimbrook and waits until it captures (its socket is there).
    void startProgram(const std::vector<std::string>& extraEnvironment = {});
    // Offers one flavour with xclip, as any X program would.
    void copyWithXclip(const Flavour& flavour);
    // Offers all flavours at once through the test's own clipboard owner; with a class, from
    // a window of that WM_CLASS that is active. Returns the owner's log of fetched types.
    std::filesystem::path copyWithOwner(const std::vector<Flavour>& flavours,
                                        const std::string& windowClass = {});
    // Waits until the owner has handed `mimeType` to a reader.
    bool served(const std::filesystem::path& ownerLog, const std::string& mimeType);
    // Waits until the newest history entry holds `content`.
    bool newestIs(const std::string& content);
    // Sends one request line to the running program's socket.
    bool request(const std::string& line);
    // The clipboard's text as another program reads it.
    std::optional<std::string> clipboardText();

    DesktopSandbox sandbox_;
    std::unique_ptr<ChildProcess> program_;
    std::vector<std::unique_ptr<ChildProcess>> copiers_;
    int copies_ = 0;
};

template <typename Case>
std::string nameOf(const testing::TestParamInfo<Case>& info) {
    return info.param.name;
}

// Cases print as their names, not as bytes.
template <typename Case>
requires requires(const Case& c) {
    c.name;
}
void PrintTo(const Case& value, std::ostream* stream) {
    *stream << value.name;
}

}  // namespace nimbrook::e2e
