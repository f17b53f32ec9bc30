// The GIF's temporary file, removed whatever way the run ends before it is
// whole: at exit (a stalled game, a failed write) and on the signals that
// end a run from outside (Ctrl+C, a closed terminal, kill).
#include "player/gif_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>

namespace vplat::player {
namespace {

// A C string: a signal handler may read it and unlink, nothing more.
char* volatile g_unfinished = nullptr;

void Forget() {
    char* name = g_unfinished;
    g_unfinished = nullptr;
    free(name);
}

void RemoveUnfinished() {
    if (g_unfinished != nullptr) {
        unlink(g_unfinished);
    }
    Forget();
}

void OnEndingSignal(int signal) {
    if (g_unfinished != nullptr) {
        unlink(g_unfinished);
    }
    ::signal(signal, SIG_DFL);
    raise(signal);
}

void RemoveOnAnyEnd() {
    static bool installed = false;
    if (installed) {
        return;
    }
    installed = true;
    atexit(RemoveUnfinished);
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction action = {};
        action.sa_handler = OnEndingSignal;
        sigemptyset(&action.sa_mask);
        sigaction(signal, &action, nullptr);
    }
}

// Where the name leads: a link's target is replaced, not the link.
std::string Followed(const std::string& path) {
    char* real = realpath(path.c_str(), nullptr);
    if (real == nullptr) {
        return path;
    }
    std::string followed = real;
    free(real);
    return followed;
}

// A file replaced keeps its permissions; a new one gets the usual.
mode_t ModeFor(const std::string& path) {
    struct stat status {};
    if (stat(path.c_str(), &status) == 0) {
        return status.st_mode & 07777;
    }
    mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

}  // namespace

bool OpenOutput(const std::string& path, OutputFile* output, std::string* error) {
    struct stat status {};
    if (stat(path.c_str(), &status) == 0 && !S_ISREG(status.st_mode)) {
        *error = S_ISDIR(status.st_mode) ? "is a directory" : "is not a regular file";
        return false;
    }
    output->path = Followed(path);
    std::string name = output->path + ".XXXXXX";
    int fd = mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0) {
        *error = strerror(errno);
        return false;
    }
    RemoveOnAnyEnd();
    g_unfinished = strdup(name.c_str());
    output->temporary = name;
    fchmod(fd, ModeFor(output->path));
    output->file = fdopen(fd, "wb");
    if (output->file == nullptr) {
        *error = strerror(errno);
        close(fd);
        DiscardOutput(output);
        return false;
    }
    return true;
}

bool CommitOutput(OutputFile* output, std::string* error) {
    bool written = fflush(output->file) == 0 && fsync(fileno(output->file)) == 0;
    int why = errno;
    if (written && ferror(output->file) != 0) {
        written = false;  // a write that failed earlier, unseen since
        why = EIO;
    }
    if (fclose(output->file) != 0 && written) {
        written = false;
        why = errno;
    }
    output->file = nullptr;
    if (written && rename(output->temporary.c_str(), output->path.c_str()) != 0) {
        written = false;
        why = errno;
    }
    if (!written) {
        *error = strerror(why);
        RemoveUnfinished();
        return false;
    }
    Forget();
    return true;
}

void DiscardOutput(OutputFile* output) {
    if (output->file != nullptr) {
        fclose(output->file);
        output->file = nullptr;
    }
    RemoveUnfinished();
}

}  // namespace vplat::player
