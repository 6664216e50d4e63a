#include "platform/PasteChords.h"

#include <algorithm>
#include <utility>

#include "platform/AsciiText.h"

namespace nimbrook {

namespace {}  // namespace

PasteChords::PasteChords(std::string_view overrides, TerminalTest isTerminal)
    : isTerminal_(std::move(isTerminal)) {
    std::size_t start = 0;
    while (start < overrides.size()) {
        const auto end = std::min(overrides.find(',', start), overrides.size());
        const auto pair = overrides.substr(start, end - start);
        start = end + 1;
        // A chord holds no colon, so the last one ends the program's name.
        const auto colon = pair.rfind(':');
        if (colon == std::string_view::npos) {
            continue;
        }
        const auto program = trimmed(pair.substr(0, colon));
        const auto chord = KeyChord::parse(pair.substr(colon + 1));
        if (!program.empty() && chord) {
            overrides_.try_emplace(std::string(program), *chord);
        }
    }
}

KeyChord PasteChords::chordFor(std::string_view program) const {
    if (program.empty()) {
        return KeyChord::controlV();
    }
    if (const auto exact = overrides_.find(std::string(program)); exact != overrides_.end()) {
        return exact->second;
    }
    const auto lower = asciiLower(program);
    for (const auto& [name, chord] : overrides_) {
        if (asciiLower(name) == lower) {
            return chord;
        }
    }
    if (isTerminal_ && isTerminal_(program)) {
        return KeyChord::controlShiftV();
    }
    return KeyChord::controlV();
}

}  // namespace nimbrook
