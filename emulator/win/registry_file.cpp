// The registry as a text file, one key or value per line:
//
//   vrk-registry 1
//   key "HKEY_CURRENT_USER\\Software\\Varnikel"
//   sz "Name" "text\0"
//   dword "Count" 0x0000002a
//   binary "Block" 00 01 ff
//   hex 11 "Other" 00 01
//
// Strings are UTF-8 in quotes with \\ \" \0 \n \r \t and \u{HEX} escapes; their terminators are
// written out, so a value stored without one reads back without one.  `expand_sz` and `multi_sz`
// work like `sz`; `hex` keeps any other type, or data that the typed forms cannot hold, byte for byte.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

#include "emulator/fs/atomic_file.h"
#include "emulator/fs/save_target.h"
#include "emulator/win/code_pages.h"
#include "emulator/win/registry_tree.h"

namespace vrk::win::detail {
namespace {

constexpr const char* kHeader = "vrk-registry 1";

// --- writing --------------------------------------------------------------------------------------

std::string quoted(const std::wstring& text) {
    std::string out = "\"";
    std::wstring run;
    auto flush = [&] {
        out += encode(CP_UTF8, run.data(), run.size(), nullptr).text;
        run.clear();
    };
    for (const wchar_t c : text) {
        const unsigned long u = static_cast<unsigned long>(c);
        const char* escape = nullptr;
        switch (c) {
            case L'\\': escape = "\\\\"; break;
            case L'"': escape = "\\\""; break;
            case L'\0': escape = "\\0"; break;
            case L'\n': escape = "\\n"; break;
            case L'\r': escape = "\\r"; break;
            case L'\t': escape = "\\t"; break;
            default: break;
        }
        if (escape || u < 0x20 || u == 0x7F || (u >= 0xD800 && u <= 0xDFFF) || u > 0x10FFFF) {
            flush();
            if (escape) {
                out += escape;
            } else {
                char buffer[16];
                std::snprintf(buffer, sizeof(buffer), "\\u{%lX}", u);
                out += buffer;
            }
        } else {
            run.push_back(c);
        }
    }
    flush();
    return out + "\"";
}

std::string hexBytes(const std::vector<BYTE>& data) {
    std::string out;
    char buffer[4];
    for (const BYTE b : data) {
        std::snprintf(buffer, sizeof(buffer), " %02x", b);
        out += buffer;
    }
    return out;
}

std::string formatValue(const Value& value) {
    const std::string name = quoted(value.name);
    if (isStringType(value.type) && value.data.size() % sizeof(wchar_t) == 0) {
        std::wstring units(value.data.size() / sizeof(wchar_t), L'\0');
        std::memcpy(units.data(), value.data.data(), value.data.size());
        const char* type = value.type == REG_SZ ? "sz" : value.type == REG_EXPAND_SZ ? "expand_sz" : "multi_sz";
        return std::string(type) + " " + name + " " + quoted(units) + "\n";
    }
    if (value.type == REG_DWORD && value.data.size() == sizeof(DWORD)) {
        DWORD number;
        std::memcpy(&number, value.data.data(), sizeof(number));
        char buffer[16];
        std::snprintf(buffer, sizeof(buffer), "0x%08lx", static_cast<unsigned long>(number));
        return "dword " + name + " " + buffer + "\n";
    }
    if (value.type == REG_BINARY) return "binary " + name + hexBytes(value.data) + "\n";
    return "hex " + std::to_string(value.type) + " " + name + hexBytes(value.data) + "\n";
}

void formatKey(const Key& key, const std::wstring& path, bool isRoot, std::string& out) {
    if (!isRoot || !key.values.empty()) out += "key " + quoted(path) + "\n";
    for (const auto& entry : key.values) out += formatValue(entry.second);
    for (const auto& entry : key.subkeys) formatKey(*entry.second, path + L"\\" + entry.second->name, false, out);
}

// --- reading --------------------------------------------------------------------------------------

struct Token {
    bool quoted = false;
    std::string word;   // unquoted
    std::wstring text;  // quoted
};

bool readQuoted(const std::string& line, size_t& pos, std::wstring& text) {
    std::string run;
    auto flush = [&]() {
        const Decoded d = decode(CP_UTF8, run.data(), run.size());
        run.clear();
        text += d.text;
        return !d.invalid;
    };
    for (++pos; pos < line.size(); ++pos) {
        const char c = line[pos];
        if (c == '"') {
            ++pos;
            return flush();
        }
        if (c != '\\') {
            run.push_back(c);
            continue;
        }
        if (!flush() || ++pos >= line.size()) return false;
        switch (line[pos]) {
            case '\\': text.push_back(L'\\'); break;
            case '"': text.push_back(L'"'); break;
            case '0': text.push_back(L'\0'); break;
            case 'n': text.push_back(L'\n'); break;
            case 'r': text.push_back(L'\r'); break;
            case 't': text.push_back(L'\t'); break;
            case 'u': {
                if (pos + 1 >= line.size() || line[pos + 1] != '{') return false;
                const size_t close = line.find('}', pos);
                if (close == std::string::npos) return false;
                const std::string digits = line.substr(pos + 2, close - pos - 2);
                char* end = nullptr;
                errno = 0;
                const unsigned long u = std::strtoul(digits.c_str(), &end, 16);
                if (digits.empty() || *end || errno || u > 0xFFFFFFFFul) return false;
                text.push_back(static_cast<wchar_t>(u));
                pos = close;
                break;
            }
            default: return false;
        }
    }
    return false;  // no closing quote
}

bool tokenize(const std::string& line, std::vector<Token>& tokens) {
    tokens.clear();
    size_t pos = 0;
    while (pos < line.size()) {
        if (line[pos] == ' ' || line[pos] == '\t' || line[pos] == '\r') {
            ++pos;
        } else if (line[pos] == '"') {
            Token token;
            token.quoted = true;
            if (!readQuoted(line, pos, token.text)) return false;
            tokens.push_back(std::move(token));
        } else {
            const size_t end = line.find_first_of(" \t\r\"", pos);
            Token token;
            token.word = line.substr(pos, end == std::string::npos ? std::string::npos : end - pos);
            pos = end == std::string::npos ? line.size() : end;
            tokens.push_back(std::move(token));
        }
    }
    return true;
}

bool parseNumber(const Token& token, unsigned long& number) {
    if (token.quoted || token.word.empty()) return false;
    char* end = nullptr;
    errno = 0;
    number = std::strtoul(token.word.c_str(), &end, 0);
    return !*end && !errno && number <= 0xFFFFFFFFul;
}

bool parseBytes(const std::vector<Token>& tokens, size_t first, std::vector<BYTE>& data) {
    for (size_t i = first; i < tokens.size(); ++i) {
        unsigned long b;
        if (tokens[i].word.size() != 2 || !parseNumber(Token{false, "0x" + tokens[i].word, {}}, b)) return false;
        data.push_back(static_cast<BYTE>(b));
    }
    return true;
}

}  // namespace

Key* createPath(Roots& roots, const std::wstring& path) {
    const size_t split = path.find(L'\\');
    const std::wstring rootName = foldName(path.substr(0, split));
    Key* key = nullptr;
    for (size_t i = 0; i < roots.size(); ++i)
        if (rootName == kRootNames[i]) key = roots[i].get();
    if (!key) return nullptr;
    size_t start = split == std::wstring::npos ? path.size() : split + 1;
    while (start < path.size()) {
        const size_t end = std::min(path.find(L'\\', start), path.size());
        if (end == start) return nullptr;
        const std::wstring name = path.substr(start, end - start);
        std::unique_ptr<Key>& child = key->subkeys[foldName(name)];
        if (!child) {
            child = std::make_unique<Key>();
            child->name = name;
        }
        key = child.get();
        start = end + 1;
    }
    return key;
}

namespace {

bool parseLine(const std::vector<Token>& tokens, Roots& roots, Key*& current) {
    const std::string& kind = tokens[0].word;
    if (tokens[0].quoted) return false;
    if (kind == "key") {
        if (tokens.size() != 2 || !tokens[1].quoted) return false;
        current = createPath(roots, tokens[1].text);
        return current != nullptr;
    }
    if (!current) return false;
    Value value;
    size_t next = 1;
    if (kind == "hex") {
        unsigned long type;
        if (tokens.size() < 2 || !parseNumber(tokens[1], type)) return false;
        value.type = static_cast<DWORD>(type);
        next = 2;
    } else if (kind == "sz") {
        value.type = REG_SZ;
    } else if (kind == "expand_sz") {
        value.type = REG_EXPAND_SZ;
    } else if (kind == "multi_sz") {
        value.type = REG_MULTI_SZ;
    } else if (kind == "dword") {
        value.type = REG_DWORD;
    } else if (kind == "binary") {
        value.type = REG_BINARY;
    } else {
        return false;
    }
    if (tokens.size() <= next || !tokens[next].quoted) return false;
    value.name = tokens[next++].text;

    if (kind == "hex" || kind == "binary") {
        if (!parseBytes(tokens, next, value.data)) return false;
    } else if (kind == "dword") {
        unsigned long number;
        if (tokens.size() != next + 1 || !parseNumber(tokens[next], number)) return false;
        const DWORD dword = static_cast<DWORD>(number);
        const BYTE* bytes = reinterpret_cast<const BYTE*>(&dword);
        value.data.assign(bytes, bytes + sizeof(dword));
    } else {
        if (tokens.size() != next + 1 || !tokens[next].quoted) return false;
        const std::wstring& units = tokens[next].text;
        const BYTE* bytes = reinterpret_cast<const BYTE*>(units.data());
        value.data.assign(bytes, bytes + units.size() * sizeof(wchar_t));
    }
    current->values[foldName(value.name)] = std::move(value);
    return true;
}

}  // namespace

std::string formatRegistry(const Roots& roots) {
    std::string out = std::string(kHeader) + "\n";
    for (const auto& root : roots) formatKey(*root, root->name, true, out);
    return out;
}

bool parseRegistry(const std::string& text, Roots& roots) {
    std::istringstream in(text);
    std::string line;
    bool headerSeen = false;
    Key* current = nullptr;
    std::vector<Token> tokens;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const size_t first = line.find_first_not_of(" \t");
        if (first == std::string::npos || line[first] == '#') continue;
        if (!headerSeen) {
            if (line.substr(first) != kHeader) return false;
            headerSeen = true;
            continue;
        }
        if (!tokenize(line, tokens) || tokens.empty() || !parseLine(tokens, roots, current)) return false;
    }
    return headerSeen;
}

}  // namespace vrk::win::detail

