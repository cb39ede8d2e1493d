// Ini text parsing and writing with Windows private-profile rules, plus the file I/O
// around it (capped read, atomic replace). Any thread; no shared state.
#include "platform/ini_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string_view>
#include <vector>

namespace platform {
namespace {

constexpr std::string_view kBlanks = " \t\r\n\v\f";
constexpr mode_t kNewFileMode = 0644;

// One line of the text: content [begin, end) without its line ending; the next line starts at next.
struct SLine {
    size_t begin, end, next;
};

// Where a key sits in the first section of the given name (Windows never looks past it).
struct SKeyPlace {
    int nHeader = -1;        // line of "[section]", -1 when missing
    int nKey = -1;           // first line of the key, -1 when missing
    int nLastNonBlank = -1;  // last non-blank line of the section (the header at least)
};

std::vector<SLine> SplitLines(std::string_view text) {
    std::vector<SLine> lines;
    for (size_t pos = 0; pos < text.size();) {
        size_t nl = text.find('\n', pos);
        size_t end = nl == std::string_view::npos ? text.size() : nl;
        size_t next = nl == std::string_view::npos ? text.size() : nl + 1;
        if (end > pos && text[end - 1] == '\r') --end;
        lines.push_back({pos, end, next});
        pos = next;
    }
    return lines;
}

std::string_view Trim(std::string_view s) {
    size_t first = s.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) return {};
    return s.substr(first, s.find_last_not_of(kBlanks) - first + 1);
}

// ASCII only, whatever the locale: names are compared like the Windows "A" functions do.
char Lower(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i])) return false;
    return true;
}

// Value of a digit in base 16, or 16 for anything else.
uint32_t HexDigit(char c) {
    c = Lower(c);
    if (c >= '0' && c <= '9') return uint32_t(c - '0');
    if (c >= 'a' && c <= 'f') return uint32_t(c - 'a' + 10);
    return 16;
}

// "[name]" gives the trimmed name; an unclosed bracket is no header (the line is ignored).
bool SectionHeader(std::string_view line, std::string_view& name) {
    line = Trim(line);
    size_t close = line.find(']');
    if (line.empty() || line[0] != '[' || close == std::string_view::npos) return false;
    name = Trim(line.substr(1, close - 1));
    return true;
}

// "name=value" or a bare "name" (an entry with an empty value); comments and blanks are none.
bool Entry(std::string_view line, std::string_view& name, std::string_view& value) {
    line = Trim(line);
    if (line.empty() || line[0] == ';') return false;
    size_t eq = line.find('=');
    name = Trim(line.substr(0, eq));
    value = eq == std::string_view::npos ? std::string_view{} : Trim(line.substr(eq + 1));
    return true;
}

SKeyPlace FindKey(std::string_view text, const std::vector<SLine>& lines, std::string_view section,
                  std::string_view key) {
    SKeyPlace place;
    for (int i = 0; i < int(lines.size()); ++i) {
        std::string_view line = text.substr(lines[i].begin, lines[i].end - lines[i].begin), name, value;
        if (SectionHeader(line, name)) {
            if (place.nHeader >= 0) break;
            if (SameName(name, section)) place.nHeader = place.nLastNonBlank = i;
            continue;
        }
        if (place.nHeader < 0) continue;
        if (!Trim(line).empty()) place.nLastNonBlank = i;
        if (place.nKey < 0 && Entry(line, name, value) && SameName(name, key)) place.nKey = i;
    }
    return place;
}

// Like the Windows reader: optional sign, decimal or 0x hex, stop at the first non-digit,
// accumulate in an unsigned 32-bit value that wraps on overflow.
int ParseProfileInt(std::string_view s) {
    size_t i = 0;
    bool bNegative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) bNegative = s[i++] == '-';
    uint32_t base = 10;
    if (i + 1 < s.size() && s[i] == '0' && Lower(s[i + 1]) == 'x') {
        base = 16;
        i += 2;
    }
    uint32_t total = 0;
    for (; i < s.size() && HexDigit(s[i]) < base; ++i) total = total * base + HexDigit(s[i]);
    return static_cast<int32_t>(bNegative ? 0u - total : total);
}

// What completes the line that ends head: nothing after "\n"; after a lone "\r" (which the line
// split already takes for an ending) only the "\n", so a second save finds the same bytes;
// otherwise eol.
std::string LineBreakToAdd(std::string_view head, const std::string& eol) {
    if (head.empty() || head.back() == '\n') return "";
    return head.back() == '\r' ? "\n" : eol;
}

