#pragma once

#include "platform/fake/CallRecord.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace testing_support {

namespace detail {

inline std::string transcript(const platform::fake::CallRecord& record) {
    std::string text = "\nrecorded calls:";
    for (std::size_t i = 0; i < record.calls().size(); ++i) {
        text += "\n  " + std::to_string(i) + ": " + record.calls()[i];
    }
    return text;
}

inline int lastIndexOf(const platform::fake::CallRecord& record, const std::string& prefix) {
    const auto& calls = record.calls();
    for (std::size_t i = calls.size(); i-- > 0;) {
        if (calls[i].rfind(prefix, 0) == 0) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

}  // namespace detail

// Passes when every prefix names a recorded call and the first calls they name come
// in the given order. A call that never happened fails the check: it is not "first".
//   EXPECT_TRUE(callsInOrder(record, {"loginItem.register", "window.create"}));
inline ::testing::AssertionResult callsInOrder(const platform::fake::CallRecord& record,
                                               const std::vector<std::string>& prefixes) {
    int previous = -1;
    for (std::size_t i = 0; i < prefixes.size(); ++i) {
        const int at = record.indexOf(prefixes[i]);
        if (at < 0) {
            return ::testing::AssertionFailure() << "no call \"" << prefixes[i] << "\"" << detail::transcript(record);
        }
        if (i > 0 && at <= previous) {
            return ::testing::AssertionFailure()
                   << "\"" << prefixes[i] << "\" (call " << at << ") does not come after \"" << prefixes[i - 1]
                   << "\" (call " << previous << ")" << detail::transcript(record);
        }
        previous = at;
    }
    return ::testing::AssertionSuccess();
}

// Passes when calls named by `earlier` happened and every one of them comes before the
// first call named by `later`, which happened too.
inline ::testing::AssertionResult allCallsBefore(const platform::fake::CallRecord& record, const std::string& earlier,
                                                 const std::string& later) {
    const int last = detail::lastIndexOf(record, earlier);
    const int first = record.indexOf(later);
    if (last < 0 || first < 0) {
        return ::testing::AssertionFailure()
               << "no call \"" << (last < 0 ? earlier : later) << "\"" << detail::transcript(record);
    }
    if (last >= first) {
        return ::testing::AssertionFailure() << "\"" << earlier << "\" (call " << last << ") comes after \"" << later
                                             << "\" (call " << first << ")" << detail::transcript(record);
    }
    return ::testing::AssertionSuccess();
}

}  // namespace testing_support
