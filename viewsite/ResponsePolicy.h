#pragma once

#include "platform/ContentType.h"
#include "platform/ProductNames.h"

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>

// What the view site says about each file it serves: its type, how long a browser may
// keep it, its validators, and the security headers every answer carries.
namespace viewsite {

// The pages load their scripts, styles, fonts and data from the site itself and
// nothing else; they are never framed and post no forms.
inline constexpr std::string_view contentSecurityPolicy =
    "default-src 'none'; script-src 'self'; style-src 'self'; font-src 'self'; img-src 'self' data:; "
    "connect-src 'self'; base-uri 'none'; form-action 'none'; frame-ancestors 'none'";

// The path that answers who serves this port, so that a launcher can tell our site
// from another program that holds it.
inline constexpr std::string_view identityPath = product::siteIdentityPath;
inline constexpr std::string_view serviceName = product::siteProgramName;

// The one table of file types, shared with the pages the application serves itself.
using platform::contentTypeFor;

// Data changes every few minutes: a short lifetime, then revalidation. Versioned
// assets never change under the same address: a year, immutable. Those are the
// scripts and styles the pages name by content ("?v=<hash>" in `query`) and the fonts,
// whose names change when they do. Pages revalidate every time, so a new release shows
// at once; an unversioned script or style may be kept for a few minutes.
std::string cacheControlFor(std::string_view requestPath, std::string_view query = {});

// Whether a Range header asks for exactly one byte range, the only kind the site honours:
// a list of ranges (overlapping, repeated, thousands of them) gets the whole file, so an
// answer is never larger than the file and its headers.
bool isSingleByteRange(std::string_view range);

struct FileFacts {
    std::uint64_t size = 0;
    std::int64_t modifiedNanoseconds = 0;  // since the epoch
};

std::string entityTag(const FileFacts& facts);
std::string httpDate(std::time_t when);
std::optional<std::time_t> parseHttpDate(std::string_view text);

// Whether a GET with these conditional headers (absent when not sent) may be answered
// 304: If-None-Match decides when present; If-Modified-Since only without it.
bool notModified(const std::optional<std::string>& ifNoneMatch, const std::optional<std::string>& ifModifiedSince,
                 const std::string& etag, std::time_t lastModified);

}  // namespace viewsite
