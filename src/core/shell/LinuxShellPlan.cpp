// The freedesktop side of the integration: a shared-mime-info package and a desktop entry for .zrk
// files, the default application in mimeapps.list, and menu entries for the common file managers.
//
// Every command line is quoted for the program that reads it: desktop entries (Dolphin, Thunar's
// sendto, the application itself) by the Desktop Entry rules, Thunar's custom action and the Nautilus
// script for /bin/sh, Nemo's action for GLib's shell parser after Nemo has replaced its % codes.

#include <cstdint>
#include <initializer_list>
#include <string_view>

#include "core/shell/ShellPlan.h"

namespace zarkent::shell {

namespace {

constexpr const char* IconName = "zarkent";
constexpr const char* IconPath = "icons/hicolor/128x128/apps/zarkent.png";
constexpr const char* MimePackagePath = "mime/packages/zarkent.xml";
constexpr const char* ApplicationPath = "applications/zarkent.desktop";
constexpr const char* DolphinFolderPath = "kio/servicemenus/zarkent-folder.desktop";
constexpr const char* DolphinSendToPath = "kio/servicemenus/zarkent-encrypt-file.desktop";
constexpr const char* NautilusFolder = "nautilus/scripts/";
constexpr const char* ThunarActionsPath = "Thunar/uca.xml";
constexpr const char* ThunarSendToPath = "Thunar/sendto/zarkent-encrypt-file.desktop";
constexpr const char* NemoFolderPath = "nemo/actions/zarkent-folder.nemo_action";
constexpr const char* NemoSendToPath = "nemo/actions/zarkent-encrypt-file.nemo_action";

LinuxOperation Write(Base base, std::string path, std::string content, bool executable = false,
                     std::string marker = {}) {
    return {
        LinuxOperation::Kind::WriteFile, base, std::move(path), std::move(content), {}, std::move(marker), executable};
}

// Removes a file of ours; with a `marker`, only while it holds that line.
LinuxOperation Remove(std::string path, std::string marker = {}) {
    return {LinuxOperation::Kind::RemoveFile, Base::Data, std::move(path), {}, {}, std::move(marker), false};
}

LinuxOperation Edit(LinuxOperation::Kind kind, std::string path, std::string content, std::string key) {
    return {kind, Base::Config, std::move(path), std::move(content), std::move(key), {}, false};
}

LinuxOperation RefreshCache(std::string folder, std::string cacheFile, std::string tool) {
    return {
        LinuxOperation::Kind::RunTool, Base::Data, std::move(folder), std::move(cacheFile), std::move(tool), {}, false};
}

// Exec value of a desktop entry: the program, then a field code.
std::string DesktopExec(const std::string& program, const char* fieldCode) {
    return KeyFileValue(ExecArgument(program) + " " + fieldCode);
}

// The command of Thunar's action and Nemo's Exec: Nemo and Thunar turn "%%" into "%" before the
// shell reads the line.
std::string PercentDoubled(const std::string& text) {
    std::string out;
    for (const char c : text) {
        out += c;
        if (c == '%') out += '%';
    }
    return out;
}

// Whether `text` can stand in an XML file that GLib's parser reads: valid UTF-8 without control
// characters other than tab, line feed and carriage return. A path that fails this would make
// Thunar reject the user's whole action list, so such a path is never put into it.
bool XmlCanHold(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            if (c < 0x20 && c != '\t' && c != '\n' && c != '\r') return false;
            ++i;
            continue;
        }
        std::size_t length = 0;
        std::uint32_t code = 0;
        if ((c & 0xE0) == 0xC0)
            length = 2, code = c & 0x1F;
        else if ((c & 0xF0) == 0xE0)
            length = 3, code = c & 0x0F;
        else if ((c & 0xF8) == 0xF0)
            length = 4, code = c & 0x07;
        else
            return false;
        if (i + length > text.size()) return false;
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) return false;
            code = (code << 6) | (next & 0x3F);
        }
        const std::uint32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (code < smallest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
        i += length;
    }
    return true;
}

// One item of a key file's list: a value with its ";" escaped.
std::string ListItem(const std::string& text) {
    std::string out;
    for (const char c : KeyFileValue(text)) {
        if (c == ';') out += '\\';
        out += c;
    }
    return out;
}

// The lines, each ended by a line feed.
std::string Lines(std::initializer_list<std::string> lines) {
    std::string text;
    for (const std::string& line : lines)
        text += line + "\n";
    return text;
}