namespace vrk::win {

using namespace detail;

namespace {

std::string reasonOf(int error) { return std::strerror(error); }

// The whole content of an open file from its start.
bool readAll(int fd, std::string& text) {
    text.clear();
    char buffer[65536];
    for (off_t at = 0;;) {
        const ssize_t n = pread(fd, buffer, sizeof(buffer), at);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) return true;
        text.append(buffer, static_cast<size_t>(n));
        at += n;
    }
}

// What this process holds now, merged with what the file holds (empty when there is none yet).
bool mergedText(const std::string& onDisk, std::string& text, std::string& reason) {
    Registry& reg = registry();
    std::lock_guard<std::mutex> lock(reg.mutex);
    Roots base = makeRoots(), theirs = makeRoots();
    if (!onDisk.empty() && !parseRegistry(onDisk, theirs)) {
        reason = "it is not a registry file";
        return false;
    }
    if (!reg.loadedText.empty()) parseRegistry(reg.loadedText, base);
    text = formatRegistry(mergeRegistries(base, reg.roots, theirs));
    return true;
}

}  // namespace

bool loadRegistry(const std::string& path, std::string* reason) {
    std::string dummy;
    std::string& why = reason ? *reason : dummy;
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    std::string content;
    if (fd < 0 || !readAll(fd, content)) {
        why = reasonOf(errno);
        if (fd >= 0) close(fd);
        return false;
    }
    close(fd);
    Roots roots = makeRoots();
    if (!parseRegistry(content, roots)) {
        why = "it is not a registry file";
        return false;
    }
    Registry& reg = registry();
    std::lock_guard<std::mutex> lock(reg.mutex);
    reg.roots = std::move(roots);
    reg.handles.clear();
    reg.loadedText = std::move(content);
    return true;
}

