// function_length: fails when a function body in the given files or folders
// runs over a number of lines. A small scanner instead of a full parser: it
// blanks comments, literals and preprocessor lines, follows the braces, and
// counts a brace as a function body when it opens at namespace or class
// scope after a parameter list (with its qualifiers, a trailing return type
// or a constructor's initializer list). Lambdas and blocks count towards the
// function they are in.
//
//   function_length --max 80 DIR|FILE...
//
// Prints each long function as "file:line: N lines: signature" and a last
// line "N functions longer than MAX lines"; exit code 1 when there is one.

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

bool isWordChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

// Skips a quoted literal starting at `i` (the opening quote), blanking what
// is inside; keeps line breaks so that line numbers stay true.
std::size_t skipQuoted(std::string& s, std::size_t i) {
    const char quote = s[i];
    std::size_t j = i + 1;
    while (j < s.size() && s[j] != quote) {
        if (s[j] == '\\' && j + 1 < s.size()) s[j++] = ' ';
        if (s[j] != '\n') s[j] = ' ';
        ++j;
    }
    return j;  // at the closing quote
}

// R"delim( ... )delim"
std::size_t skipRaw(std::string& s, std::size_t i) {
    const std::size_t open = s.find('(', i);
    if (open == std::string::npos) return s.size();
    const std::string end = ")" + s.substr(i + 1, open - i - 1) + "\"";
    const std::size_t close = s.find(end, open);
    const std::size_t stop = close == std::string::npos ? s.size() : close + end.size() - 1;
    for (std::size_t j = i + 1; j < stop; ++j) {
        if (s[j] != '\n') s[j] = ' ';
    }
    return stop;
}

bool startsRaw(const std::string& s, std::size_t i) {
    if (i == 0 || s[i - 1] != 'R') return false;
    // R, or u8R, uR, UR, LR: the prefix must start a token.
    std::size_t p = i - 1;
    while (p > 0 && (s[p - 1] == 'u' || s[p - 1] == '8' || s[p - 1] == 'U' || s[p - 1] == 'L')) {
        --p;
    }
    return p == 0 || !isWordChar(s[p - 1]);
}

// 1'000'000: the quote sits inside a number.
bool separatesDigits(const std::string& s, std::size_t i) {
    std::size_t b = i;
    while (b > 0 && (isWordChar(s[b - 1]) || s[b - 1] == '\'')) --b;
    return b < i && std::isdigit(static_cast<unsigned char>(s[b])) && i + 1 < s.size() &&
           isWordChar(s[i + 1]);
}

// The text with comments, literals and preprocessor lines blanked.
std::string code(std::string s) {
    bool lineStart = true;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const char c = s[i];
        if (c == '\n') {
            lineStart = true;
            continue;
        }
        if (lineStart && c == '#') {
            // A directive, with its continued lines.
            char before = ' ';
            for (; i < s.size() && !(s[i] == '\n' && before != '\\'); ++i) {
                before = s[i];
                if (s[i] != '\n') s[i] = ' ';
            }
            --i;
            continue;
        }
        if (!std::isspace(static_cast<unsigned char>(c))) lineStart = false;
        if (c == '/' && i + 1 < s.size() && s[i + 1] == '/') {
            while (i < s.size() && s[i] != '\n') s[i++] = ' ';
            --i;
        } else if (c == '/' && i + 1 < s.size() && s[i + 1] == '*') {
            const std::size_t end = s.find("*/", i + 2);
            const std::size_t stop = end == std::string::npos ? s.size() : end + 2;
            for (; i < stop; ++i) {
                if (s[i] != '\n') s[i] = ' ';
            }
            --i;
        } else if (c == '"') {
            i = startsRaw(s, i) ? skipRaw(s, i) : skipQuoted(s, i);
        } else if (c == '\'' && !separatesDigits(s, i)) {
            i = skipQuoted(s, i);  // a character literal
        }
    }
    return s;
}

std::string trim(const std::string& s) {
    const auto b = s.find_first_not_of(" \t\r\n");
    if (b == std::string::npos) return {};
    return s.substr(b, s.find_last_not_of(" \t\r\n") - b + 1);
}

std::string squeeze(const std::string& s) {
    std::string out;
    for (const char c : s) {
        if (std::isspace(static_cast<unsigned char>(c))) {
            if (!out.empty() && out.back() != ' ') out += ' ';
        } else {
            out += c;
        }
    }
    return trim(out);
}

// "template <...>" in front of a declaration goes.
std::string withoutTemplateHead(std::string h) {
    while (h.rfind("template", 0) == 0) {
        const std::size_t open = h.find('<');
        if (open == std::string::npos) break;
        int depth = 0;
        std::size_t i = open;
        for (; i < h.size(); ++i) {
            if (h[i] == '<') ++depth;
            if (h[i] == '>' && --depth == 0) break;
        }
        h = trim(h.substr(std::min(i + 1, h.size())));
    }
    return h;
}

