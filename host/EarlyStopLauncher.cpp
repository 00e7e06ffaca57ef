// What XScreenSaver starts: a small program that holds back SIGTERM and SIGINT
// before anything else runs, then becomes the real host. Loading GTK and WebKit
// takes the real host tens of milliseconds before its first line of code; a stop
// sent in that time would end it by the signal's default action (status 143).
// The blocked signals and any that arrived stay pending across exec, and the host
// takes them once its own stop handling is in place.

#include "platform/Log.h"

#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <string>

int main(int, char** argv) {
    sigset_t stops;
    sigemptyset(&stops);
    sigaddset(&stops, SIGTERM);
    sigaddset(&stops, SIGINT);
    sigprocmask(SIG_BLOCK, &stops, nullptr);

    char self[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    if (length > 0) {
        self[length] = '\0';
        std::string host(self);
        host = host.substr(0, host.rfind('/') + 1) + TAVELO_HOST_BINARY;
        execv(host.c_str(), argv);
    }
    platform::systemLog(std::string("❌ Cannot start the screen-saver host: ") + std::strerror(errno));
    return 1;
}
