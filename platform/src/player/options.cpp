// Parsing the command line: long options, `--scale N` or `--scale=N`, `--`
// ends the options. The game takes no file or other argument.
#include "player/options.h"

#include <cstdlib>

namespace vplat::player {
namespace {

bool ParseScale(const std::string& text, int* scale) {
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos ||
        text.size() > 3) {
        return false;
    }
    int value = atoi(text.c_str());
    if (value < 1 || value > kMaxScale) {
        return false;
    }
    *scale = value;
    return true;
}

// An option that takes no value.
bool ApplyFlag(const std::string& name, Options* options) {
    if (name == "--help" || name == "-h") {
        options->help = true;
    } else if (name == "--version") {
        options->version = true;
    } else if (name == "--verbose") {
        options->verbose = true;
    } else if (name == "--fullscreen" || name == "--window") {
        options->setFullscreen = true;
        options->fullscreen = name == "--fullscreen";
    } else if (name == "--integer-scale" || name == "--no-integer-scale") {
        options->setIntegerScale = true;
        options->integerScale = name == "--integer-scale";
    } else {
        return false;
    }
    return true;
}

}  // namespace

bool ParseOptions(const std::vector<std::string>& args, Options* options, std::string* error) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--") {
            if (i + 1 < args.size()) {
                *error = "unexpected argument '" + args[i + 1] + "'";
                return false;
            }
            return true;
        }
        std::string name = arg.substr(0, arg.find('='));
        if (name == "--scale") {
            bool inline_value = name.size() < arg.size();
            if (!inline_value && i + 1 == args.size()) {
                *error = "option '--scale' needs a value (1 to " + std::to_string(kMaxScale) + ")";
                return false;
            }
            std::string value = inline_value ? arg.substr(name.size() + 1) : args[++i];
            if (!ParseScale(value, &options->scale)) {
                *error = "option '--scale': expected a whole number from 1 to " +
                         std::to_string(kMaxScale) + ", not '" + value + "'";
                return false;
            }
            continue;
        }
        if (name != arg && ApplyFlag(name, options)) {
            *error = "option '" + name + "' takes no value";
            return false;
        }
        if (!ApplyFlag(arg, options)) {
            *error = arg.size() > 1 && arg[0] == '-' ? "unknown option '" + arg + "'"
                                                     : "unexpected argument '" + arg + "'";
            return false;
        }
    }
    return true;
}

std::string UsageText(const std::string& program) {
    return "Usage: " + program +
           " [OPTION]...\n"
           "Plays Velmora, a small 2D game.\n"
           "\n"
           "  --fullscreen         play on the whole screen\n"
           "  --window             play in a window\n"
           "  --scale N            a window of N times 640 x 480 (1 to 8)\n"
           "  --integer-scale      scale by whole multiples where one fits (default)\n"
           "  --no-integer-scale   fill as much of the screen as the shape allows\n"
           "  --verbose            show the display set-up lines\n"
           "  -h, --help           show this help and exit\n"
           "      --version        show the version and exit\n"
           "\n"
           "Keys: Space starts, the arrow keys move, S returns to the title,\n"
           "Escape or F12 quits, Alt+Enter or F11 switches full screen and window,\n"
           "Print Screen saves a screenshot. A gamepad works too.\n"
           "\n"
           "Settings are kept in $XDG_CONFIG_HOME/velmora/velmora.ini; the options\n"
           "above override them. VELMORA_WINDOWED=1 is the same as --window.\n";
}

std::string VersionText() {
    return "velmora " VELMORA_VERSION "\n";
}

}  // namespace vplat::player
