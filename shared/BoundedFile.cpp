#include "shared/BoundedFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

namespace {

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

}  // namespace

namespace {

BoundedRead unreadable(std::string problem) { return {BoundedRead::Outcome::unreadable, {}, std::move(problem)}; }

std::string kindOf(mode_t mode) {
    if (S_ISDIR(mode)) {
        return "a folder";
    }
    if (S_ISFIFO(mode)) {
        return "a FIFO";
    }
    if (S_ISCHR(mode) || S_ISBLK(mode)) {
        return "a device";
    }
    if (S_ISSOCK(mode)) {
        return "a socket";
    }
    return "not a plain file";
}

std::string tooLarge(std::size_t maxBytes) { return "larger than " + std::to_string(maxBytes) + " bytes"; }

}  // namespace

BoundedRead readBoundedFileTelling(const std::filesystem::path& path, std::size_t maxBytes) {
    // Look before opening: opening some devices has side effects.
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        return errno == ENOENT ? BoundedRead{} : unreadable(std::strerror(errno));
    }
    if (!S_ISREG(info.st_mode)) {
        return unreadable(kindOf(info.st_mode));
    }
    FileDescriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (file.get() < 0) {
        return errno == ENOENT ? BoundedRead{} : unreadable(std::strerror(errno));
    }
    // The path may have been swapped between the two looks.
    if (::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return unreadable(kindOf(info.st_mode));
    }
    if (static_cast<std::size_t>(info.st_size) > maxBytes) {
        return unreadable(tooLarge(maxBytes));
    }
    // Sized by what the file holds now, not by the bound: a settings file is usually tiny.
    // One byte more than it holds shows whether it grew while being read.
    std::string bytes;
    bytes.resize(static_cast<std::size_t>(info.st_size) + 1);
    std::size_t total = 0;
    while (total <= maxBytes) {
        if (total == bytes.size()) {
            bytes.resize(std::min(bytes.size() * 2, maxBytes + 1));
        }
        const ssize_t count = ::read(file.get(), bytes.data() + total, bytes.size() - total);
        if (count < 0) {
            if (errno == EINTR) {
                continue;
            }
            return unreadable(std::strerror(errno));
        }
        if (count == 0) {
            break;
        }
        total += static_cast<std::size_t>(count);
    }
    if (total > maxBytes) {
        return unreadable(tooLarge(maxBytes));  // it grew while being read
    }
    bytes.resize(total);
    return {BoundedRead::Outcome::read, std::move(bytes), {}};
}

std::optional<std::string> readBoundedFile(const std::filesystem::path& path, std::size_t maxBytes) {
    auto read = readBoundedFileTelling(path, maxBytes);
    if (read.outcome != BoundedRead::Outcome::read) {
        return std::nullopt;
    }
    return std::move(read.bytes);
}
