#include "platform/WebError.h"

namespace platform {

std::string WebError::description() const {
    std::string text =
        "Error Domain=" + domain + " Code=" + std::to_string(code) + " \"" + localizedDescription + "\" UserInfo={";
    if (!failingURL.empty()) {
        text += "NSErrorFailingURLStringKey=" + failingURL + ", ";
    }
    text += "NSLocalizedDescription=" + localizedDescription + "}";
    return text;
}

}  // namespace platform