// Other processes may save the same file: each save merges this process's changes into what the file
// holds and writes the result through the save module (links followed, a read-only file refused, the
// file replaced whole), which puts it in place only if the file is still the one merged with, checked
// under its lock; otherwise the merge starts again on the file as it is now.
bool saveRegistry(const std::string& path, std::string* reason) {
    std::string dummy;
    std::string& why = reason ? *reason : dummy;
    for (int attempt = 0; attempt < 1000; ++attempt) {
        vrk::fs::SaveTarget place;
        if (!vrk::fs::resolveSaveTarget(path, place, why)) return false;
        std::string onDisk;
        vrk::fs::FileIdentity read;
        if (place.exists) {
            const int fd = open(place.path.c_str(), O_RDONLY | O_CLOEXEC);
            const bool ok = fd >= 0 && vrk::fs::identifyOpenFile(fd, read) && readAll(fd, onDisk);
            if (!ok) why = reasonOf(errno);
            if (fd >= 0) close(fd);
            if (!ok) return false;
        }
        std::string text;
        if (!mergedText(onDisk, text, why)) return false;
        vrk::fs::SaveChecks checks;
        if (place.exists) checks.unchanged = &read;
        checks.absent = !place.exists;
        vrk::fs::SaveError err;
        const auto write = [&text](vrk::fs::Sink& sink, std::string&) { return sink.write(text.data(), text.size()); };
        if (vrk::fs::saveAtomically(place.path, write, err, nullptr, nullptr, &checks)) return true;
        if (err.status != vrk::fs::SaveStatus::Changed) {
            why = err.reason;
            return false;
        }
    }
    why = "other programs kept changing it";
    return false;
}

}  // namespace vrk::win