std::string MimePackage(const ShellInput& input) {
    const std::string type = MimeType, icon = IconName;
    return Lines({
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>",
        "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">",
        "  <mime-type type=\"" + type + "\">",
        "    <comment>" + XmlText(input.inForce.documentType) + "</comment>",
        "    <comment xml:lang=\"tr\">" + XmlText(input.turkish.documentType) + "</comment>",
        "    <comment xml:lang=\"en\">" + XmlText(input.english.documentType) + "</comment>",
        "    <icon name=\"" + icon + "\"/>",
        // Only "*.zrk" in these letters is an encrypted file, as everywhere else in the program.
        "    <glob pattern=\"*.zrk\" case-sensitive=\"true\"/>",
        "  </mime-type>",
        "</mime-info>",
    });
}

std::string ApplicationEntry(const ShellInput& input) {
    const std::string& program = input.programFile;
    const std::string icon = IconName;
    return Lines({
        "[Desktop Entry]",
        "Type=Application",
        "Version=1.0",
        "Name=Zarkent",
        "Comment=Protect files with a password",
        "Comment[tr]=Dosyaları parolayla koruyun",
        "Icon=" + icon,
        "TryExec=" + KeyFileValue(program),
        "Exec=" + DesktopExec(program, "%F"),
        "Terminal=false",
        "Categories=Utility;Security;",
        "MimeType=" + std::string(MimeType) + ";",
        "Actions=Decrypt;",
        "",
        "[Desktop Action Decrypt]",
        "Name=" + KeyFileValue(input.inForce.decryptFile),
        "Icon=" + icon,
        "Exec=" + DesktopExec(program, "%F"),
    });
}

// A Dolphin service menu: one action for the items of `mimeType`. Dolphin reads only the action;
// the entry around it is a complete application entry, hidden from application menus, so that
// desktop-file-validate accepts it.
std::string DolphinMenu(const std::string& program, const std::string& mimeType, const std::string& actionId,
                        const std::string& name, const char* fieldCode) {
    const std::string exec = "Exec=" + DesktopExec(program, fieldCode), icon = IconName;
    return Lines({
        "[Desktop Entry]",
        "Type=Application",
        "Version=1.0",
        "Name=Zarkent",
        "NoDisplay=true",
        "Icon=" + icon,
        "TryExec=" + KeyFileValue(program),
        exec,
        "MimeType=" + mimeType + ";",
        "Actions=" + actionId + ";",
        "X-KDE-Priority=TopLevel",
        "",
        "[Desktop Action " + actionId + "]",
        "Name=" + KeyFileValue(name),
        "Icon=" + icon,
        exec,
    });
}

// What a menu entry says when the program it starts is gone (the package removed without
// "zarkent --unregister" first): shown as a desktop notification where one can be sent, and on the
// error output in any case.
std::string MissingProgramMessage(const std::string& program, const std::string& entry) {
    return "Zarkent is not installed any more: " + program + " is missing. This " + entry +
           " was left behind by it and can be removed.";
}

// Shell commands that say `message` and stop when `program` cannot be run.
std::string MissingProgramCheck(const std::string& program, const std::string& message) {
    const std::string said = ShellWord(message);
    return "if [ ! -x " + ShellWord(program) + " ]; then notify-send Zarkent " + said +
           " 2>/dev/null; printf '%s\\n' " + said + " >&2; exit 127; fi";
}

std::string NautilusScript(const std::string& program) {
    return Lines({
        "#!/bin/sh",
        NautilusMarker,
        "# Written by Zarkent at each start and language switch; changes here are replaced.",
        MissingProgramCheck(program, MissingProgramMessage(program, "Nautilus script")),
        "exec " + ShellWord(program) + " \"$@\"",
    });
}

std::string ThunarAction(const ShellInput& input) {
    const std::string& name = input.inForce.folderEntry;
    const std::string icon = IconName, id = ThunarActionId;
    // Only elements that every Thunar version knows: an unknown one makes Thunar drop the whole file.
    return Lines({
        "<action>",
        "\t<icon>" + icon + "</icon>",
        "\t<name>" + XmlText(name) + "</name>",
        "\t<unique-id>" + id + "</unique-id>",
        "\t<command>" +
            XmlText(PercentDoubled(MissingProgramCheck(input.programFile,
                                                       MissingProgramMessage(input.programFile, "Thunar action")) +
                                   "; exec " + ShellWord(input.programFile)) +
                    " %f") +
            "</command>",
        "\t<description>" + XmlText(name) + "</description>",
        "\t<patterns>*</patterns>",
        "\t<directories/>",
        "</action>",
    });
}

// Nemo replaces its % codes in Name too; none of ours hold one, but a literal percent stays literal.
std::string NemoAction(const std::string& program, const std::string& name, const std::string& selection,
                       const std::string& extensions) {
    const std::string icon = IconName;
    return Lines({
        "[Nemo Action]",
        "Name=" + KeyFileValue(PercentDoubled(name)),
        "Comment=" + KeyFileValue(PercentDoubled(name)),
        "Exec=" + KeyFileValue(PercentDoubled(ShellWord(program)) + " %F"),
        "Icon-Name=" + icon,
        // Nemo shows the action only while the program is there.
        "Dependencies=" + ListItem(program) + ";",
        "Selection=" + selection,
        "Extensions=" + extensions,
    });
}

