#include "platform/fake/FakeWorkspace.h"

namespace platform::fake {

bool FakeWorkspace::open(const std::string& url) {
    record_.add("workspace.open " + url);
    opened.push_back(url);
    return true;
}

}  // namespace platform::fake
