#pragma once

#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace nimbrook {

// What each verb of a script does, made for the argument of the step at hand.
using StepVerbs = std::map<std::string, std::function<void()>>;

// Takes each step in turn: its first word is the verb, the rest of it the argument.
inline void playSteps(const std::vector<std::string>& steps,
                      const std::function<StepVerbs(const std::string& argument)>& verbsFor) {
    for (const std::string& step : steps) {
        SCOPED_TRACE(step);
        const std::size_t space = std::min(step.find(' '), step.size());
        const std::string argument = step.substr(std::min(space + 1, step.size()));
        const StepVerbs verbs = verbsFor(argument);
        const auto found = verbs.find(step.substr(0, space));
        ASSERT_NE(found, verbs.end()) << "no such step";
        found->second();
    }
}

}  // namespace nimbrook
