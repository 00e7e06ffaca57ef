#pragma once

#include <optional>
#include <string>

namespace platform {

// Sets an environment variable of this process for as long as it lives, then puts back
// what was there before (the old value, or no variable at all). For settings a library
// reads once, when it starts, that must not reach the programs this process starts later.
class ScopedEnvironmentVariable {
public:
    ScopedEnvironmentVariable(std::string name, const std::string& value);
    ~ScopedEnvironmentVariable();
    ScopedEnvironmentVariable(const ScopedEnvironmentVariable&) = delete;
    ScopedEnvironmentVariable& operator=(const ScopedEnvironmentVariable&) = delete;
    ScopedEnvironmentVariable(ScopedEnvironmentVariable&&) = delete;
    ScopedEnvironmentVariable& operator=(ScopedEnvironmentVariable&&) = delete;

private:
    std::string name_;
    std::optional<std::string> previous_;
};

}  // namespace platform
