#include "platform/AtomicFileReplacement.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <string>

namespace {

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t count = ::write(fd, bytes.data(), bytes.size());
        if (count < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        bytes.remove_prefix(static_cast<size_t>(count));
    }
    return true;
}

mode_t defaultFileMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

void syncFolder(const std::filesystem::path& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

}  // namespace

namespace platform {

bool isTemporaryNameFor(const std::string& name, const std::string& target) {
    // mkostemp's pattern: "." + target + "." + six letters or digits.
    const std::string prefix = "." + target + ".";
    if (name.size() != prefix.size() + 6 || name.compare(0, prefix.size(), prefix) != 0) {
        return false;
    }
    for (size_t i = prefix.size(); i < name.size(); ++i) {
        if (!std::isalnum(static_cast<unsigned char>(name[i]))) {
            return false;
        }
    }
    return true;
}

namespace {

void removeAbandonedTemporaries(const std::filesystem::path& path) {
    namespace fs = std::filesystem;
    std::error_code error;
    const auto now = fs::file_time_type::clock::now();
    const std::string target = path.filename().string();
    for (fs::directory_iterator entry(path.parent_path(), error), end; !error && entry != end; entry.increment(error)) {
        const std::string name = entry->path().filename().string();
        std::error_code statError;
        // Only plain files of our own naming, never a link someone placed there.
        if (!isTemporaryNameFor(name, target) || !entry->is_regular_file(statError) || entry->is_symlink(statError)) {
            continue;
        }
        const auto modified = fs::last_write_time(entry->path(), statError);
        if (!statError && now - modified >= abandonedTemporaryAge) {
            fs::remove(entry->path(), statError);
        }
    }
}

}  // namespace

std::filesystem::path fileBehindLinks(const std::filesystem::path& path) {
    namespace fs = std::filesystem;
    // The kernel's own bound on links in a row: a loop ends here, and the save then
    // fails on the link itself rather than spinning.
    constexpr int linkLimit = 40;
    fs::path current = path;
    for (int step = 0; step < linkLimit; ++step) {
        std::error_code error;
        if (!fs::is_symlink(current, error)) {
            return current;
        }
        const fs::path target = fs::read_symlink(current, error);
        if (error) {
            return current;
        }
        current = target.is_absolute() ? target : current.parent_path() / target;
    }
    return path;
}

bool replaceFileAtomically(const std::filesystem::path& link, std::string_view bytes, std::error_code* failure) {
    const std::filesystem::path path = fileBehindLinks(link);
    const auto fail = [failure](int number) {
        if (failure != nullptr) {
            *failure = std::error_code(number, std::generic_category());
        }
        return false;
    };
    removeAbandonedTemporaries(path);
    std::string temporary = (path.parent_path() / ("." + path.filename().string() + ".XXXXXX")).string();
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) {
        return fail(errno);
    }
    int problem = 0;
    if (::fchmod(fd, defaultFileMode()) != 0 || !writeAll(fd, bytes) || ::fsync(fd) != 0) {
        problem = errno;
    }
    if (::close(fd) != 0 && problem == 0) {
        problem = errno;
    }
    if (problem == 0 && ::rename(temporary.c_str(), path.c_str()) != 0) {
        problem = errno;
    }
    if (problem != 0) {
        ::unlink(temporary.c_str());
        return fail(problem);
    }
    syncFolder(path.parent_path());
    return true;
}
}  // namespace platform
