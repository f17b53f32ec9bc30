// velmora.ini: sections of key=value lines, read as players write them (a
// byte order mark, comments after a value, yes/no, on/off, any case), and
// the settings of this run. The file is parsed once into a document that
// keeps every line as the player wrote it, and a write changes only the
// values the player changed in the game.
#include "player/settings.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <iterator>

#include "player/options.h"
#include "present/viewport.h"

namespace vplat::player {
namespace {

// Large enough for any real desktop, small enough that sums cannot overflow.
constexpr long kMaxCoordinate = 100000;
// Far beyond any settings file a player writes: something else.
constexpr size_t kLargestFile = 1 << 20;
// Problems said one line each, then how many more.
constexpr size_t kLinesSaid = 5;

// What a key's value is, and the rule it follows.
enum class Kind {
    Flag,   // 0/1, true/false, yes/no, on/off, in any case
    Size,   // 1 to kMaxCoordinate; counts only with the other Size
    Place,  // +-kMaxCoordinate; counts only with the other Place, which
            // together make the window placed
};

struct Key {
    const char* section;
    const char* name;
    Kind kind;
    // Where its value lives: a flag's or a number's.
    bool Settings::*flag;
    int Settings::*number;
    int byDefault;
};

const Key kKeys[] = {
    {"window", "fullscreen", Kind::Flag, &Settings::fullscreen, nullptr, 1},
    {"window", "integer_scale", Kind::Flag, &Settings::integerScale, nullptr, 1},
    {"window", "width", Kind::Size, nullptr, &Settings::windowWidth, 0},
    {"window", "height", Kind::Size, nullptr, &Settings::windowHeight, 0},
    {"window", "x", Kind::Place, nullptr, &Settings::windowX, 0},
    {"window", "y", Kind::Place, nullptr, &Settings::windowY, 0},
    {"window", "maximized", Kind::Flag, &Settings::windowMaximized, nullptr, 0},
};
constexpr size_t kKeyCount = std::size(kKeys);

// The key of the same kind beside it: width and height, x and y.
size_t Partner(size_t key) {
    for (size_t other = 0; other < kKeyCount; ++other) {
        if (other != key && kKeys[other].kind == kKeys[key].kind) {
            return other;
        }
    }
    return key;
}

const char kHeading[] = "# Velmora's settings, written when the game ends.";
const char kByteOrderMark[] = "\xEF\xBB\xBF";
const char* const kFlagWords[][2] = {{"0", "1"}, {"false", "true"}, {"no", "yes"}, {"off", "on"}};

std::string Lower(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    }
    return text;
}

// One line as the player wrote it, and what it says.
struct Line {
    std::string text;        // without its line ending
    std::string end;         // "\n", "\r\n", or "" for a last line without one
    bool understood = true;  // blank, comment, heading or key=value
    bool heading = false;
    std::string section;  // lower case, as keys are looked up
    int key = -1;         // the key of kKeys it sets, if any
    size_t valueAt = 0;   // where that value is in text
    size_t valueSize = 0;
};

struct Document {
    bool byteOrderMark = false;
    std::vector<Line> lines;
};

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

// The span of text without blanks at either end, from `from` to `to`.
void Trim(const std::string& text, size_t* from, size_t* to) {
    while (*from < *to && IsBlank(text[*from])) {
        ++*from;
    }
    while (*to > *from && IsBlank(text[*to - 1])) {
        --*to;
    }
}

// Fills in what a line says; `section` is the heading in force before it.
void Understand(Line* line, std::string* section) {
    const std::string& text = line->text;
    size_t from = 0;
    size_t to = text.find_first_of(";#");  // a comment, also after a value
    to = to == std::string::npos ? text.size() : to;
    Trim(text, &from, &to);
    size_t equals = text.find('=', from);
    if (from < to && text[from] == '[') {
        line->heading = text[to - 1] == ']' && to - from > 1;
        line->understood = line->heading;
        size_t nameFrom = from + 1;
        size_t nameTo = to - 1;
        Trim(text, &nameFrom, &nameTo);
        // A broken heading opens no section: keys below it are nobody's.
        *section = line->heading ? Lower(text.substr(nameFrom, nameTo - nameFrom)) : "[";
    } else if (from < to) {
        size_t keyTo = equals < to ? equals : from;
        Trim(text, &from, &keyTo);
        line->understood = from < keyTo;
        std::string name = Lower(text.substr(from, keyTo - from));
        for (size_t k = 0; k < kKeyCount && line->understood; ++k) {
            if (*section == kKeys[k].section && name == kKeys[k].name) {
                line->key = static_cast<int>(k);
                line->valueAt = equals + 1;
                Trim(text, &line->valueAt, &to);
                line->valueSize = to - line->valueAt;
            }
        }
    }
    line->section = *section;
}

// Control bytes other than blanks and line ends: not a text at all.
bool IsText(const std::string& text) {
    for (char c : text) {
        unsigned char byte = static_cast<unsigned char>(c);
        if ((byte < 0x20 && c != '\n' && !IsBlank(c)) || byte == 0x7f) {
            return false;
        }
    }
    return true;
}

bool Parse(const std::string& text, Document* document) {
    if (!IsText(text)) {
        return false;
    }
    *document = Document();
    size_t at = 0;
    if (text.compare(0, 3, kByteOrderMark) == 0) {
        document->byteOrderMark = true;
        at = 3;
    }
    std::string section;
    while (at < text.size()) {
        size_t newline = text.find('\n', at);
        size_t next = newline == std::string::npos ? text.size() : newline + 1;
        Line line;
        line.text = text.substr(at, next - at);
        if (newline != std::string::npos) {
            bool crlf = line.text.size() > 1 && line.text[line.text.size() - 2] == '\r';
            line.end = crlf ? "\r\n" : "\n";
            line.text.resize(line.text.size() - line.end.size());
        }
        Understand(&line, &section);
        document->lines.push_back(line);
        at = next;
    }
    return true;
}

std::string Text(const Document& document) {
    std::string text = document.byteOrderMark ? kByteOrderMark : "";
    for (const Line& line : document.lines) {
        text += line.text + line.end;
    }
    return text;
}

bool ParseFlag(const std::string& text, bool* value) {
    for (const auto& words : kFlagWords) {
        for (int truth = 0; truth < 2; ++truth) {
            if (Lower(text) == words[truth]) {
                *value = truth == 1;
                return true;
            }
        }
    }
    return false;
}

bool ParseValue(const Key& key, const std::string& text, Settings* settings) {
    if (key.kind == Kind::Flag) {
        return ParseFlag(text, &(settings->*key.flag));
    }
    long low = key.kind == Kind::Size ? 1 : -kMaxCoordinate;
    char* end = nullptr;
    errno = 0;
    long number = strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || errno != 0 || number < low || number > kMaxCoordinate) {
        return false;
    }
    settings->*key.number = static_cast<int>(number);
    return true;
}

