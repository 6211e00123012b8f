#include "app/platform/wine/registry_hive_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <map>
#include <string>

#include "app/platform/wine/unicode_text.h"

namespace wine {

namespace {

constexpr std::string_view Header = "WINE REGISTRY Version 2";
// The memory the values of one lookup may take, all told: no more than the file's size (so that
// no file makes a lookup take much more memory than the file itself), yet at least the read
// buffer's size and at most MaxKeyBytes. Values beyond it are left out.
constexpr std::size_t MinKeyBytes = RegistryReadBufferBytes;
constexpr std::size_t MaxKeyBytes = 64u << 20;
// The read buffer of a small file.
constexpr std::size_t MinReadBufferBytes = 64u << 10;
// What the allocator adds to each block it hands out.
constexpr std::size_t BlockOverhead = 16;

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

class FileDescriptor {
public:
    explicit FileDescriptor(int descriptor) : descriptor_(descriptor) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() {
        if (descriptor_ >= 0) {
            close(descriptor_);
        }
    }
    int get() const { return descriptor_; }

private:
    int descriptor_;
};

// Reads a file in blocks and hands out lines; can also jump to the next section line without
// looking at the lines between. Lines longer than the buffer are gathered in a string of their
// own, so that every answer is independent of the buffer's size.
class LineReader {
public:
    LineReader(int descriptor, std::size_t bufferBytes)
        : descriptor_(descriptor), buffer_(std::max<std::size_t>(bufferBytes, 1)) {}

    bool Failed() const { return failed_; }

    // The next line without its '\n' and trailing '\r's; false at the end. A line longer than
    // MaxRegistryLineBytes is passed over as a whole and reported as `overlong` (its text is then
    // empty).
    bool NextLine(std::string_view& line, bool& overlong) {
        overlong = false;
        longLine_.clear();
        bool gathering = false;
        while (true) {
            const char* start = buffer_.data() + begin_;
            const void* newline = std::memchr(start, '\n', end_ - begin_);
            if (newline != nullptr) {
                const auto length =
                    static_cast<std::size_t>(static_cast<const char*>(newline) - start);
                begin_ += length + 1;
                line = Finish(std::string_view(start, length), gathering, overlong);
                return true;
            }
            if (eof_) {
                if (begin_ == end_ && !gathering) {
                    return false;
                }
                const std::string_view rest(start, end_ - begin_);
                begin_ = end_;
                line = Finish(rest, gathering, overlong);
                return true;
            }
            if (begin_ == 0 && end_ == buffer_.size()) {
                // The buffer holds only part of this line: keep it aside and read on.
                Gather(std::string_view(start, end_), overlong);
                gathering = true;
                begin_ = end_ = 0;
            }
            Refill();
        }
    }

