#pragma once

#include <string>
#include <vector>

namespace platform::fake {

// Every call made on the fake platform, in order, as readable lines such as
// "window.setLevel desktop" or "log App did finish launching".
class CallRecord {
public:
    void add(std::string call) { calls_.push_back(std::move(call)); }
    const std::vector<std::string>& calls() const { return calls_; }
    void clear() { calls_.clear(); }

    // Position of the first call that starts with `prefix`, or -1.
    int indexOf(const std::string& prefix) const;
    bool contains(const std::string& prefix) const { return indexOf(prefix) >= 0; }
    int count(const std::string& prefix) const;
    // The calls that start with `prefix`, in order.
    std::vector<std::string> matching(const std::string& prefix) const;

private:
    std::vector<std::string> calls_;
};

}  // namespace platform::fake