// A line quoted in a message: short, and nothing that a terminal would act on.
std::string Printable(const std::string& text) {
    std::string shown = text.substr(0, 60);
    for (char& c : shown) {
        if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) == 0x7f) {
            c = '?';
        }
    }
    return shown;
}

Settings Values(const Document& document, std::vector<std::string>* ignored) {
    Settings settings;
    bool found[kKeyCount] = {};
    for (size_t n = 0; n < document.lines.size(); ++n) {
        const Line& line = document.lines[n];
        bool used = line.understood;
        if (line.key >= 0) {
            std::string value = line.text.substr(line.valueAt, line.valueSize);
            used = ParseValue(kKeys[line.key], value, &settings);
            found[line.key] = found[line.key] || used;
        }
        if (!used) {
            ignored->push_back("line " + std::to_string(n + 1) +
                               " ignored: " + Printable(line.text));
        }
    }
    // Half a size or half a place is none.
    for (size_t k = 0; k < kKeyCount; ++k) {
        if (kKeys[k].kind == Kind::Flag) {
            continue;
        }
        bool paired = found[k] && found[Partner(k)];
        if (found[k] && !paired) {
            settings.*kKeys[k].number = kKeys[k].byDefault;
            ignored->push_back(std::string(kKeys[k].name) + " ignored without " +
                               kKeys[Partner(k)].name);
        }
        if (kKeys[k].kind == Kind::Place) {
            settings.windowPlaced = paired;
        }
    }
    return settings;
}