    // Moves to the start of the next line that may be a section of interest: one whose first
    // non-blank character is '[' and whose text after the '[' (what the buffer holds of it)
    // `mayMatch` accepts, or a line too long for the buffer to tell. False when there is none.
    // The current position must be at the start of a line.
    template <typename Predicate>
    bool SkipToSection(const Predicate& mayMatch) {
        while (true) {
            std::size_t search = begin_;
            while (search < end_) {
                const void* found = std::memchr(buffer_.data() + search, '[', end_ - search);
                if (found == nullptr) {
                    break;
                }
                const auto bracket =
                    static_cast<std::size_t>(static_cast<const char*>(found) - buffer_.data());
                std::size_t lineStart = bracket;
                while (lineStart > begin_ && IsBlank(buffer_[lineStart - 1])) {
                    --lineStart;
                }
                if ((lineStart == begin_ || buffer_[lineStart - 1] == '\n') &&
                    mayMatch(std::string_view(buffer_.data() + bracket + 1, end_ - bracket - 1))) {
                    begin_ = lineStart;
                    return true;
                }
                search = bracket + 1;
            }
            if (eof_) {
                begin_ = end_;
                return false;
            }
            // Keep only the unfinished last line: a '[' may still start it.
            const void* lastNewline = memrchr(buffer_.data() + begin_, '\n', end_ - begin_);
            if (lastNewline != nullptr) {
                begin_ = static_cast<std::size_t>(static_cast<const char*>(lastNewline) -
                                                  buffer_.data()) +
                         1;
            } else if (begin_ == 0 && end_ == buffer_.size()) {
                return true;  // one line fills the buffer: NextLine reads it whole
            }
            Refill();
        }
    }

private:
    static void StripCarriageReturns(std::string_view& line) {
        while (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
    }

    // Adds a piece of an overlong-so-far line to the gathered text, or gives up on it.
    void Gather(std::string_view piece, bool& overlong) {
        if (overlong) {
            return;
        }
        if (longLine_.size() + piece.size() > MaxRegistryLineBytes) {
            overlong = true;
            longLine_.clear();
            return;
        }
        longLine_.append(piece);
    }

    // The whole line from its last piece.
    std::string_view Finish(std::string_view last, bool gathering, bool& overlong) {
        std::string_view line = last;
        if (gathering) {
            Gather(last, overlong);
            line = longLine_;
        } else if (last.size() > MaxRegistryLineBytes) {
            overlong = true;
        }
        if (overlong) {
            return {};
        }
        StripCarriageReturns(line);
        return line;
    }

    // Moves the unread rest to the front and reads more behind it.
    void Refill() {
        if (begin_ > 0) {
            std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
            end_ -= begin_;
            begin_ = 0;
        }
        while (end_ < buffer_.size()) {
            const ssize_t got = read(descriptor_, buffer_.data() + end_, buffer_.size() - end_);
            if (got > 0) {
                end_ += static_cast<std::size_t>(got);
                return;
            }
            if (got == 0) {
                eof_ = true;
                return;
            }
            if (errno != EINTR) {
                failed_ = true;
                eof_ = true;
                return;
            }
        }
    }

    int descriptor_;
    std::vector<char> buffer_;
    std::string longLine_;
    std::size_t begin_ = 0;
    std::size_t end_ = 0;
    bool eof_ = false;
    bool failed_ = false;
};

std::string_view SkipBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    return text;
}

std::vector<std::string> SplitKeyPath(std::string_view keyPath) {
    std::vector<std::string> components;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= keyPath.size(); ++i) {
        if (i == keyPath.size() || keyPath[i] == '\\') {
            components.emplace_back(keyPath.substr(start, i - start));
            start = i + 1;
        }
    }
    return components;
}

// The UTF-8 text of a name folded for comparison; equal for names Wine treats as equal.
std::string FoldedName(std::string_view name) {
    std::string folded;
    std::size_t index = 0;
    while (index < name.size()) {
        const char32_t c = DecodeUtf8(name, index);
        if (c >= 0x110000) {
            folded += static_cast<char>(c - 0x110000);  // an invalid byte stays itself
        } else {
            AppendUtf8(folded, FoldCase(c));
        }
    }
    return folded;
}

// One way of reading the caller's path (the 32-bit view or the plain path) and what the file
// holds for it.
struct View {
    std::vector<std::string> components;
    bool exists = false;
    std::map<std::string, RegistryValue> values;  // by folded name: Wine's enumeration order
    std::size_t cost = 0;                         // what `values` take, as ValueCost counts it
};

// The heap block behind a string, or nothing when its text fits in the string itself.
std::size_t HeapBytes(const std::string& text) {
    static const std::size_t inPlace = std::string().capacity();
    return text.capacity() > inPlace ? text.capacity() + 1 + BlockOverhead : 0;
}

// The memory one stored value takes: its map node (the tree's links, the folded name, the value),
// its slot in the answer and the strings' heap blocks. An empty value takes some 200 bytes for a
// line of 12: counting data alone let a file of millions of them take many times its size.
std::size_t ValueCost(const std::string& folded, const RegistryValue& value) {
    constexpr std::size_t Node =
        4 * sizeof(void*) + sizeof(std::string) + sizeof(RegistryValue) + BlockOverhead;
    return Node + sizeof(RegistryValue) + HeapBytes(folded) + HeapBytes(value.name) +
           HeapBytes(value.data);
}

struct KeyBudget {
    std::size_t limit = 0;
    std::size_t spent = 0;  // by the values of every view together
};

enum class Match { None, Exact, Below };

Match Compare(const std::vector<std::string>& section, const std::vector<std::string>& wanted) {
    if (section.size() < wanted.size()) {
        return Match::None;
    }
    for (std::size_t i = 0; i < wanted.size(); ++i) {
        if (!EqualsIgnoringCase(section[i], wanted[i])) {
            return Match::None;
        }
    }
    return section.size() == wanted.size() ? Match::Exact : Match::Below;
}

char FoldAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}

