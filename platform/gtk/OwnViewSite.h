#pragma once

#include "platform/ViewSiteDiscovery.h"

#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <optional>
#include <string>

namespace platform::gtk {

// This process's way to the built-in view site. The search (ViewSiteDiscovery's
// decisions) runs on the main loop; every look and start it asks for runs on a worker
// thread and reports back to the main loop, so a silent port or a starting site never
// holds the loop up. The site is searched for once as the program starts; after that,
// a page of the built-in origin is loaded only once a fresh look has confirmed that
// this account's site serves it (the site may have ended by its idle exit, and its
// port been taken by another account, since the last look), and a look that finds
// nothing starts the site again.
class OwnViewSite {
public:
    // Cancels the answer it stands for when it is dropped.
    class Request {
    public:
        explicit Request(std::uint64_t id) : id_(id) {}
        ~Request();
        Request(const Request&) = delete;
        Request& operator=(const Request&) = delete;

    private:
        std::uint64_t id_;
    };
    using Answer = std::function<void(const std::string& address)>;

    // The one of this process.
    static OwnViewSite& shared();

    // Makes `origin` the built-in site's and starts looking for (and, if need be,
    // starting) the site; a non-loopback origin needs none of it.
    void start(const std::string& origin);

    // Calls `answer` with the address to load `url` from: at once for an address of
    // another origin (returning no request), and once this account's site has been
    // looked for for a page of the built-in one.
    [[nodiscard]] std::unique_ptr<Request> addressFor(const std::string& url, Answer answer);

    // Calls `silent` when `url` is a page of the built-in site and the site it was
    // last found on no longer answers.
    [[nodiscard]] std::unique_ptr<Request> whenSilent(const std::string& url, std::function<void()> silent);

private:
    struct Waiter {
        std::uint64_t id;
        std::string url;
        Answer answer;
    };

    OwnViewSite() = default;
    void search();
    void act(ViewSiteDiscovery::Step step);
    void answerWaiters();
    void forget(std::uint64_t id);

    std::optional<ViewSiteDiscovery> discovery_;
    bool searching_ = false;
    std::uint64_t nextId_ = 1;
    struct Check {
        std::uint64_t id;
        std::function<void()> silent;
    };
    std::list<Waiter> waiters_;
    std::list<Check> checks_;
};

}  // namespace platform::gtk
