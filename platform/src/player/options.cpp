// Parsing the command line with getopt_long: long options, `--scale N` or
// `--scale=N`, `--` ends the options. The game takes no file or other
// argument. getopt_long alone would also take abbreviations (--verb) and
// clusters (-hh); the command line has never accepted them, so every option
// it returns is checked against the word actually written.
#include "player/options.h"

#include <getopt.h>

#include <cstdlib>

namespace vplat::player {
namespace {

enum OptionId {
    kHelp = 'h',
    kVersion = 256,
    kVerbose,
    kFullscreen,
    kWindow,
    kScale,
    kIntegerScale,
    kNoIntegerScale,
    kRecord,
    kReplay,
    kTimedemo,
    kGif,
};

const option kLongOptions[] = {
    {"help", no_argument, nullptr, kHelp},
    {"version", no_argument, nullptr, kVersion},
    {"verbose", no_argument, nullptr, kVerbose},
    {"fullscreen", no_argument, nullptr, kFullscreen},
    {"window", no_argument, nullptr, kWindow},
    {"scale", required_argument, nullptr, kScale},
    {"integer-scale", no_argument, nullptr, kIntegerScale},
    {"no-integer-scale", no_argument, nullptr, kNoIntegerScale},
    {"record", required_argument, nullptr, kRecord},
    {"replay", required_argument, nullptr, kReplay},
    {"timedemo", required_argument, nullptr, kTimedemo},
    {"gif", required_argument, nullptr, kGif},
    {nullptr, 0, nullptr, 0},
};

// '+': stop at the first argument that is no option, never reorder; ':':
// tell a missing value apart from an unknown option.
constexpr char kShortOptions[] = "+:h";

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

// The option a word names in full, without any "=value": 0 when none.
int OptionNamed(const std::string& name) {
    if (name == "-h") {
        return kHelp;
    }
    for (const option* o = kLongOptions; o->name != nullptr; ++o) {
        if (name == std::string("--") + o->name) {
            return o->val;
        }
    }
    return 0;
}

std::string NameOf(int id) {
    for (const option* o = kLongOptions; o->name != nullptr; ++o) {
        if (o->val == id) {
            return std::string("--") + o->name;
        }
    }
    return "";
}

bool TakesValue(int id) {
    return id == kScale || id == kRecord || id == kReplay || id == kTimedemo || id == kGif;
}

// The line for a word getopt_long refused, or took only as an abbreviation
// or part of a cluster.
std::string Refusal(const std::string& word) {
    std::string name = word.substr(0, word.find('='));
    int id = OptionNamed(name);
    if (name == word && TakesValue(id)) {
        return "option '" + name + "' needs " +
               (id == kScale ? "a value (1 to " + std::to_string(kMaxScale) + ")"
                             : std::string("a file"));
    }
    if (name != word && id != 0 && !TakesValue(id)) {
        return "option '" + name + "' takes no value";
    }
    return "unknown option '" + word + "'";
}

bool Apply(int id, const char* value, Options* options, std::string* error) {
    switch (id) {
        case kHelp:
            options->help = true;
            break;
        case kVersion:
            options->version = true;
            break;
        case kVerbose:
            options->verbose = true;
            break;
        case kFullscreen:
        case kWindow:
            options->setFullscreen = true;
            options->fullscreen = id == kFullscreen;
            break;
        case kIntegerScale:
        case kNoIntegerScale:
            options->setIntegerScale = true;
            options->integerScale = id == kIntegerScale;
            break;
        case kRecord:
        case kReplay:
        case kTimedemo:
        case kGif:
            if (*value == '\0') {
                *error = "option '" + NameOf(id) + "' needs a file";
                return false;
            }
            (id == kRecord     ? options->record
             : id == kReplay   ? options->replay
             : id == kTimedemo ? options->timedemo
                               : options->gif) = value;
            break;
        case kScale:
            if (!ParseScale(value, &options->scale)) {
                *error = "option '--scale': expected a whole number from 1 to " +
                         std::to_string(kMaxScale) + ", not '" + value + "'";
                return false;
            }
            break;
        default:
            return false;
    }
    return true;
}

// A run records the player, or plays a recording, not both.
bool OneRecordingAtMost(const Options& options, std::string* error) {
    std::vector<std::string> given;
    for (const auto& [name, file] :
         {std::pair<const char*, const std::string&>{"--record", options.record},
          {"--replay", options.replay},
          {"--timedemo", options.timedemo}}) {
        if (!file.empty()) {
            given.push_back(name);
        }
    }
    if (given.size() > 1) {
        *error = "options '" + given[0] + "' and '" + given[1] + "' do not go together";
        return false;
    }
    // A GIF is made of a recording played, not of a session.
    if (!options.gif.empty() && options.replay.empty()) {
        *error = "option '--gif' needs '--replay FILE'";
        return false;
    }
    return true;
}

// Where velmora.ini is, in the words a player of this system uses, and what
// this system's build offers beyond the window: the Windows build makes no
// GIF (that is a run without a window), and its help must not promise one.
constexpr char kRecordingOptions[] =
    "  --record FILE        record this session to FILE, to replay it later\n"
    "  --replay FILE        show the recording FILE (Escape ends it)\n"
    "  --timedemo FILE      play the recording FILE as fast as it goes and\n"
    "                       print the frames per second\n";
#ifdef _WIN32
constexpr char kSettingsPlace[] = "%APPDATA%\\Velmora\\velmora.ini";
constexpr char kGifOption[] = "";
#else
constexpr char kSettingsPlace[] = "$XDG_CONFIG_HOME/velmora/velmora.ini";
constexpr char kGifOption[] =
    "  --gif OUT            with --replay FILE: make the recording into the\n"
    "                       animated GIF OUT, at its own speed and without a\n"
    "                       window; --scale N makes it N times as large\n";
#endif

}  // namespace

bool ParseOptions(const std::vector<std::string>& args, Options* options, std::string* error) {
    // getopt_long wants a writable argv led by the program's name.
    std::vector<std::string> words = args;
    std::string program = "velmora";
    std::vector<char*> argv = {program.data()};
    for (std::string& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);
    int argc = static_cast<int>(argv.size()) - 1;
    // 0 makes glibc start afresh (an earlier parse leaves its place behind);
    // its own messages are off, the caller prints the one line.
    optind = 0;
    opterr = 0;
    while (true) {
        int at = optind == 0 ? 1 : optind;
        int longIndex = -1;
        int id = getopt_long(argc, argv.data(), kShortOptions, kLongOptions, &longIndex);
        if (id == -1) {
            break;
        }
        std::string word = argv[at];
        // A long option written in full (its value may follow '='), or -h
        // alone.
        bool whole = word.compare(0, 2, "--") == 0
                         ? OptionNamed(word.substr(0, word.find('='))) == id
                         : word == "-h";
        if (id == '?' || id == ':' || !whole) {
            *error = Refusal(word);
            return false;
        }
        if (!Apply(id, optarg, options, error)) {
            return false;
        }
    }
    if (optind < argc) {
        *error = "unexpected argument '" + std::string(argv[optind]) + "'";
        return false;
    }
    return OneRecordingAtMost(*options, error);
}

std::string UsageText(const std::string& program) {
    return "Usage: " + program +
           " [OPTION]...\n"
           "Plays Velmora, a small 2D game.\n"
           "\n"
           "  --fullscreen         play on the whole screen\n"
           "  --window             play in a window\n"
           "  --scale N            a window of N times 640 x 480 (1 to 8); the largest\n"
           "                       that fits when N does not\n"
           "  --integer-scale      scale by whole multiples where one fits (default)\n"
           "  --no-integer-scale   fill as much of the screen as the shape allows\n"
           "  --verbose            show the display set-up lines\n" +
           std::string(kRecordingOptions) + kGifOption +
           "  -h, --help           show this help and exit\n"
           "      --version        show the version and exit\n"
           "\n"
           "Keys: Space starts, the arrow keys move, S returns to the title,\n"
           "Escape or F12 quits, Alt+Enter or F11 switches full screen and window,\n"
           "Print Screen or F9 saves a screenshot. A gamepad works too.\n"
           "\n"
           "Settings are kept in " +
           std::string(kSettingsPlace) +
           ": what you choose\n"
           "in the game (full screen or window, the window's size and place, maximised).\n"
           "The options above count for one run only: they override the settings and\n"
           "are never saved. VELMORA_WINDOWED=1 is the same as --window.\n";
}

std::string VersionText() {
    return "velmora " VELMORA_VERSION "\n";
}

}  // namespace vplat::player
