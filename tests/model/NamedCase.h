#pragma once

#include <ostream>
#include <string>

#include <gtest/gtest.h>

namespace nimbrook {

// A failing table row is shown by its name rather than as a dump of its bytes.
template <typename Case>
requires requires(const Case& testCase) {
    std::string(testCase.name);
}
void PrintTo(const Case& testCase, std::ostream* stream) {
    *stream << testCase.name;
}

// Rows live in the test's unnamed namespace, where the printer looks for PrintTo.
namespace {
using nimbrook::PrintTo;
}  // namespace

inline constexpr auto nameOf = [](const auto& info) { return std::string(info.param.name); };

}  // namespace nimbrook
