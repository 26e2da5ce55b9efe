// A private X server for one test process and, on demand, the openbox window
// manager on it: window tests then see only their own windows, and with the
// manager they meet decorations, placement and focus changes as a desktop
// has them.
#pragma once

#include <string>
#include <sys/types.h>

namespace tnx::test {

class PrivateDisplay {
public:
    // Starts Xvfb with one screen such as "2048x768x24" on a display number
    // it picks itself, and points DISPLAY at it (before any QApplication).
    explicit PrivateDisplay(const std::string& screen);
    ~PrivateDisplay();
    PrivateDisplay(const PrivateDisplay&) = delete;
    PrivateDisplay& operator=(const PrivateDisplay&) = delete;

    bool ok() const { return server_ > 0; }
    const std::string& name() const { return name_; }

    static bool windowManagerInstalled();
    // Starts openbox and waits until it manages the screen.
    bool startWindowManager();
    void stopWindowManager();

private:
    pid_t server_ = 0;
    pid_t manager_ = 0;
    std::string name_;
};

}  // namespace tnx::test