// What follows a parameter list before the body: qualifiers, a trailing return type.
std::string withoutQualifiers(std::string h) {
    static const std::regex trailing(R"(\)\s*(const\s*)?(&{1,2}\s*)?(noexcept\s*)?->[^()]*$)");
    std::smatch m;
    if (std::regex_search(h, m, trailing)) h = h.substr(0, std::size_t(m.position(0)) + 1);
    static const std::regex qualifier(
        R"((\s+|\b)(const|override|final|noexcept|mutable|volatile|try|&&|&)\s*$)");
    for (std::string before; before != h;) {
        before = h;
        h = trim(std::regex_replace(h, qualifier, ""));
    }
    return h;
}

enum class Scope { Namespace, Type, Function, Other };

struct Opened {
    Scope scope;
    std::size_t line;
    std::string signature;
    bool keepsHeader = false;  // a brace of a constructor's initializer list
};

struct LongFunction {
    std::string file;
    std::size_t line;
    std::size_t lines;
    std::string signature;
};

Scope classify(const std::string& rawHeader, bool& initBrace) {
    initBrace = false;
    const std::string h = withoutTemplateHead(squeeze(rawHeader));
    static const std::regex typeHead(
        R"(^((typedef|inline|export)\s+)?(namespace|extern\s*""|class|struct|union|enum)\b)");
    if (std::regex_search(h, typeHead)) {
        return h.find("namespace") == 0 || h.find("extern") == 0 ? Scope::Namespace : Scope::Type;
    }
    const std::string bare = withoutQualifiers(h);
    if (!bare.empty() && bare.back() == ')') return Scope::Function;
    // A constructor's initializer list: a member initialized with braces
    // inside it, then the body after its closing brace.
    static const std::regex initList(R"(\)\s*(noexcept\s*)?:\s*[^;]*$)");
    if (std::regex_search(h, initList)) {
        if (!h.empty() && (isWordChar(h.back()) || h.back() == '>')) {
            initBrace = true;
            return Scope::Other;
        }
        if (!h.empty() && (h.back() == '}' || h.back() == ')')) return Scope::Function;
    }
    return Scope::Other;
}

void scanFile(const fs::path& path, std::size_t limit, std::vector<LongFunction>& found) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream buffer;
    buffer << in.rdbuf();
    const std::string s = code(buffer.str());

    std::vector<Opened> stack;
    std::string header;  // the declaration since the last ';', '{' or '}'
    int parens = 0;
    std::size_t line = 1;
    std::size_t functionDepth = 0;  // 0: not inside a function body
    for (const char c : s) {
        if (c == '\n') ++line;
        const bool atDeclarations =
            functionDepth == 0 && (stack.empty() || stack.back().scope == Scope::Namespace ||
                                   stack.back().scope == Scope::Type);
        if (c == '(') ++parens;
        if (c == ')') parens = std::max(0, parens - 1);
        if (c == '{') {
            Opened o{Scope::Other, line, {}};
            if (functionDepth > 0) {
                o.scope = Scope::Other;
            } else if (atDeclarations && parens == 0) {
                o.scope = classify(header, o.keepsHeader);
                o.signature = squeeze(header);
            }
            if (o.scope == Scope::Function) functionDepth = stack.size() + 1;
            stack.push_back(o);
            if (!o.keepsHeader) header.clear();
            continue;
        }
        if (c == '}') {
            if (stack.empty()) continue;  // unbalanced: a macro's trick
            const Opened o = stack.back();
            stack.pop_back();
            if (o.scope == Scope::Function && functionDepth == stack.size() + 1) {
                functionDepth = 0;
                const std::size_t lines = line - o.line + 1;
                if (lines > limit) {
                    std::string sig = o.signature;
                    if (sig.size() > 100) sig = sig.substr(sig.size() - 100);
                    found.push_back({path.generic_string(), o.line, lines, sig});
                }
            }
            if (o.keepsHeader) {
                header += "{}";
            } else {
                header.clear();
            }
            continue;
        }
        if (c == ';' && parens == 0) {
            header.clear();
            continue;
        }
        if (atDeclarations) header += c;
    }
}

bool isSource(const fs::path& p) {
    const std::string ext = p.extension().string();
    return ext == ".cpp" || ext == ".h" || ext == ".hpp" || ext == ".cc";
}

}  // namespace

int main(int argc, char* argv[]) {
    std::size_t limit = 80;
    std::vector<fs::path> files;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--max" && i + 1 < argc) {
            limit = std::size_t(std::strtoul(argv[++i], nullptr, 10));
            continue;
        }
        const fs::path p(arg);
        if (fs::is_directory(p)) {
            for (const auto& entry : fs::recursive_directory_iterator(p)) {
                if (entry.is_regular_file() && isSource(entry.path()))
                    files.push_back(entry.path());
            }
        } else if (fs::is_regular_file(p)) {
            files.push_back(p);
        } else {
            std::cerr << "function_length: no such file or folder: " << arg << '\n';
            return 2;
        }
    }
    std::sort(files.begin(), files.end());
    std::vector<LongFunction> found;
    for (const fs::path& f : files) scanFile(f, limit, found);
    for (const LongFunction& f : found) {
        std::cout << f.file << ':' << f.line << ": " << f.lines << " lines: " << f.signature
                  << '\n';
    }
    std::cout << found.size() << " functions longer than " << limit << " lines in " << files.size()
              << " files\n";
    return found.empty() ? 0 : 1;
}