// Compares the raw text of a section line (after '[') with `wanted` without decoding it, as long
// as both are plain ASCII without escapes other than the separator; nothing when undecided. Most
// sections of a large file are rejected here at the cost of a few byte comparisons.
std::optional<Match> CompareRaw(std::string_view raw, const std::vector<std::string>& wanted) {
    if (wanted.empty()) {
        return std::nullopt;
    }
    std::size_t i = 0;
    const auto separatorAt = [&](std::size_t at) {
        return at + 1 < raw.size() && raw[at] == '\\' && raw[at + 1] == '\\';
    };
    for (std::size_t c = 0; c < wanted.size(); ++c) {
        for (const char w : wanted[c]) {
            if (static_cast<unsigned char>(w) >= 0x80 || i >= raw.size()) {
                return std::nullopt;
            }
            const char r = raw[i];
            if (r == '\\') {
                if (separatorAt(i)) {
                    return Match::None;  // the section's component is shorter
                }
                return std::nullopt;
            }
            if (static_cast<unsigned char>(r) >= 0x80) {
                return std::nullopt;
            }
            if (r == ']' || FoldAscii(r) != FoldAscii(w)) {
                return Match::None;
            }
            ++i;
        }
        if (i >= raw.size()) {
            return std::nullopt;
        }
        if (raw[i] == ']') {
            return c + 1 == wanted.size() ? Match::Exact : Match::None;
        }
        if (!separatorAt(i)) {
            return raw[i] == '\\' ? std::nullopt : std::optional<Match>(Match::None);
        }
        i += 2;
    }
    return Match::Below;
}

// A cheap first test of a raw section line against the views: the first bytes (up to 16) of the
// path as Wine writes it, compared with ASCII case folded. It only rejects sections that cannot
// be the key or below it; everything else goes on to the exact comparison.
class SectionPrefilter {
public:
    explicit SectionPrefilter(const std::vector<View>& views) {
        for (const View& view : views) {
            std::string raw;
            for (std::size_t c = 0; c < view.components.size(); ++c) {
                if (c > 0) {
                    raw += "\\\\";
                }
                raw += view.components[c];
            }
            for (const char ch : raw) {
                const auto byte = static_cast<unsigned char>(ch);
                if (byte >= 0x80 || byte < 0x20 || ch == '[' || ch == ']') {
                    enabled_ = false;  // written escaped: only the exact test can tell
                }
            }
            if (raw.empty()) {
                enabled_ = false;
            }
            Prefix prefix;
            prefix.length = std::min(raw.size(), sizeof prefix.bytes);
            std::memcpy(prefix.bytes, raw.data(), prefix.length);
            for (std::size_t i = 0; i < sizeof prefix.bytes; ++i) {
                prefix.bytes[i] = static_cast<char>(prefix.bytes[i] | 0x20);
                prefix.mask[i] = i < prefix.length ? static_cast<char>(0xFF) : 0;
            }
            prefixes_.push_back(prefix);
        }
    }

    bool MayMatch(std::string_view section) const {
        if (!enabled_ || section.size() < 16) {
            return true;  // not all of it read yet: let the exact test decide
        }
        // Setting 0x20 folds ASCII letters; equal texts stay equal, so nothing that matches is
        // rejected.
        std::uint64_t words[2];
        std::memcpy(words, section.data(), sizeof words);
        constexpr std::uint64_t Fold = 0x2020202020202020u;
        for (const Prefix& prefix : prefixes_) {
            std::uint64_t expected[2];
            std::uint64_t mask[2];
            std::memcpy(expected, prefix.bytes, sizeof expected);
            std::memcpy(mask, prefix.mask, sizeof mask);
            if ((((words[0] | Fold) ^ expected[0]) & mask[0]) == 0 &&
                (((words[1] | Fold) ^ expected[1]) & mask[1]) == 0) {
                return true;
            }
        }
        return MayHoldEscapes(section);
    }

private:
    // True when the first 16 bytes hold a byte outside ASCII (invalid UTF-8 is dropped when
    // decoded) or a backslash that is not one of a separator's pair (an escape: \167 and \w
    // both spell w): such a line may still decode to the key's spelling, and only the exact
    // test can tell. Lone backslashes and runs of three or more are both taken as escapes.
    static bool MayHoldEscapes(std::string_view section) {
        using Bytes16 = unsigned __int128;
        const auto repeat = [](std::uint8_t byte) {
            constexpr std::uint64_t Ones = 0x0101010101010101u;
            return (Bytes16{Ones * byte} << 64) | (Ones * byte);
        };
        Bytes16 bytes = 0;
        std::memcpy(&bytes, section.data(), sizeof bytes);
        const Bytes16 highBits = repeat(0x80);
        if ((bytes & highBits) != 0) {
            return true;
        }
        // The high bit of every byte that is a backslash (no carries cross bytes here).
        const Bytes16 difference = bytes ^ repeat('\\');
        const Bytes16 backslashes =
            ~(((difference & repeat(0x7F)) + repeat(0x7F)) | difference) & highBits;
        const Bytes16 lone = backslashes & ~(backslashes << 8) & ~(backslashes >> 8);
        const Bytes16 longRun = backslashes & (backslashes << 8) & (backslashes >> 8);
        return (lone | longRun) != 0;
    }

