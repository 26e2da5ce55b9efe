#include "support/private_display.h"

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tnx::test {

namespace {

void quietOutput() {
    int null = open("/dev/null", O_WRONLY);
    if (null < 0) return;
    dup2(null, STDOUT_FILENO);
    dup2(null, STDERR_FILENO);
    close(null);
}

void stop(pid_t& pid) {
    if (pid <= 0) return;
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    pid = 0;
}

}  // namespace

PrivateDisplay::PrivateDisplay(const std::string& screen) {
    int fds[2];
    if (pipe(fds) != 0) return;
    pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        quietOutput();
        std::string fd = std::to_string(fds[1]);
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-noreset", "-screen", "0", screen.c_str(), "-nolisten",
               "tcp", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    if (pid < 0) {
        close(fds[0]);
        return;
    }
    // The server writes its display number once it takes connections; the
    // pipe closes empty when it does not come up.
    std::string number;
    char c;
    while (read(fds[0], &c, 1) == 1 && c != '\n') number += c;
    close(fds[0]);
    if (number.empty()) {
        stop(pid);
        return;
    }
    server_ = pid;
    name_ = ":" + number;
    setenv("DISPLAY", name_.c_str(), 1);
}

PrivateDisplay::~PrivateDisplay() {
    stopWindowManager();
    stop(server_);
}

bool PrivateDisplay::windowManagerInstalled() {
    return std::system("command -v openbox >/dev/null 2>&1") == 0;
}

bool PrivateDisplay::startWindowManager() {
    if (manager_ > 0) return true;
    if (!ok() || !windowManagerInstalled()) return false;
    // Openbox runs the startup command once it manages the screen.
    std::string ready = "/tmp/terranox-openbox-" + std::to_string(getpid()) + ".ready";
    unlink(ready.c_str());
    pid_t pid = fork();
    if (pid == 0) {
        quietOutput();
        std::string startup = "touch " + ready;
        execlp("openbox", "openbox", "--sm-disable", "--startup", startup.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    if (pid < 0) return false;
    manager_ = pid;
    for (int i = 0; i < 300 && access(ready.c_str(), F_OK) != 0; ++i) {
        if (waitpid(pid, nullptr, WNOHANG) == pid) {
            manager_ = 0;
            return false;
        }
        usleep(50'000);
    }
    bool up = access(ready.c_str(), F_OK) == 0;
    unlink(ready.c_str());
    if (!up) stopWindowManager();
    return up;
}

void PrivateDisplay::stopWindowManager() { stop(manager_); }

}  // namespace tnx::test
