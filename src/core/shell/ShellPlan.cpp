#include "core/shell/ShellPlan.h"

namespace zarkent::shell {

namespace {
constexpr int FolderEntryRow = 42;
constexpr int EncryptFileRow = 54;
constexpr int DecryptFileRow = 55;
constexpr int DocumentTypeRow = 60;

template <typename RowOf> ShellTexts Texts(RowOf row) {
    return {std::string(row(FolderEntryRow)), std::string(row(EncryptFileRow)), std::string(row(DecryptFileRow)),
            std::string(row(DocumentTypeRow))};
}
} // namespace

ShellTexts TextsOf(LanguageSet set) {
    return Texts([set](int row) { return SetText(set, row); });
}

ShellTexts TextsInForce(const LanguageTable& table) {
    return Texts([&table](int row) { return table.Row(row); });
}

ShellInput InputFor(const std::string& programFile, const LanguageTable& table, std::string iconPng) {
    return {programFile, TextsInForce(table), TextsOf(LanguageSet::Turkish), TextsOf(LanguageSet::English),
            std::move(iconPng)};
}

std::string KeyFileValue(const std::string& text) {
    std::string out;
    out.reserve(text.size() + 8);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\\')
            out += "\\\\";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\t')
            out += "\\t";
        else if (c == '\r')
            out += "\\r";
        else if (c == ' ' && i == 0)
            out += "\\s"; // a leading blank would be taken for the space after "="
        else
            out += c;
    }
    return out;
}

std::string ExecArgument(const std::string& argument) {
    std::string out = "\"";
    for (const char c : argument) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') out += '\\';
        if (c == '%') out += '%'; // "%%" is a literal percent; a single one would start a field code
        out += c;
    }
    return out + "\"";
}

std::string ShellWord(const std::string& word) {
    std::string out = "'";
    for (const char c : word) {
        if (c == '\'')
            out += "'\\''";
        else
            out += c;
    }
    return out + "'";
}

std::string XmlText(const std::string& text) {
    std::string out;
    out.reserve(text.size() + 8);
    for (const char c : text) {
        if (c == '&')
            out += "&amp;";
        else if (c == '<')
            out += "&lt;";
        else if (c == '>')
            out += "&gt;";
        else if (c == '\r')
            out += "&#13;"; // a raw carriage return would be read back as a line feed
        else
            out += c;
    }
    return out;
}

} // namespace zarkent::shell