    struct Prefix {
        char bytes[16] = {};
        char mask[16] = {};
        std::size_t length = 0;
    };
    std::vector<Prefix> prefixes_;
    bool enabled_ = true;
};

void Store(View& view, RegistryValue value, KeyBudget& budget) {
    std::string key = FoldedName(value.name);
    auto found = view.values.find(key);
    if (found != view.values.end()) {
        // A repeated name replaces the data; the first spelling of the name stays. Swapping
        // hands over the new data's block exactly as it was counted.
        const std::size_t before = HeapBytes(found->second.data);
        const std::size_t after = HeapBytes(value.data);
        if (budget.spent - before + after > budget.limit) {
            return;
        }
        budget.spent = budget.spent - before + after;
        view.cost = view.cost - before + after;
        found->second.type = value.type;
        found->second.data.swap(value.data);
        return;
    }
    const std::size_t cost = ValueCost(key, value);
    if (cost > budget.limit - budget.spent) {
        return;
    }
    budget.spent += cost;
    view.cost += cost;
    view.values.emplace(std::move(key), std::move(value));
}

// Forgets the values of a view that can no longer be the answer, and gives their memory back.
void Drop(View& view, KeyBudget& budget) {
    budget.spent -= view.cost;
    view.cost = 0;
    view.values.clear();
}

}  // namespace

