#include "platform/linux/ScopedEnvironmentVariable.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

constexpr const char* kName = "TAVELO_SCOPED_VARIABLE_TEST";

std::string current() {
    const char* value = std::getenv(kName);
    return value != nullptr ? value : "<unset>";
}

// What the guard sets must not outlive it: a toolkit setting meant for this process's
// start would otherwise reach every program it starts later.
TEST(ScopedEnvironmentVariableTest, PutsBackTheValueOrTheAbsenceItFound) {
    ::unsetenv(kName);
    {
        platform::ScopedEnvironmentVariable scoped(kName, "disable");
        EXPECT_EQ(current(), "disable");
    }
    EXPECT_EQ(current(), "<unset>");

    ::setenv(kName, "the user's own", 1);
    {
        platform::ScopedEnvironmentVariable outer(kName, "first");
        {
            platform::ScopedEnvironmentVariable inner(kName, "");
            EXPECT_EQ(current(), "") << "an empty value is still a value";
        }
        EXPECT_EQ(current(), "first");
    }
    EXPECT_EQ(current(), "the user's own");
    ::unsetenv(kName);
}

}  // namespace
