#include "platform/gtk/LocalPageScheme.h"

#include "platform/ConfinedPath.h"
#include "platform/ContentType.h"
#include "platform/FileURL.h"
#include "platform/gtk/GObjectPtr.h"

#include <boost/url/parse.hpp>
#include <boost/url/url.hpp>

#include <system_error>

namespace platform::gtk {

namespace fs = std::filesystem;

namespace {

constexpr const char* accessRootKey = "tavelo-access-root";
constexpr std::uintmax_t largestServedFile = std::uintmax_t{64} * 1024 * 1024;

void refuse(WebKitURISchemeRequest* request, GIOErrorEnum code, const char* message) {
    GErrorPtr error(g_error_new_literal(G_IO_ERROR, code, message));
    webkit_uri_scheme_request_finish_error(request, error.get());
}

}  // namespace

void LocalPageScheme::registerIn(WebKitWebContext* context) {
    if (g_object_get_data(G_OBJECT(context), scheme) != nullptr) {
        return;
    }
    g_object_set_data(G_OBJECT(context), scheme, GINT_TO_POINTER(1));
    webkit_web_context_register_uri_scheme(context, scheme, &LocalPageScheme::handleRequest, nullptr, nullptr);
    WebKitSecurityManager* security = webkit_web_context_get_security_manager(context);
    // The page's own scripts, styles and data load through it like from any web origin,
    // and it may fetch from the network as a secure origin.
    webkit_security_manager_register_uri_scheme_as_secure(security, scheme);
    webkit_security_manager_register_uri_scheme_as_cors_enabled(security, scheme);
}

std::optional<std::string> LocalPageScheme::pageAddress(WebKitWebView* view, const std::string& fileURL,
                                                        const std::string& accessURL) {
    const auto page = pathFromFileURL(fileURL);
    const auto folder = pathFromFileURL(accessURL);
    if (!page || !folder) {
        return std::nullopt;
    }
    std::error_code error;
    const fs::path root = fs::weakly_canonical(*folder, error);
    if (error) {
        return std::nullopt;
    }
    const fs::path relative = fs::weakly_canonical(*page, error).lexically_relative(root);
    if (error || relative.empty() || *relative.begin() == "..") {
        return std::nullopt;
    }
    g_object_set_data_full(G_OBJECT(view), accessRootKey, g_strdup(root.c_str()), g_free);

    boost::urls::url address;
    address.set_scheme(scheme);
    address.set_encoded_host("page");
    address.set_path("/" + relative.generic_string());
    if (const auto query = queryOfURL(fileURL)) {
        address.set_encoded_query(*query);
    }
    return std::string(address.buffer());
}

void LocalPageScheme::handleRequest(WebKitURISchemeRequest* request, gpointer) {
    WebKitWebView* view = webkit_uri_scheme_request_get_web_view(request);
    const auto* root = view ? static_cast<const char*>(g_object_get_data(G_OBJECT(view), accessRootKey)) : nullptr;
    const auto address = boost::urls::parse_uri(webkit_uri_scheme_request_get_uri(request));
    if (root == nullptr || !address) {
        refuse(request, G_IO_ERROR_PERMISSION_DENIED, "No local folder is open in this view.");
        return;
    }
    const auto file = platform::confinedFile(root, address->path());
    if (!file) {
        refuse(request, G_IO_ERROR_NOT_FOUND, "Not found in the page's folder.");
        return;
    }
    std::error_code error;
    const auto size = fs::file_size(*file, error);
    if (error || size > largestServedFile) {
        refuse(request, G_IO_ERROR_NOT_FOUND, "Not readable.");
        return;
    }
    // The engine reads the file straight from disk: no copy of it is kept here.
    auto location = adoptGObject(g_file_new_for_path(file->c_str()));
    GError* rawError = nullptr;
    auto stream = adoptGObject(g_file_read(location.get(), nullptr, &rawError));
    GErrorPtr readError(rawError);
    if (!stream) {
        refuse(request, G_IO_ERROR_FAILED, "Read error.");
        return;
    }
    auto response =
        adoptGObject(webkit_uri_scheme_response_new(G_INPUT_STREAM(stream.get()), static_cast<gint64>(size)));
    webkit_uri_scheme_response_set_status(response.get(), 200, nullptr);
    webkit_uri_scheme_response_set_content_type(response.get(), contentTypeFor(file->string()).c_str());
    webkit_uri_scheme_request_finish_with_response(request, response.get());
}

}  // namespace platform::gtk