std::optional<std::vector<RegistryValue>> ReadRegistryKey(const std::filesystem::path& file,
                                                          std::string_view keyPath,
                                                          std::size_t readBufferBytes) {
    // A trailing separator is tolerated; other empty components name no key.
    if (!keyPath.empty() && keyPath.back() == '\\') {
        keyPath.remove_suffix(1);
    }
    std::vector<View> views;  // at most two: the 32-bit view and the plain path
    const std::vector<std::string> plain = SplitKeyPath(keyPath);
    for (const std::string& component : plain) {
        if (component.empty() && !keyPath.empty()) {
            return std::nullopt;
        }
    }
    const bool belowSoftware = plain.size() >= 2 && EqualsIgnoringCase(plain[0], "Software") &&
                               !EqualsIgnoringCase(plain[1], "Wow6432Node");
    if (belowSoftware) {
        View redirected;
        redirected.components = plain;
        redirected.components.insert(redirected.components.begin() + 1, "Wow6432Node");
        views.push_back(std::move(redirected));
    }
    View direct;
    if (!keyPath.empty()) {
        direct.components = plain;
    }
    views.push_back(std::move(direct));

    FileDescriptor descriptor(open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    struct stat info {};
    if (descriptor.get() < 0 || fstat(descriptor.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return std::nullopt;
    }
    const int statusFlags = fcntl(descriptor.get(), F_GETFL);
    if (statusFlags < 0 || fcntl(descriptor.get(), F_SETFL, statusFlags & ~O_NONBLOCK) < 0) {
        return std::nullopt;
    }

    KeyBudget budget;
    budget.limit = std::clamp(static_cast<std::size_t>(info.st_size), MinKeyBytes, MaxKeyBytes);

    const SectionPrefilter prefilter(views);
    // A small file takes a buffer of its size (and a byte to see its end), yet never a tiny one:
    // a file rewritten in place while it is read may have been short when it was opened.
    const std::size_t fileBytes = static_cast<std::size_t>(info.st_size) + 1;
    LineReader reader(descriptor.get(),
                      std::min(readBufferBytes, std::max(fileBytes, MinReadBufferBytes)));
    std::string_view line;
    bool overlong = false;
    if (!reader.NextLine(line, overlong) || overlong || line != Header) {
        return std::nullopt;
    }
    bool win64 = false;
    // Only the view that is the answer keeps values: in win64 the 32-bit view once it exists,
    // else the plain path. (#arch comes before the first section.)
    const auto redirectedAnswers = [&] { return belowSoftware && win64 && views[0].exists; };
    const auto mayAnswer = [&](std::size_t v) {
        const bool isRedirected = belowSoftware && v == 0;
        return isRedirected ? win64 : !redirectedAnswers();
    };
    bool sawKey = false;
    View* collecting = nullptr;
    std::string pendingSection;  // a section line met while reading a hex continuation
    bool havePending = false;
    while (true) {
        if (havePending) {
            line = pendingSection;
            havePending = false;
        } else {
            if (sawKey && collecting == nullptr &&
                !reader.SkipToSection(
                    [&](std::string_view section) { return prefilter.MayMatch(section); })) {
                break;
            }
            if (!reader.NextLine(line, overlong)) {
                break;
            }
            if (overlong) {
                continue;
            }
        }
        const std::string_view text = SkipBlanks(line);
        if (text.empty()) {
            continue;
        }
        switch (text.front()) {
            case '[': {
                sawKey = true;
                collecting = nullptr;
                std::array<std::optional<Match>, 2> quick;
                bool decided = true;
                for (std::size_t v = 0; v < views.size(); ++v) {
                    quick[v] = CompareRaw(text.substr(1), views[v].components);
                    decided = decided && quick[v].has_value();
                }
                std::optional<std::vector<std::string>> section;
                if (!decided) {
                    section = ParseKeyLine(text.substr(1));
                    if (!section) {
                        break;
                    }
                }
                std::array<Match, 2> matches{};
                for (std::size_t v = 0; v < views.size(); ++v) {
                    matches[v] = decided ? *quick[v] : Compare(*section, views[v].components);
                    if (matches[v] != Match::None) {
                        views[v].exists = true;
                    }
                }
                if (redirectedAnswers()) {
                    Drop(views.back(), budget);
                }
                for (std::size_t v = 0; v < views.size(); ++v) {
                    if (matches[v] == Match::Exact && collecting == nullptr && mayAnswer(v)) {
                        collecting = &views[v];
                    }
                }
                break;
            }
            case '@':
            case '"': {
                if (collecting == nullptr) {
                    break;  // a value before any key, or in a key we do not want
                }
                std::optional<RegistryValue> value =
                    ParseValueLine(text, [&]() -> std::optional<std::string_view> {
                        std::string_view next;
                        bool nextOverlong = false;
                        if (!reader.NextLine(next, nextOverlong) || nextOverlong) {
                            return std::nullopt;
                        }
                        const std::string_view nextText = SkipBlanks(next);
                        if (!nextText.empty() && nextText.front() == '[') {
                            // A section cut a value short: the value is lost, the section not.
                            pendingSection = std::string(nextText);
                            havePending = true;
                            return std::nullopt;
                        }
                        return nextText;
                    });
                if (value) {
                    Store(*collecting, std::move(*value), budget);
                }
                break;
            }
            case '#':
                if (!sawKey && text.substr(0, 6) == "#arch=") {
                    const std::string_view arch = text.substr(6);
                    if (arch == "win64") {
                        win64 = true;
                    } else if (arch != "win32") {
                        return std::nullopt;  // Wine refuses a file of unknown architecture
                    }
                }
                break;
            default:
                break;
        }
    }
    if (reader.Failed()) {
        return std::nullopt;
    }
    // win64: the 32-bit view first, then the plain path; win32 or no #arch: the plain path.
    for (std::size_t i = 0; i < views.size(); ++i) {
        const bool isRedirected = belowSoftware && i == 0;
        if (isRedirected && !win64) {
            continue;
        }
        if (views[i].exists) {
            std::vector<RegistryValue> values;
            values.reserve(views[i].values.size());
            for (auto& [folded, value] : views[i].values) {
                values.push_back(std::move(value));
            }
            return values;
        }
    }
    return std::nullopt;
}

}  // namespace wine
