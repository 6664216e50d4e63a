#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "model/ClipboardItem.h"

namespace nimbrook {

// Seeded clipboard texts for the benchmarks: the same bytes on every run and every machine
// (no standard distributions, whose output differs between libraries), never downloaded.
class BenchInputs final {
public:
    enum class Kind { latinProse, chineseProse, sourceCode, json, markdown, url, html };

    static constexpr std::size_t kilobyte = 1024;
    static constexpr std::size_t megabyte = 1024 * kilobyte;

    // A text of `kind` of at least `bytes` bytes (whole units, so UTF-8 is never cut and the
    // JSON document stays valid); a different `seed` gives a different text.
    static std::string text(Kind kind, std::size_t bytes, std::uint64_t seed);
    // Blocks of every kind in a seeded order, separated by blank lines, as a day of copies
    // pasted into one note: at least `bytes` bytes.
    static std::string mixed(std::size_t bytes, std::uint64_t seed);
    // `piece` repeated up to at least `bytes` bytes.
    static std::string repeated(std::string_view piece, std::size_t bytes);
    // "1KB", "10KB", "1MB", "10MB", ...: the size in benchmark names (whole units only).
    static std::string sizeName(std::size_t bytes);
    // The kind's name in benchmark names: "latinProse", "json", ...
    static std::string_view kindName(Kind kind);
    // Every kind, in declaration order.
    static const std::vector<Kind>& allKinds();
    // `count` entries of at least `bytes` bytes each, newest first, all contents distinct,
    // of mixed kinds and source applications (some without).
    static std::vector<ClipboardItem> history(std::size_t count, std::size_t bytes,
                                              std::uint64_t seed);
};

}  // namespace nimbrook
