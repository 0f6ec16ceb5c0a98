// The Windows side of the integration as a list of registry and file operations, so that the Windows
// backend only executes them. Paths use Windows separators whatever system builds the plan.

#include "core/shell/ShellPlan.h"

namespace zarkent::shell {

namespace {

constexpr const char* DocumentClass = "Zarkent.Document";

// The folder part of a Windows path, with its trailing separator.
std::string WindowsFolderOf(const std::string& path) {
    const std::size_t last = path.find_last_of("\\/:");
    return last == std::string::npos ? std::string() : path.substr(0, last + 1);
}

// The program in a command line. Windows cannot hold a double quote in a file name, so quoting is
// enough; unquoted, a path with blanks ("C:\Program Files\...") would be tried as "C:\Program.exe" first.
std::string CommandProgram(const std::string& programFile) {
    return "\"" + programFile + "\"";
}

WindowsOperation Key(std::string path) {
    return {WindowsOperation::Kind::CreateKey, std::move(path), {}, {}};
}
WindowsOperation Default(std::string path, std::string value) {
    return {WindowsOperation::Kind::SetDefault, std::move(path), std::move(value), {}};
}
WindowsOperation DeleteTree(std::string path, std::string onlyWithDefault = {}) {
    return {WindowsOperation::Kind::DeleteKeyTree, std::move(path), std::move(onlyWithDefault), {}};
}

// Our Send To shortcut under the names of both languages.
std::vector<std::string> SendToLinks(const ShellInput& input, const std::string& sendToFolder) {
    const std::string folder = sendToFolder + "\\";
    return {folder + input.english.encryptFile + ".lnk", folder + input.turkish.encryptFile + ".lnk"};
}

} // namespace

std::vector<std::string> OldFolderVerbs(const ShellInput& input) {
    // Earlier versions were also shipped in Spanish, French and German.
    return {input.turkish.folderEntry, "Cifrar / Descifrar Carpeta", "Crypter / décrypter un dossier",
            input.english.folderEntry, "Verschlüsseln / Entschlüsseln Ordner"};
}

WindowsPlan WindowsAssociationPlan(const ShellInput& input) {
    const std::string document = DocumentClass;
    const std::string open = document + "\\shell\\open";
    const std::string program = CommandProgram(input.programFile);
    WindowsPlan plan = {
        Key(".zrk"),
        Default(".zrk", document),
        Key(document),
        Default(document, input.inForce.documentType),
        Key(document + "\\DefaultIcon"),
        Default(document + "\\DefaultIcon", input.programFile + ", 1"),
        Key(open),
        Default(open, input.inForce.decryptFile),
        Key(open + "\\command"),
        Default(open + "\\command", program + " \"%1\""),
        Key("Folder\\shell"),
    };
    for (const std::string& verb : OldFolderVerbs(input))
        plan.push_back(DeleteTree("Folder\\shell\\" + verb));
    const std::string verb = "Folder\\shell\\" + input.inForce.folderEntry;
    plan.push_back(Key(verb));
    plan.push_back(Key(verb + "\\command"));
    // The trailing blank is part of the command as it has always been written.
    plan.push_back(Default(verb + "\\command", program + " \"%1\" "));
    return plan;
}

WindowsPlan WindowsSendToPlan(const ShellInput& input, const std::string& sendToFolder) {
    WindowsPlan plan;
    for (std::string& link : SendToLinks(input, sendToFolder))
        plan.push_back({WindowsOperation::Kind::DeleteFile, std::move(link), {}, {}});
    plan.push_back({WindowsOperation::Kind::SaveLink, sendToFolder + "\\" + input.inForce.encryptFile + ".lnk",
                    input.programFile, WindowsFolderOf(input.programFile)});
    return plan;
}

WindowsPlan WindowsUnregisterPlan(const ShellInput& input, const std::string& sendToFolder) {
    WindowsPlan plan = {DeleteTree(".zrk", DocumentClass), DeleteTree(DocumentClass)};
    for (const std::string& verb : OldFolderVerbs(input))
        plan.push_back(DeleteTree("Folder\\shell\\" + verb));
    if (!sendToFolder.empty())
        for (std::string& link : SendToLinks(input, sendToFolder))
            plan.push_back({WindowsOperation::Kind::DeleteFile, std::move(link), {}, {}});
    return plan;
}

} // namespace zarkent::shell
