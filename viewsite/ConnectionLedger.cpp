#include "viewsite/ConnectionLedger.h"

namespace viewsite {

ConnectionLedger::Admission ConnectionLedger::admit(const std::string& client) {
    if (open_ >= limits_.total) {
        return Admission::overTotal;
    }
    std::size_t& fromClient = byClient_[client];
    if (fromClient >= limits_.perClient) {
        return Admission::overClient;
    }
    ++fromClient;
    ++open_;
    return Admission::admitted;
}

void ConnectionLedger::release(const std::string& client) {
    const auto entry = byClient_.find(client);
    if (entry == byClient_.end() || entry->second == 0) {
        return;
    }
    --open_;
    if (--entry->second == 0) {
        byClient_.erase(entry);
    }
}

std::size_t ConnectionLedger::openFrom(const std::string& client) const {
    const auto entry = byClient_.find(client);
    return entry == byClient_.end() ? 0 : entry->second;
}

}  // namespace viewsite