bool WriteAll(int fd, std::string_view data) {
    while (!data.empty()) {
        ssize_t n = write(fd, data.data(), data.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data.remove_prefix(size_t(n));
    }
    return true;
}

bool SyncFolder(const std::string& dir) {
    int fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    bool bOk = fsync(fd) == 0;
    int saved = errno;
    close(fd);
    errno = saved;
    return bOk;
}

// Temporary files of path are "<path>.tmp.<pid>.XXXXXX", so a later save can tell whose they are.
std::string TempPrefix(const std::string& path) { return path + ".tmp."; }

// Removes temporary files of path left by processes that no longer exist (killed while
// saving), so they cannot pile up. Files of live processes are theirs to finish. Best effort:
// a folder that cannot be listed is left as it is.
void RemoveDeadTemps(const std::string& dir, const std::string& path) {
    const size_t slash = path.rfind('/');
    const std::string prefix = TempPrefix(slash == std::string::npos ? path : path.substr(slash + 1));
    const int saved = errno;
    DIR* d = opendir(dir.c_str());
    if (d == nullptr) {
        errno = saved;
        return;
    }
    while (const dirent* e = readdir(d)) {
        const std::string_view name = e->d_name;
        if (name.substr(0, prefix.size()) != prefix) continue;
        const char* digits = e->d_name + prefix.size();
        if (*digits < '0' || *digits > '9') continue;
        char* end = nullptr;
        const long pid = std::strtol(digits, &end, 10);
        if (*end != '.' || pid <= 0 || pid > long(std::numeric_limits<pid_t>::max()) || pid == long(getpid()))
            continue;
        if (kill(pid_t(pid), 0) != 0 && errno == ESRCH) unlinkat(dirfd(d), e->d_name, 0);
    }
    closedir(d);
    errno = saved;
}

}  // namespace

int GetProfileIntFromText(const std::string& text, const std::string& section, const std::string& key,
                          int nDefault) {
    std::vector<SLine> lines = SplitLines(text);
    SKeyPlace place = FindKey(text, lines, section, key);
    if (place.nKey < 0) return nDefault;
    const SLine& l = lines[place.nKey];
    std::string_view name, value;
    Entry(std::string_view(text).substr(l.begin, l.end - l.begin), name, value);
    // Windows drops one pair of matching quotes around a value.
    if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0])
        value = value.substr(1, value.size() - 2);
    return value.empty() ? nDefault : ParseProfileInt(value);
}

std::string SetProfileStringInText(const std::string& text, const std::string& section,
                                   const std::string& key, const std::string& value) {
    size_t firstNl = text.find('\n');
    const std::string eol = firstNl != std::string::npos && firstNl > 0 && text[firstNl - 1] == '\r' ? "\r\n" : "\n";
    const std::string entry = key + "=" + value;
    std::vector<SLine> lines = SplitLines(text);
    SKeyPlace place = FindKey(text, lines, section, key);
    if (place.nKey >= 0) {
        const SLine& l = lines[place.nKey];
        return text.substr(0, l.begin) + entry + text.substr(l.end);
    }
    if (place.nHeader >= 0) {
        const SLine& l = lines[place.nLastNonBlank];
        return text.substr(0, l.next) + LineBreakToAdd(std::string_view(text).substr(0, l.next), eol) + entry + eol +
               text.substr(l.next);
    }
    std::string out = text;
    if (!out.empty()) out += LineBreakToAdd(out, eol) + eol;
    return out + "[" + section + "]" + eol + entry + eol;
}

bool ReadTextFile(const std::string& path, std::string& text) {
    // Non-blocking so a FIFO in place of the file cannot stall the open.
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return false;
    struct stat st {};
    int error = fstat(fd, &st) == 0 ? 0 : errno;
    if (!error && !S_ISREG(st.st_mode)) error = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
    if (!error && uint64_t(st.st_size) > kMaxIniFileBytes) error = EFBIG;
    std::string read;
    char chunk[65536];
    while (!error) {  // the file may grow while we read: the cap also bounds this loop
        ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n == 0) break;
        if (n < 0) error = errno == EINTR ? 0 : errno;
        else if (read.size() + size_t(n) > kMaxIniFileBytes) error = EFBIG;
        else read.append(chunk, size_t(n));
    }
    close(fd);
    errno = error;
    if (!error) text.swap(read);
    return !error;
}

bool WriteFileAtomically(const std::string& path, const std::string& text) {
    size_t slash = path.rfind('/');
    const std::string dir = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    RemoveDeadTemps(dir, path);
    std::string tempName = TempPrefix(path) + std::to_string(getpid()) + ".XXXXXX";
    int fd = mkostemp(tempName.data(), O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st {};  // the replacement keeps the mode of the file it replaces
    mode_t mode = stat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : kNewFileMode;
    bool bOk = fchmod(fd, mode) == 0 && WriteAll(fd, text) && fsync(fd) == 0;
    if (close(fd) != 0) bOk = false;
    if (bOk && rename(tempName.c_str(), path.c_str()) == 0) return SyncFolder(dir);
    int saved = errno;
    unlink(tempName.c_str());
    errno = saved;
    return false;
}

}  // namespace platform
