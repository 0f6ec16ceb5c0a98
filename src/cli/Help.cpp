// The texts of zarkent-cli --help and zarkent-cli COMMAND --help.

#include "cli/Help.h"

#include <ostream>

namespace zarkent::cli {

namespace {

constexpr std::string_view EncryptUsage =
    "zarkent-cli encrypt [--compress [--threads N]] [--keep] [--password-file FILE] PATH...\n"
    "       zarkent-cli encrypt [--compress [--threads N]] [--armor] [--name NAME] [--password-file FILE]\n"
    "                           -o OUT|- PATH|-\n"
    "       zarkent-cli encrypt -r [--compress [--threads N]] [--keep] [--password-file FILE] FOLDER...\n";

constexpr std::string_view EncryptDetails =
    "Encrypts each PATH into PATH.zrk beside it ((n)PATH.zrk when that name is taken) and deletes PATH\n"
    "once the .zrk file is on the disk. A failure is reported as 'PATH: message' and the next PATH goes\n"
    "on; each output's name is printed.\n"
    "\n"
    "  --compress           compress with zlib before encrypting\n"
    "  --threads N          compress on N threads (1..32; default: one per core, at most 32); the\n"
    "                       output is the same whatever N\n"
    "  --keep               keep the source file (by default it is deleted after success)\n"
    "  --password-file FILE read the password from the first line of FILE ('-' for standard input);\n"
    "                       without it the password is asked on the terminal, twice\n"
    "  -o, --output OUT     write the one PATH's .zrk file to OUT, which must not exist ('-' for standard\n"
    "                       output); the source is never deleted. PATH '-' reads standard input, which\n"
    "                       then cannot give the password. Nothing else is written to the disk\n"
    "  --name NAME          the file name stored in the .zrk file (needed with PATH '-'; default: the\n"
    "                       name of PATH); decryption restores it under that name\n"
    "  --armor              with -o: write ASCII armour (text between '-----BEGIN ZARKENT ENCRYPTED\n"
    "                       TEXT-----' and its END line, compressed), as the text encryption window\n"
    "                       does, for e-mail and text fields; at most 16 MiB of contents\n"
    "  -r, --recursive      walk each FOLDER's tree and encrypt every regular file in it, beside itself.\n"
    "                       Symbolic links are never followed; links, FIFOs, sockets and devices are\n"
    "                       reported and skipped, as are .zrk files, folders on other file systems and\n"
    "                       the protected folders of the window program (refused as a FOLDER). Ends\n"
    "                       with 'N done, N failed, N skipped' on standard error\n";

constexpr std::string_view DecryptUsage = "zarkent-cli decrypt [--keep] [--password-file FILE] PATH...\n"
                                          "       zarkent-cli decrypt [--password-file FILE] -o OUT|- PATH|-\n"
                                          "       zarkent-cli decrypt -r [--keep] [--password-file FILE] FOLDER...\n";

constexpr std::string_view DecryptDetails =
    "Restores the file stored in each .zrk PATH beside it, under its stored name ((n)NAME when that\n"
    "is taken), and deletes PATH once the restored file is on the disk. ASCII armour (from encrypt\n"
    "--armor or the text encryption window) is recognised by its BEGIN line.\n"
    "\n"
    "  --keep               keep the .zrk file\n"
    "  --password-file FILE read the password from the first line of FILE ('-' for standard input)\n"
    "  -o, --output OUT     write the restored contents to OUT, which must not exist ('-' for standard\n"
    "                       output: 'decrypt -o - notes.txt.zrk | less' shows a file and leaves no plain\n"
    "                       copy on the disk); the .zrk file is never deleted. PATH '-' reads standard input\n"
    "  -r, --recursive      walk each FOLDER's tree and decrypt every .zrk file in it, as encrypt -r does\n";

constexpr std::string_view TestUsage = "zarkent-cli test [--password-file FILE] PATH...\n";

constexpr std::string_view TestDetails =
    "Checks each .zrk file (or armour) without writing anything: the password and, for compressed\n"
    "contents, the whole zlib stream and its checksum. Stored contents carry no checksum: for them only\n"
    "the password can be checked, and the line says so. Prints 'PATH: OK' per good file.\n"
    "\n"
    "  --password-file FILE read the password from the first line of FILE ('-' for standard input)\n";

constexpr std::string_view PasswdUsage =
    "zarkent-cli passwd [--password-file FILE] [--new-password-file FILE] PATH...\n";

constexpr std::string_view PasswdDetails =
    "Changes the password of each .zrk file. The old password is checked first; the contents are then\n"
    "deciphered and enciphered again in memory, block by block (compressed contents stay compressed), into\n"
    "a new file that replaces the old one in one step once it is complete and on the disk, with the same\n"
    "permissions. No plain text reaches the disk. Should the program be killed just before that step, the\n"
    "complete new file may be left beside the untouched old one under the file's name followed by\n"
    "'_____.tmp.tzl.' and a number; killed just after it, the old file may be left there beside the new\n"
    "one. Files with other hard links are refused (those names would keep the old password), and so are\n"
    "file systems that cannot replace a file in one step. A new password equal to the old one is taken.\n"
    "Prints each changed PATH. Ctrl-C leaves the file being changed as it was and stops.\n"
    "\n"
    "  --password-file FILE     the old password from the first line of FILE ('-': standard input)\n"
    "  --new-password-file FILE the new password likewise; at most one of the two may be '-'. Without\n"
    "                           them both are asked on the terminal, the new one twice\n";

constexpr std::string_view WipeUsage = "zarkent-cli wipe [--method 0..6] FILE...\n";

constexpr std::string_view WipeDetails =
    "Overwrites each FILE with four patterns per pass (zeros, ones, random, its complement; each flushed\n"
    "to the device), then cuts, renames and deletes it. No question is asked. Prints each wiped FILE; exit\n"
    "status 0 all wiped, 1 any failure, 2 bad usage. Links, folders, devices, FIFOs, sockets, read-only\n"
    "files and files with other hard links are refused. Data appended meanwhile gets the same passes; on a\n"
    "full disk only the file's own storage is overwritten. Ctrl-C stops after the group being written: the\n"
    "file stays, partly overwritten, and the exit status is 1.\n"
    "\n"
    "  --method N           passes: 0 = 1, 1 = 3, 2 = 7 (default), 3 = 35, 4 = 80, 5 = 100, 6 = 120\n"
    "\n"
    "What overwriting cannot reach: blocks that an SSD's wear levelling moved or that were trimmed,\n"
    "journals, snapshots, backups, and copies made earlier (by editors, by this program's own\n"
    "encryption, by the system's swap). On copy-on-write (btrfs, ZFS, bcachefs), overlay, network\n"
    "(NFS, SMB/CIFS) and FUSE file systems the wipe says the old contents may remain; a file on tmpfs\n"
    "never reaches a disk, and the wipe says so. Reflinked copies (XFS) cannot be detected.\n";

constexpr std::string_view Md5Usage = "zarkent-cli md5 [--upper] [FILE...] | md5 --check LIST\n";

constexpr std::string_view Md5Details =
    "Prints the MD5 digest of each FILE ('-' or none: standard input) in the format md5sum -c reads.\n"
    "\n"
    "  --upper              print the digits in capitals\n"
    "  -c, --check LIST     check the files of such a list: 'NAME: OK' or 'NAME: FAILED' per line, exit\n"
    "                       status 1 when any fails\n";

constexpr std::string_view PassgenUsage =
    "zarkent-cli passgen [--length N] [--digits | --mixed | --letters | --chars TEXT] [--count K]\n";

constexpr std::string_view PassgenDetails =
    "Prints K (default 1) passwords of N characters (default 8, at most 4096), one per line, drawn from\n"
    "the system's random source.\n"
    "\n"
    "  --length N           characters per password\n"
    "  --count K            how many passwords\n"
    "  --mixed              letters with numbers (the default pool)\n"
    "  --letters            letters only\n"
    "  --digits             numbers only\n"
    "  --chars TEXT         the characters of TEXT (a character given twice is drawn twice as often)\n";

constexpr std::string_view RandomUsage =
    "zarkent-cli random --bound B --count N [--format decimal|c|pascal|plain-hex] [--secure]\n"
    "                          [--as-window]\n";

constexpr std::string_view RandomDetails =
    "Prints N numbers from 0 to B-1, one per line (a negative B counts as the unsigned 32-bit number).\n"
    "The numbers come from the program's clock-seeded generator, which is fine for test data but\n"
    "predictable.\n"
    "\n"
    "  --bound B            the numbers stay below B\n"
    "  --count N            how many numbers\n"
    "  --format F           decimal, c (0x1F2E), pascal ($1F2E) or plain-hex (1F2E)\n"
    "  --as-window          lay them out as the random number window does (each followed by a comma, CR LF\n"
    "                       after every 20 decimal or 8 hex numbers)\n"
    "  --secure             draw from the system's random source instead\n";

constexpr std::string_view CommonNotes =
    "Exit status of encrypt, decrypt, test and passwd: 0 all succeeded, 3 only wrong passwords failed,\n"
    "1 other failures (a reader that closed the output pipe early, a stop by Ctrl-C), 2 bad usage or no\n"
    "password. 'zarkent-cli COMMAND --help' (or -h) shows one command's help.\n";

} // namespace

const std::vector<CommandHelp>& Commands() {
    static const std::vector<CommandHelp> commands = {
        {"encrypt", EncryptUsage, EncryptDetails}, {"decrypt", DecryptUsage, DecryptDetails},
        {"test", TestUsage, TestDetails},          {"passwd", PasswdUsage, PasswdDetails},
        {"wipe", WipeUsage, WipeDetails},          {"md5", Md5Usage, Md5Details},
        {"passgen", PassgenUsage, PassgenDetails}, {"random", RandomUsage, RandomDetails},
    };
    return commands;
}

const CommandHelp* HelpOf(std::string_view name) {
    for (const CommandHelp& command : Commands())
        if (command.name == name) return &command;
    return nullptr;
}

void PrintUsage(std::ostream& out, const CommandHelp* command) {
    if (command) {
        out << "Usage: " << command->usage;
        return;
    }
    bool first = true;
    for (const CommandHelp& each : Commands()) {
        out << (first ? "Usage: " : "       ") << each.usage;
        first = false;
    }
    out << "       zarkent-cli COMMAND --help | --help | --version\n";
}

void PrintProgramHelp(std::ostream& out) {
    PrintUsage(out);
    for (const CommandHelp& command : Commands())
        out << "\n" << command.name << ": " << command.details;
    out << "\n" << CommonNotes;
}

void PrintCommandHelp(std::ostream& out, const CommandHelp& command) {
    PrintUsage(out, &command);
    out << "\n" << command.details << "\n" << CommonNotes;
}

} // namespace zarkent::cli