// The value the key writes for these settings; empty for one that is not
// set (no size, no place).
std::string ValueText(const Key& key, const Settings& settings) {
    if (key.kind == Kind::Flag) {
        return settings.*key.flag ? "1" : "0";
    }
    int value = settings.*key.number;
    bool set = key.kind == Kind::Size ? value > 0 : settings.windowPlaced;
    return set && value >= -kMaxCoordinate && value <= kMaxCoordinate ? std::to_string(value) : "";
}

Line NewLine(const std::string& text, const std::string& end, std::string* section) {
    Line line;
    line.text = text;
    line.end = end;
    Understand(&line, section);
    return line;
}

// Sets the key's value where the document has it; else adds it after the
// last heading or key of its section, or in a new section at the end.
void SetValue(Document* document, size_t key, const std::string& value) {
    std::vector<Line>& lines = document->lines;
    std::string section = kKeys[key].section;
    std::string end = lines.empty() || lines[0].end.empty() ? "\n" : lines[0].end;
    size_t after = 0;  // none: the section is not there
    bool set = false;
    for (size_t n = 0; n < lines.size(); ++n) {
        Line& line = lines[n];
        if (line.key == static_cast<int>(key)) {
            line.text.replace(line.valueAt, line.valueSize, value);
            line.valueSize = value.size();
            set = true;
        }
        after = line.section == section && (line.heading || line.key >= 0) ? n + 1 : after;
    }
    if (set) {
        return;
    }
    if ((after == 0 || after == lines.size()) && !lines.empty() && lines.back().end.empty()) {
        lines.back().end = end;
    }
    if (after == 0) {
        lines.push_back(NewLine("[" + section + "]", end, &section));
        after = lines.size();
    }
    Line added = NewLine(kKeys[key].name + std::string("=") + value, end, &section);
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(after), added);
}

void Say(const std::string& path, const std::vector<std::string>& problems) {
    for (size_t i = 0; i < problems.size() && i < kLinesSaid; ++i) {
        fprintf(stderr, "velmora: settings file %s: %s\n", path.c_str(), problems[i].c_str());
    }
    if (problems.size() > kLinesSaid) {
        fprintf(stderr, "velmora: settings file %s: %zu more ignored\n", path.c_str(),
                problems.size() - kLinesSaid);
    }
}

// This run's settings: the file's, and the player's choices in the game.
struct Session {
    bool given = false;  // the start-up chose the settings in force
    Settings inForce;
    std::string path;         // empty: nothing read, nothing to write
    bool leaveAlone = false;  // the player's file that could not be read
    Settings loaded;          // the file's values at the start
    Settings saved;           // those with the player's choices in the game
};

Session& TheSession() {
    static Session session;
    return session;
}

void Save(const Session& session) {
    const std::string& path = session.path;
    std::string text;
    std::string error;
    Document document;
    FileRead found = ReadFileText(path, kLargestFile, &text, &error);
    if (found == FileRead::Missing) {
        std::string none;
        document.lines.push_back(NewLine(kHeading, "\n", &none));
    } else if (found == FileRead::Unreadable || !Parse(text, &document)) {
        error = error.empty() ? "it is no longer a settings file" : error;
        fprintf(stderr, "velmora: settings not saved to %s: %s\n", path.c_str(), error.c_str());
        return;
    }
    // A new file gets every key; the player's own, only what the player
    // changed in the game.
    for (size_t k = 0; k < kKeyCount; ++k) {
        std::string value = ValueText(kKeys[k], session.saved);
        bool changed = value != ValueText(kKeys[k], session.loaded);
        if ((changed || found == FileRead::Missing) && !value.empty()) {
            SetValue(&document, k, value);
        }
    }
    std::string wanted = Text(document);
    if (found == FileRead::Read && wanted == text) {
        return;
    }
    if (found == FileRead::Read && FileIsReadOnly(path)) {
        fprintf(stderr, "velmora: settings file %s is read-only: left as it is\n", path.c_str());
    } else if (!ReplaceFileText(path, wanted, &error)) {
        fprintf(stderr, "velmora: settings not saved to %s: %s\n", path.c_str(), error.c_str());
    }
}

}  // namespace

