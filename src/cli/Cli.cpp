#include "cli/Cli.h"

#include <csignal>
#include <iostream>
#include <string>
#include <vector>

#ifndef ZARKENT_VERSION
#error "ZARKENT_VERSION comes from the project's version (CMakeLists.txt)"
#endif

namespace zarkent::cli {

namespace {

constexpr const char* UsageText =
    "Usage: zarkent-cli encrypt [--compress [--threads N]] [--keep] [--password-file FILE] PATH...\n"
    "       zarkent-cli decrypt [--keep] [--password-file FILE] PATH...\n"
    "       zarkent-cli wipe [--method 0..6] FILE...\n"
    "       zarkent-cli md5 [--upper] [FILE...] | md5 --check LIST\n"
    "       zarkent-cli passgen [--length N] [--digits | --mixed | --letters | --chars TEXT] [--count K]\n"
    "       zarkent-cli random --bound B --count N [--format decimal|c|pascal|plain-hex] [--secure]\n"
    "                          [--as-window]\n"
    "       zarkent-cli --help | --version\n";

constexpr const char* HelpText =
    "\n"
    "Encrypts files into .zrk files and back. Each PATH is processed in turn; a failure is reported\n"
    "as 'PATH: message' and the next PATH goes on.\n"
    "\n"
    "  encrypt              write PATH.zrk (or (n)NAME.zrk when that exists) beside PATH\n"
    "  decrypt              restore the stored file beside the .zrk file ((n)NAME when it exists)\n"
    "  --compress           compress with zlib before encrypting\n"
    "  --threads N          compress on N threads (1..32; default: one per core, at most 32); the\n"
    "                       output is the same whatever N\n"
    "  --keep               keep the source file (by default it is deleted after success)\n"
    "  --password-file FILE read the password from the first line of FILE ('-' for standard input);\n"
    "                       without it the password is asked on the terminal\n"
    "\n"
    "Exit status: 0 all succeeded, 3 only wrong passwords failed, 1 other failures, 2 bad usage.\n"
    "\n"
    "  wipe                 overwrite each FILE with four patterns per pass (zeros, ones, random, its\n"
    "                       complement; each flushed to the device), then cut, rename and delete it.\n"
    "                       No question is asked. Prints each wiped FILE; exit status 0 all wiped, 1 any\n"
    "                       failure, 2 bad usage. Links, folders, devices, FIFOs, sockets, read-only\n"
    "                       files and files with other hard links are refused. Data appended meanwhile\n"
    "                       gets the same passes; on a full disk only the file's own storage is\n"
    "                       overwritten. Ctrl-C stops after the group being written: the file stays,\n"
    "                       partly overwritten, and the exit status is 1.\n"
    "  --method N           passes: 0 = 1, 1 = 3, 2 = 7 (default), 3 = 35, 4 = 80, 5 = 100, 6 = 120\n"
    "\n"
    "  md5                  print the MD5 digest of each FILE ('-' or none: standard input) in the\n"
    "                       format md5sum -c reads; --upper prints the digits in capitals\n"
    "  md5 --check LIST     check the files of such a list: 'NAME: OK' or 'NAME: FAILED' per line,\n"
    "                       exit status 1 when any fails\n"
    "\n"
    "  passgen              print K (default 1) passwords of N characters (default 8, at most 4096), one\n"
    "                       per line, drawn from the system's random source. Pools: --mixed letters with\n"
    "                       numbers (default), --letters, --digits, --chars TEXT the characters of TEXT\n"
    "                       (a character given twice is drawn twice as often)\n"
    "  random               print N numbers from 0 to B-1, one per line (a negative B counts as the\n"
    "                       unsigned 32-bit number). --format picks decimal, c (0x1F2E), pascal ($1F2E) or\n"
    "                       plain-hex (1F2E); --as-window lays them out as the random number window does\n"
    "                       (each followed by a comma, CR LF after every 20 decimal or 8 hex numbers).\n"
    "                       The numbers come from the program's clock-seeded generator, which is fine for\n"
    "                       test data but predictable; --secure draws from the system's random source\n"
    "\n"
    "What overwriting cannot reach: blocks that an SSD's wear levelling moved or that were trimmed,\n"
    "journals, snapshots, backups, and copies made earlier (by editors, by this program's own\n"
    "encryption, by the system's swap). On copy-on-write (btrfs, ZFS, bcachefs), overlay, network\n"
    "(NFS, SMB/CIFS) and FUSE file systems the wipe says the old contents may remain; a file on tmpfs\n"
    "never reaches a disk, and the wipe says so. Reflinked copies (XFS) cannot be detected.\n";

} // namespace

// Control characters (a crafted stored name could hold terminal escape sequences) are shown
// escaped; the files keep their real names.
std::string Printable(std::string_view text) {
    static constexpr char digits[] = "0123456789abcdef";
    std::string shown;
    for (const char ch : text) {
        const auto byte = static_cast<unsigned char>(ch);
        if (byte < 0x20 || byte == 0x7F) {
            shown += "\\x";
            shown += digits[byte >> 4];
            shown += digits[byte & 15];
        } else {
            shown += ch;
        }
    }
    return shown;
}

std::optional<long long> ParseWhole(const std::string& text, long long least, long long most) {
    if (text.empty() || text.size() > 18 || text.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    const long long value = std::stoll(text);
    if (value < least || value > most) return std::nullopt;
    return value;
}

std::optional<long long> WholeOption(const std::vector<std::string>& args, std::size_t& i, long long least,
                                     long long most, std::ostream& err) {
    const std::string need = args[i] + " needs a number from " + std::to_string(least) + " to " + std::to_string(most);
    if (i + 1 >= args.size()) {
        UsageError(err, need);
        return std::nullopt;
    }
    const auto value = ParseWhole(args[++i], least, most);
    if (!value) UsageError(err, need + ", not '" + Printable(args[i]) + "'");
    return value;
}

int PrintGenerated(Streams io, const std::string& what, const std::function<void(std::ostream&)>& write) {
    try {
        write(io.out);
    } catch (const std::exception& e) {
        io.err << "zarkent-cli: " << e.what() << "\n";
        return ExitFailure;
    }
    io.out.flush();
    if (!io.out) {
        io.err << "zarkent-cli: cannot write the " << what << "\n";
        return ExitFailure;
    }
    return ExitOk;
}

int UsageError(std::ostream& err, const std::string& problem) {
    if (!problem.empty()) err << "zarkent-cli: " << problem << "\n";
    err << UsageText;
    return ExitUsage;
}

int Run(const std::vector<std::string>& args, std::istream& in, std::ostream& out, std::ostream& err) {
#ifdef SIGXFSZ
    // A file-size limit must fail the write (and remove the partial output), not kill the process.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    if (args.empty()) return UsageError(err, "no command given");
    const std::string& command = args[0];
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    if (command == "--help" || command == "-h") {
        out << UsageText << HelpText;
        return ExitOk;
    }
    if (command == "--version") {
        out << "zarkent-cli " << ZARKENT_VERSION << "\n";
        return ExitOk;
    }
    if (command == "encrypt" || command == "decrypt") return RunFileCommand(command == "encrypt", rest, {in, out, err});
    if (command == "wipe") return RunWipeCommand(rest, {in, out, err});
    if (command == "md5") return RunMd5Command(rest, {in, out, err});
    if (command == "passgen") return RunPassgenCommand(rest, {in, out, err});
    if (command == "random") return RunRandomCommand(rest, {in, out, err});
    return UsageError(err, "unknown command '" + command + "'");
}

} // namespace zarkent::cli
