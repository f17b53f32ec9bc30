// An X server of this test process's own (Xvfb on a display number it picks
// itself), so that windows open at the sizes a test asks for and are read
// back from the server. Stopped by its own process id at exit.
#pragma once

#include <signal.h>
#include <sys/select.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace velmora_test {

class Xvfb {
public:
    // false when the server did not start; *error says why.
    bool Start(const char* program, const char* screen, std::string* error) {
        int fds[2];
        if (pipe(fds) != 0) {
            *error = "no pipe";
            return false;
        }
        pid_ = fork();
        if (pid_ == 0) {
            close(fds[0]);
            std::string fd = std::to_string(fds[1]);
            execl(program, program, "-displayfd", fd.c_str(), "-screen", "0", screen, "-nolisten",
                  "tcp", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(fds[1]);
        // The server writes its number once it accepts connections.
        std::string number = ReadLine(fds[0], 30);
        close(fds[0]);
        if (pid_ < 0 || number.empty()) {
            *error = std::string(program) + " did not report a display number";
            Stop();
            return false;
        }
        display_ = ":" + number;
        return true;
    }

    void Stop() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
            pid_ = -1;
        }
    }

    const std::string& display() const { return display_; }
    pid_t pid() const { return pid_; }

    // Whether the server is still there, and if not, how it ended.
    std::string State() {
        int status = 0;
        if (pid_ <= 0) {
            return "not started";
        }
        pid_t done = waitpid(pid_, &status, WNOHANG);
        if (done == 0) {
            return "running as " + display_;
        }
        pid_ = -1;
        return "ended with status " + std::to_string(WIFEXITED(status) ? WEXITSTATUS(status) : -1);
    }

    ~Xvfb() { Stop(); }

private:
    static std::string ReadLine(int fd, int seconds) {
        std::string text;
        for (int waited = 0; waited < seconds * 10 && text.find('\n') == std::string::npos;) {
            fd_set ready;
            FD_ZERO(&ready);
            FD_SET(fd, &ready);
            timeval step = {0, 100000};
            if (select(fd + 1, &ready, nullptr, nullptr, &step) <= 0) {
                ++waited;
                continue;
            }
            char chunk[32];
            ssize_t got = read(fd, chunk, sizeof chunk);
            if (got <= 0) {
                break;
            }
            text.append(chunk, static_cast<size_t>(got));
        }
        while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) {
            text.pop_back();
        }
        return text.find_first_not_of("0123456789") == std::string::npos ? text : "";
    }

    pid_t pid_ = -1;
    std::string display_;
};

}  // namespace velmora_test
