#pragma once

#include <string>
#include <string_view>

namespace platform {

// The extension of the last name in `path`, dot included ("" for none).
std::string_view extensionOf(std::string_view path);

// The Content-Type of a file served to a page, by the extension of `path` (a file
// name or a request path; case matters). Anything unknown is an octet stream, which
// a page will neither run nor style with.
std::string contentTypeFor(std::string_view path);

}  // namespace platform
