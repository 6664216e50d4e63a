#pragma once

#include <concepts>
#include <ostream>
#include <string>

#include <gtest/gtest.h>

namespace nimbrook {

template <typename Case>
concept NamedCase = requires(const Case& testCase) {
    { testCase.name } -> std::convertible_to<std::string>;
};

// A failing table row is shown by its name rather than as a dump of its bytes.
template <NamedCase Case>
void PrintTo(const Case& testCase, std::ostream* stream) {
    *stream << testCase.name;
}

// The test name of a table row.
inline constexpr auto nameOf = []<NamedCase Case>(const testing::TestParamInfo<Case>& info) {
    return std::string(info.param.name);
};

}  // namespace nimbrook
