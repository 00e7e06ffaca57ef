#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace platform {

// Options of a process activity: what the system must not do to the process while
// the activity lasts.
namespace ActivityOptions {
inline constexpr std::uint64_t userInitiated = 0x00FFFFFF;
}  // namespace ActivityOptions

// The opaque object that stands for one begun activity.
class ActivityToken {
public:
    virtual ~ActivityToken() = default;
};

// Tells the system that the process is doing work the user asked for, so that it is
// not throttled while the work lasts.
class ProcessActivity {
public:
    virtual ~ProcessActivity() = default;
    virtual std::unique_ptr<ActivityToken> beginActivity(std::uint64_t options, const std::string& reason) = 0;
    virtual void endActivity(std::unique_ptr<ActivityToken> token) = 0;
};

}  // namespace platform
