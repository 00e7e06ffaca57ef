#pragma once

#include "platform/Workspace.h"
#include "platform/fake/CallRecord.h"

#include <string>
#include <vector>

namespace platform::fake {

// Records every address it is asked to open, and takes them all.
class FakeWorkspace : public Workspace {
public:
    explicit FakeWorkspace(CallRecord& record) : record_(record) {}
    bool open(const std::string& url) override;
    std::vector<std::string> opened;

private:
    CallRecord& record_;
};

}  // namespace platform::fake
