// Writing velmora.ini: the lines it was read from, each setting's line
// changed only where the run changed that setting and new ones added to
// their section; then the whole text through a temporary file of this
// process's own, renamed over the file that the path (or a link at it) names.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <map>
#include <set>

#include "player/settings_file.h"
#include "player/settings_rows.h"

namespace vplat::player {
namespace {

constexpr char kHeading[] = "# Velmora's settings, written when the game ends.";

// The value the row writes for `settings`; empty: the row is not written.
std::string ValueToWrite(const SettingRow& row, const Settings& settings) {
    if (row.onlyWhile != nullptr && !(settings.*row.onlyWhile)) {
        return "";
    }
    return SettingValueText(row, settings);
}

// The row a key=value line (trimmed) sets in `section`, with its value; null
// for any other line and for keys this version does not know.
const SettingRow* RowOfLine(const std::string& section, const std::string& text,
                            std::string* value) {
    size_t equals = text.find('=');
    if (text.empty() || text[0] == '#' || text[0] == ';' || equals == std::string::npos) {
        return nullptr;
    }
    *value = TrimSpace(text.substr(equals + 1));
    return FindSettingRow(section, TrimSpace(text.substr(0, equals)));
}

bool SaysTheSame(const SettingRow& row, const std::string& value, const Settings& settings) {
    Settings said = settings;
    return SetSettingValue(row, value, &said) &&
           ValueToWrite(row, said) == ValueToWrite(row, settings);
}

std::string SettingsText(const std::vector<std::string>& lines, const Settings& settings) {
    std::vector<std::string> kept;
    std::set<const SettingRow*> present;
    // Where each section's last heading or setting is: new rows go after it.
    std::map<std::string, size_t> sectionEnds;
    std::string section;
    for (const std::string& line : lines) {
        std::string text = TrimSpace(line);
        std::string value;
        const SettingRow* row = nullptr;
        if (!text.empty() && text[0] == '[' && text.back() == ']') {
            section = TrimSpace(text.substr(1, text.size() - 2));
            sectionEnds[section] = kept.size() + 1;
        } else if ((row = RowOfLine(section, text, &value)) != nullptr) {
            present.insert(row);
            std::string wanted = ValueToWrite(*row, settings);
            if (wanted.empty()) {
                continue;
            }
            sectionEnds[section] = kept.size() + 1;
            if (!SaysTheSame(*row, value, settings)) {
                kept.push_back(std::string(row->key) + "=" + wanted);
                continue;
            }
        }
        kept.push_back(line);
    }
    std::map<std::string, std::string> added;
    size_t count = 0;
    const SettingRow* rows = SettingRows(&count);
    for (size_t i = 0; i < count; ++i) {
        std::string wanted = ValueToWrite(rows[i], settings);
        if (present.count(&rows[i]) == 0 && !wanted.empty()) {
            added[rows[i].section] += std::string(rows[i].key) + "=" + wanted + "\n";
        }
    }
    std::string text = lines.empty() ? std::string(kHeading) + "\n" : "";
    for (size_t i = 0; i <= kept.size(); ++i) {
        for (const auto& [name, end] : sectionEnds) {
            if (end == i && added.count(name) != 0) {
                text += added[name];
                added.erase(name);
            }
        }
        text += i < kept.size() ? kept[i] + "\n" : "";
    }
    for (const auto& [name, rowsText] : added) {
        text += "[" + name + "]\n" + rowsText;
    }
    return text;
}

// The file `path` names, through any symbolic links; it need not exist.
bool FollowLinks(std::string path, std::string* target) {
    for (int hops = 0; hops < 40; ++hops) {
        struct stat status;
        if (lstat(path.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) {
            *target = path;
            return true;
        }
        std::string link(4096, '\0');
        ssize_t length = readlink(path.c_str(), link.data(), link.size());
        if (length <= 0 || static_cast<size_t>(length) >= link.size()) {
            return false;
        }
        link.resize(static_cast<size_t>(length));
        path = link[0] == '/' ? link : path.substr(0, path.rfind('/') + 1) + link;
    }
    errno = ELOOP;
    return false;
}

bool MakeFolders(const std::string& path) {
    for (size_t slash = path.find('/', 1); slash != std::string::npos;
         slash = path.find('/', slash + 1)) {
        std::string folder = path.substr(0, slash);
        if (mkdir(folder.c_str(), 0755) != 0 && errno != EEXIST) {
            return false;
        }
    }
    return true;
}

bool WriteAll(int fd, const std::string& text) {
    for (size_t done = 0; done < text.size();) {
        ssize_t written = write(fd, text.data() + done, text.size() - done);
        if (written < 0 && errno != EINTR) {
            return false;
        }
        done += written > 0 ? static_cast<size_t>(written) : 0;
    }
    return true;
}

// The whole text in a file of this process's own beside the target, then
// renamed over it: a reader sees the old file or the new one, never a mix.
bool ReplaceFile(const std::string& target, const std::string& text, std::string* error) {
    std::string temporary = target + "." + std::to_string(getpid()) + ".tmp";
    int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0) {
        *error = strerror(errno);
        return false;
    }
    // The player's own permissions on the file stay.
    struct stat old;
    if (stat(target.c_str(), &old) == 0) {
        fchmod(fd, old.st_mode & 07777);
    }
    bool written = WriteAll(fd, text) && fsync(fd) == 0;
    written = close(fd) == 0 && written;
    if (!written || rename(temporary.c_str(), target.c_str()) != 0) {
        *error = strerror(errno);
        unlink(temporary.c_str());
        return false;
    }
    return true;
}

}  // namespace

bool WriteSettings(const std::string& path, const Settings& settings, std::string* error,
                   const std::vector<std::string>& lines) {
    // A size is whole or none: half of one would make the file damaged.
    Settings shown = settings;
    if (shown.windowWidth <= 0 || shown.windowHeight <= 0) {
        shown.windowWidth = 0;
        shown.windowHeight = 0;
    }
    std::string target;
    if (!FollowLinks(path, &target)) {
        *error = strerror(errno);
        return false;
    }
    if (!MakeFolders(target)) {
        *error = std::string("cannot make its folder: ") + strerror(errno);
        return false;
    }
    return ReplaceFile(target, SettingsText(lines, shown), error);
}

}  // namespace vplat::player