std::string ThunarLauncher(const std::string& program, const std::string& name) {
    const std::string icon = IconName;
    return Lines({
        "[Desktop Entry]",
        "Type=Application",
        "Version=1.0",
        "Name=" + KeyFileValue(name),
        "NoDisplay=true",
        "Icon=" + icon,
        "TryExec=" + KeyFileValue(program),
        "Exec=" + DesktopExec(program, "%F"),
    });
}

} // namespace

std::string NautilusScriptName(const std::string& folderEntry) {
    std::string name;
    for (const char c : folderEntry) {
        if (c == '/')
            name += "\u2215";
        else
            name += c;
    }
    return name;
}

LinuxPlan LinuxAssociationPlan(const ShellInput& input) {
    using Kind = LinuxOperation::Kind;
    const std::string& program = input.programFile;
    LinuxPlan plan;
    if (!input.iconPng.empty()) plan.push_back(Write(Base::Data, IconPath, input.iconPng));
    plan.push_back(Write(Base::Data, MimePackagePath, MimePackage(input)));
    plan.push_back(Write(Base::Data, ApplicationPath, ApplicationEntry(input)));
    plan.push_back(Edit(Kind::SetDefaultApp, "mimeapps.list", DesktopId, MimeType));

    // The folder entry.
    plan.push_back(
        Write(Base::Data, DolphinFolderPath,
              DolphinMenu(program, "inode/directory", "EncryptDecryptFolder", input.inForce.folderEntry, "%f"), true));
    const std::string script = NautilusScriptName(input.inForce.folderEntry);
    for (const ShellTexts* old : {&input.turkish, &input.english})
        if (NautilusScriptName(old->folderEntry) != script)
            plan.push_back(Remove(NautilusFolder + NautilusScriptName(old->folderEntry), NautilusMarker));
    plan.push_back(Write(Base::Data, NautilusFolder + script, NautilusScript(program), true, NautilusMarker));
    if (XmlCanHold(program) && XmlCanHold(input.inForce.folderEntry))
        plan.push_back(Edit(Kind::PutThunarAction, ThunarActionsPath, ThunarAction(input), ThunarActionId));
    plan.push_back(Write(Base::Data, NemoFolderPath, NemoAction(program, input.inForce.folderEntry, "s", "dir;")));

    plan.push_back(RefreshCache("mime", "mime.cache", "update-mime-database"));
    plan.push_back(RefreshCache("applications", "mimeinfo.cache", "update-desktop-database"));
    return plan;
}

LinuxPlan LinuxSendToPlan(const ShellInput& input) {
    const std::string& program = input.programFile;
    const std::string& name = input.inForce.encryptFile;
    return {
        Write(Base::Data, ThunarSendToPath, ThunarLauncher(program, name)),
        // Dolphin offers application/octet-stream for every file, never for a folder.
        Write(Base::Data, DolphinSendToPath,
              DolphinMenu(program, "application/octet-stream", "EncryptFile", name, "%F"), true),
        Write(Base::Data, NemoSendToPath, NemoAction(program, name, "notnone", "nodirs;")),
    };
}

LinuxPlan LinuxUnregisterPlan(const ShellInput& input) {
    using Kind = LinuxOperation::Kind;
    LinuxPlan plan = {
        Remove(IconPath),          Remove(MimePackagePath),
        Remove(ApplicationPath),   Edit(Kind::RemoveDefaultApp, "mimeapps.list", DesktopId, MimeType),
        Remove(DolphinFolderPath), Remove(DolphinSendToPath),
    };
    const std::string turkish = NautilusScriptName(input.turkish.folderEntry);
    const std::string english = NautilusScriptName(input.english.folderEntry);
    plan.push_back(Remove(NautilusFolder + turkish, NautilusMarker));
    if (english != turkish) plan.push_back(Remove(NautilusFolder + english, NautilusMarker));
    plan.push_back(Edit(Kind::RemoveThunarAction, ThunarActionsPath, {}, ThunarActionId));
    plan.push_back(Remove(ThunarSendToPath));
    plan.push_back(Remove(NemoFolderPath));
    plan.push_back(Remove(NemoSendToPath));
    plan.push_back(RefreshCache("mime", "mime.cache", "update-mime-database"));
    plan.push_back(RefreshCache("applications", "mimeinfo.cache", "update-desktop-database"));
    return plan;
}

} // namespace zarkent::shell
