// The command line of the Linux program, GNU style. The game itself never
// sees it.
#pragma once

#include <string>
#include <vector>

namespace vplat::player {

struct Options {
    bool help = false;
    bool version = false;
    bool verbose = false;
    // Each is set only when the command line says so; unset ones leave the
    // settings file (or the default) in force.
    bool setFullscreen = false;
    bool fullscreen = false;
    int scale = 0;  // --scale N: a window of N x 640 x 480; 0 when not given
    bool setIntegerScale = false;
    bool integerScale = true;
    // At most one of these: the file to record this session to, to replay
    // in the window, or to play as a timed demo.
    std::string record;
    std::string replay;
    std::string timedemo;
    // With a replay: the animated GIF to make of it, headless (scale is then
    // the GIF's).
    std::string gif;
};

constexpr int kMaxScale = 8;

// False on an unknown option or a bad value; *error is then the one line to
// print (without the program's name and without the hint).
bool ParseOptions(const std::vector<std::string>& args, Options* options, std::string* error);
std::string UsageText(const std::string& program);
std::string VersionText();

}  // namespace vplat::player
