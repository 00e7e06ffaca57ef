#pragma once

#include <chrono>
#include <cstddef>
#include <map>
#include <string>

namespace viewsite {

// How many connections the site keeps open and for how long: enough for a few browsers
// and the data fetches of every page, few enough that no client, nor all of them
// together, can hold the descriptors or memory a public server would run out of.
struct ConnectionLimits {
    std::size_t total = 256;
    std::size_t perClient = 64;
    // From the connection's start to the end of its request's headers: a client that
    // connects and sends nothing, or its request slowly, is dropped.
    std::chrono::milliseconds headerTimeout{10000};
    // From the end of the request to the end of its answer: a client that stops reading
    // its answer is dropped. (Each connection carries one request: see SiteServer.)
    std::chrono::milliseconds answerTimeout{60000};
};

// The open connections by client address: whether one more may be let in.
class ConnectionLedger {
public:
    explicit ConnectionLedger(ConnectionLimits limits) : limits_(limits) {}

    enum class Admission { admitted, overTotal, overClient };
    // Counts the connection in when admitted.
    Admission admit(const std::string& client);
    void release(const std::string& client);

    std::size_t open() const { return open_; }
    std::size_t openFrom(const std::string& client) const;
    const ConnectionLimits& limits() const { return limits_; }

private:
    ConnectionLimits limits_;
    std::size_t open_ = 0;
    std::map<std::string, std::size_t> byClient_;
};

}  // namespace viewsite
