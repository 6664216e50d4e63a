#pragma once

#include <memory>
#include <string>

#include "model/Timestamp.h"

namespace nimbrook {

// ICU relative date-time formatting, locale "zh_CN", short style, numeric: the largest
// unit (year .. second) whose whole count is at least 1; under a second the zero-second phrase.
class RelativeTimeFormatter final {
public:
    RelativeTimeFormatter();
    ~RelativeTimeFormatter();
    RelativeTimeFormatter(const RelativeTimeFormatter&) = delete;
    RelativeTimeFormatter& operator=(const RelativeTimeFormatter&) = delete;

    // The phrase for `moment` seen from `now` (a moment after `now` reads as the future).
    std::string format(Timestamp moment, Timestamp now) const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace nimbrook