Settings::Settings() {
    for (const Key& key : kKeys) {
        if (key.kind == Kind::Flag) {
            this->*key.flag = key.byDefault != 0;
        } else {
            this->*key.number = key.byDefault;
        }
    }
}

bool ReadSettingsText(const std::string& text, Settings* settings,
                      std::vector<std::string>* ignored) {
    Document document;
    if (!Parse(text, &document)) {
        return false;
    }
    *settings = Values(document, ignored);
    return true;
}

Settings LoadSettingsFile(const std::string& path) {
    Session& session = TheSession();
    session.path = path;
    session.leaveAlone = false;
    session.saved = Settings();
    if (path.empty()) {
        fprintf(stderr, "velmora: settings will not be kept: %s\n", kNoSettingsFolder);
        return session.saved;
    }
    RemoveStaleTemporaries(path);
    std::string text;
    std::string error;
    std::vector<std::string> ignored;
    FileRead found = ReadFileText(path, kLargestFile, &text, &error);
    std::string aside;
    if (found == FileRead::Read && !ReadSettingsText(text, &session.saved, &ignored)) {
        error = "not a text file";
        session.leaveAlone = !SetFileAside(path, &aside);
    }
    session.leaveAlone = session.leaveAlone || found == FileRead::Unreadable;
    if (session.leaveAlone) {
        fprintf(stderr, "velmora: settings file %s ignored: %s; left as it is, and not written\n",
                path.c_str(), error.c_str());
    } else if (!aside.empty()) {
        fprintf(stderr, "velmora: settings file %s ignored: %s; kept as %s\n", path.c_str(),
                error.c_str(), aside.c_str());
    }
    Say(path, ignored);
    session.loaded = session.saved;
    return session.saved;
}

Settings SettingsForRun(Settings settings, const Options& options) {
    if (EnvironmentText("VELMORA_WINDOWED") == "1") {
        settings.fullscreen = false;
    }
    if (options.scale > 0) {
        settings.fullscreen = false;
        settings.windowMaximized = false;
        settings.scale = options.scale;
    }
    if (options.setFullscreen) {
        settings.fullscreen = options.fullscreen;
    }
    if (options.setIntegerScale) {
        settings.integerScale = options.integerScale;
    }
    return settings;
}

void UseSettings(const Settings& inForce) {
    TheSession().inForce = inForce;
    TheSession().given = true;
    present::SetIntegerScale(inForce.integerScale);
}

Settings& CurrentSettings() {
    Session& session = TheSession();
    if (!session.given) {
        const char* windowed = getenv("VELMORA_WINDOWED");
        session.inForce.fullscreen = windowed == nullptr || strcmp(windowed, "1") != 0;
        session.given = true;
    }
    return session.inForce;
}

void ChooseFullscreen(bool fullscreen) {
    CurrentSettings().fullscreen = fullscreen;
    TheSession().saved.fullscreen = fullscreen;
}

void ChooseWindowRect(int x, int y, int width, int height) {
    for (Settings* settings : {&CurrentSettings(), &TheSession().saved}) {
        settings->windowX = x;
        settings->windowY = y;
        settings->windowWidth = width;
        settings->windowHeight = height;
        settings->windowPlaced = true;
    }
    // A size the player gave the window outlasts a one-off --scale.
    CurrentSettings().scale = 0;
}

void ChooseMaximized(bool maximized) {
    CurrentSettings().windowMaximized = maximized;
    TheSession().saved.windowMaximized = maximized;
}

void SaveSettingsFile() {
    int kept = errno;
    const Session& session = TheSession();
    if (!session.path.empty() && !session.leaveAlone) {
        Save(session);
    }
    errno = kept;
}

}  // namespace vplat::player
