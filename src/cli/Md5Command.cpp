// zarkent-cli md5: digests of files in the line format of md5sum, and the check of such a list.

#include <cctype>
#include <fstream>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "cli/Cli.h"
#include "core/platform/FileSystem.h"
#include "core/tools/md5.h"

namespace zarkent::cli {

namespace {

std::string Lower(std::string text) {
    for (char& ch : text)
        ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    return text;
}

// "-" is standard input; anything else a regular file.
Md5Digest DigestOf(const std::string& path) {
    if (path != "-") return Md5OfFile(path);
    File in = File::StandardInput();
    return Md5OfRest(in);
}

// md5sum's way with a name holding a backslash or a line break: the line starts with a backslash and
// those characters are escaped.
std::string ListLine(const std::string& hex, const std::string& name) {
    if (name.find_first_of("\\\n") == std::string::npos) return hex + "  " + name;
    std::string escaped;
    for (const char ch : name)
        escaped += ch == '\\' ? "\\\\" : ch == '\n' ? "\\n" : std::string(1, ch);
    return "\\" + hex + "  " + escaped;
}

// One line of a list: the digest and the name, or nothing for a line that is not one.
std::optional<std::pair<std::string, std::string>> ParseLine(std::string line) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const bool escaped = !line.empty() && line[0] == '\\';
    if (escaped) line.erase(0, 1);
    if (line.size() < 35 || (line[33] != ' ' && line[33] != '*') || line[32] != ' ') return std::nullopt;
    const std::string hex = line.substr(0, 32);
    if (hex.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) return std::nullopt;
    std::string name = line.substr(34);
    if (escaped) {
        std::string plain;
        for (std::size_t i = 0; i < name.size(); ++i) {
            if (name[i] == '\\' && i + 1 < name.size()) {
                plain += name[i + 1] == 'n' ? '\n' : name[i + 1];
                ++i;
            } else {
                plain += name[i];
            }
        }
        name = plain;
    }
    return std::pair{Lower(hex), name};
}

int Check(const std::string& listPath, Streams io) {
    std::ifstream file;
    std::istream* list = &io.in;
    if (listPath != "-") {
        file.open(listPath, std::ios::binary);
        if (!file) {
            io.err << "zarkent-cli: cannot read the list \"" << Printable(listPath) << "\"\n";
            return ExitFailure;
        }
        list = &file;
    }
    int failed = 0, malformed = 0, checked = 0;
    std::string line;
    while (std::getline(*list, line)) {
        const auto entry = ParseLine(line);
        if (!entry) {
            ++malformed;
            continue;
        }
        ++checked;
        try {
            const bool same = Lower(Md5ToHex(DigestOf(entry->second))) == entry->first;
            io.out << Printable(entry->second) << (same ? ": OK\n" : ": FAILED\n");
            failed += same ? 0 : 1;
        } catch (const std::exception& e) {
            io.err << "zarkent-cli: " << Printable(e.what()) << "\n";
            io.out << Printable(entry->second) << ": FAILED open or read\n";
            ++failed;
        }
    }
    if (checked == 0) {
        // md5sum's words for a list that holds nothing to check.
        io.err << "zarkent-cli: " << Printable(listPath) << ": no properly formatted MD5 checksum lines found\n";
        return ExitFailure;
    }
    if (malformed > 0) io.err << "zarkent-cli: " << malformed << " line(s) are not digest lines\n";
    if (failed > 0) io.err << "zarkent-cli: " << failed << " of " << checked << " computed checksum(s) did NOT match\n";
    return FinishOutput(io, "results", failed > 0 ? ExitFailure : ExitOk);
}

} // namespace

int RunMd5Command(const std::vector<std::string>& args, Streams io) {
    bool upper = false;
    std::optional<std::string> checkList;
    std::vector<std::string> paths;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-") {
            paths.push_back(arg);
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "--upper") {
            upper = true;
        } else if (arg == "--check" || arg == "-c") {
            if (i + 1 >= args.size()) return UsageError(io.err, "--check needs a list file");
            checkList = args[++i];
        } else {
            return UsageError(io.err, "unknown option '" + arg + "'");
        }
    }
    if (checkList) {
        if (!paths.empty()) return UsageError(io.err, "--check takes one list file and no other FILE");
        return Check(*checkList, io);
    }
    if (paths.empty()) paths.push_back("-");
    bool failed = false;
    for (const std::string& path : paths) {
        if (!io.out) break; // the reader is gone
        try {
            const std::string hex = Md5ToHex(DigestOf(path));
            io.out << ListLine(upper ? hex : Lower(hex), path) << "\n";
        } catch (const std::exception& e) {
            io.err << Printable(path) << ": " << Printable(e.what()) << "\n";
            failed = true;
        }
    }
    return FinishOutput(io, "digests", failed ? ExitFailure : ExitOk);
}

} // namespace zarkent::cli
