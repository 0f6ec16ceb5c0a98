#include "core/shell/SharedFileEdits.h"

#include <cstring>
#include <optional>
#include <vector>

namespace zarkent::shell {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string Trimmed(const std::string& text) {
    std::size_t begin = 0, end = text.size();
    while (begin < end && IsBlank(text[begin]))
        ++begin;
    while (end > begin && IsBlank(text[end - 1]))
        --end;
    return text.substr(begin, end - begin);
}

// The line end the file uses, judged by its first line.
std::string LineEndOf(const std::string& text) {
    const std::size_t newline = text.find('\n');
    return newline != std::string::npos && newline > 0 && text[newline - 1] == '\r' ? "\r\n" : "\n";
}

// One line of a mimeapps.list: where it starts, where its content ends (before CR LF or LF), where the
// next line starts; whether it is the [Default Applications] header, and the value when it is `mimeType`'s entry of
// [Default Applications] (not a comment).
struct MimeappsLine {
    std::size_t begin, contentEnd, after;
    bool defaultsHeader = false; // the header of [Default Applications]
    std::optional<std::string> value;
};

std::vector<MimeappsLine> MimeappsLines(const std::string& text, const std::string& mimeType) {
    std::vector<MimeappsLine> lines;
    bool inGroup = false;
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t newline = text.find('\n', pos);
        MimeappsLine line;
        line.begin = pos;
        line.contentEnd = line.after = newline == std::string::npos ? text.size() : newline;
        if (newline != std::string::npos) line.after = newline + 1;
        if (line.contentEnd > pos && text[line.contentEnd - 1] == '\r') --line.contentEnd;
        const std::string content = text.substr(pos, line.contentEnd - pos);
        const std::string trimmed = Trimmed(content);
        const std::size_t equals = content.find('=');
        if (!trimmed.empty() && trimmed.front() == '[') {
            line.defaultsHeader = inGroup = trimmed == "[Default Applications]";
        } else if (inGroup && !trimmed.empty() && trimmed.front() != '#' && equals != std::string::npos &&
                   Trimmed(content.substr(0, equals)) == mimeType) {
            line.value = Trimmed(content.substr(equals + 1));
        }
        lines.push_back(std::move(line));
        pos = lines.back().after;
    }
    return lines;
}

} // namespace

std::string SetDefaultApplication(const std::string& text, const std::string& mimeType, const std::string& desktopId) {
    const std::string ours = mimeType + "=" + desktopId;
    const std::string eol = LineEndOf(text);
    std::string out;
    bool found = false;
    std::size_t afterHeader = std::string::npos; // where the first [Default Applications] header line ends
    for (const MimeappsLine& line : MimeappsLines(text, mimeType)) {
        if (line.defaultsHeader && afterHeader == std::string::npos) afterHeader = line.after;
        if (line.value) {
            out += ours;
            out.append(text, line.contentEnd, line.after - line.contentEnd); // its own end, or none at the end
            found = true;
        } else {
            out.append(text, line.begin, line.after - line.begin);
        }
    }
    if (found) return out;
    if (afterHeader != std::string::npos) {
        // The header is the last line and has no line end: the file goes on without a final one.
        if (afterHeader == text.size() && (text.empty() || text.back() != '\n')) return text + eol + ours;
        return text.substr(0, afterHeader) + ours + eol + text.substr(afterHeader);
    }
    std::string result = text;
    if (!result.empty() && result.back() != '\n') result += eol;
    return result + "[Default Applications]" + eol + ours + eol;
}

std::string RemoveDefaultApplication(const std::string& text, const std::string& mimeType,
                                     const std::string& desktopId) {
    std::string out;
    for (const MimeappsLine& line : MimeappsLines(text, mimeType)) {
        std::string value = line.value.value_or("");
        if (!value.empty() && value.back() == ';') value.pop_back();
        if (!line.value || value != desktopId) out.append(text, line.begin, line.after - line.begin);
    }
    return out;
}

namespace {

constexpr std::size_t npos = std::string::npos;

// Just enough of XML to find the <actions> root, the <action> elements directly under it and their
// <unique-id>, and to be sure the tags around them balance. Anything it does not understand is an error.
class ActionsScanner {
public:
    explicit ActionsScanner(const std::string& text) : s_(text) {}

    struct Action {
        std::size_t begin, end; // the element, from "<action" to after "</action>"
        std::string uniqueId;
    };

    bool Scan();
    const std::string& Problem() const { return problem_; }

    std::size_t rootBegin = 0, rootTagEnd = 0, rootCloseBegin = 0;
    bool rootSelfClosing = false;
    std::vector<Action> actions;

private:
    struct Open {
        std::string name;
        std::size_t begin, contentBegin;
    };

    bool Fail(const std::string& problem) {
        problem_ = problem;
        return false;
    }
    bool StartsWith(const char* prefix) const { return s_.compare(pos_, std::strlen(prefix), prefix) == 0; }
    bool SkipPast(const char* end) {
        const std::size_t found = s_.find(end, pos_);
        if (found == npos) return false;
        pos_ = found + std::strlen(end);
        return true;
    }
    void SkipBlanks() {
        while (pos_ < s_.size() && IsBlank(s_[pos_]))
            ++pos_;
    }
    // Comments, processing instructions and (outside the root) a declaration without an internal subset.
    bool SkipMisc(bool& skipped, bool allowDeclaration);
    std::string Name();
    // After "<name": up to and past ">", over quoted attribute values.
    bool FinishStartTag(bool& selfClosing);

    const std::string& s_;
    std::size_t pos_ = 0;
    std::string problem_;
    std::string pendingId_; // the unique-id of the action being read
};

bool ActionsScanner::SkipMisc(bool& skipped, bool allowDeclaration) {
    skipped = true;
    if (StartsWith("<!--")) return SkipPast("-->") || Fail("a comment is not closed");
    if (StartsWith("<?")) return SkipPast("?>") || Fail("a processing instruction is not closed");
    if (allowDeclaration && StartsWith("<!DOCTYPE")) {
        const std::size_t close = s_.find('>', pos_);
        const std::size_t subset = s_.find('[', pos_);
        if (close == npos || (subset != npos && subset < close))
            return Fail("its document type declaration is not understood");
        pos_ = close + 1;
        return true;
    }
    skipped = false;
    return true;
}

std::string ActionsScanner::Name() {
    const std::size_t begin = pos_;
    while (pos_ < s_.size()) {
        const char c = s_[pos_];
        const bool nameChar = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
                              c == '-' || c == '.' || c == ':' || static_cast<unsigned char>(c) >= 0x80;
        if (!nameChar) break;
        ++pos_;
    }
    return s_.substr(begin, pos_ - begin);
}

bool ActionsScanner::FinishStartTag(bool& selfClosing) {
    while (pos_ < s_.size()) {
        const char c = s_[pos_];
        if (c == '"' || c == '\'') {
            const std::size_t close = s_.find(c, pos_ + 1);
            if (close == npos) return Fail("an attribute value is not closed");
            pos_ = close + 1;
        } else if (c == '<') {
            return Fail("a tag is not closed");
        } else if (c == '>') {
            selfClosing = s_[pos_ - 1] == '/';
            ++pos_;
            return true;
        } else {
            ++pos_;
        }
    }
    return Fail("a tag is not closed");
}

bool ActionsScanner::Scan() {
    if (StartsWith("\xEF\xBB\xBF")) pos_ = 3;
    for (;;) {
        SkipBlanks();
        bool skipped = false;
        if (!SkipMisc(skipped, true)) return false;
        if (!skipped) break;
    }
    rootBegin = pos_;
    if (!StartsWith("<")) return Fail("it has no root element");
    ++pos_;
    if (Name() != "actions") return Fail("its root element is not <actions>");
    if (!FinishStartTag(rootSelfClosing)) return false;
    rootTagEnd = pos_;

    std::vector<Open> open; // the elements inside the root that are not closed yet
    while (!rootSelfClosing) {
        pos_ = s_.find('<', pos_);
        if (pos_ == npos) return Fail("it ends before </actions>");
        const std::size_t tagBegin = pos_;
        bool skipped = false;
        if (!SkipMisc(skipped, false)) return false;
        if (skipped) continue;
        if (StartsWith("<![CDATA[")) {
            if (!SkipPast("]]>")) return Fail("a CDATA section is not closed");
            continue;
        }
        if (StartsWith("<!")) return Fail("it holds a declaration inside <actions>");
        if (StartsWith("</")) {
            pos_ += 2;
            const std::string name = Name();
            SkipBlanks();
            if (!StartsWith(">")) return Fail("the closing tag </" + name + " is not closed");
            ++pos_;
            if (open.empty()) {
                if (name != "actions") return Fail("</" + name + "> closes <actions>");
                rootCloseBegin = tagBegin;
                break;
            }
            if (name != open.back().name) return Fail("</" + name + "> closes <" + open.back().name + ">");
            if (open.size() == 2 && open[0].name == "action" && name == "unique-id")
                pendingId_ = Trimmed(s_.substr(open[1].contentBegin, tagBegin - open[1].contentBegin));
            if (open.size() == 1 && name == "action") actions.push_back({open[0].begin, pos_, pendingId_});
            open.pop_back();
            if (open.empty()) pendingId_.clear();
            continue;
        }
        ++pos_;
        const std::string name = Name();
        if (name.empty()) return Fail("it holds a stray \"<\"");
        bool selfClosing = false;
        if (!FinishStartTag(selfClosing)) return false;
        if (selfClosing) {
            if (open.empty() && name == "action") actions.push_back({tagBegin, pos_, {}});
        } else {
            open.push_back({name, tagBegin, pos_});
        }
    }
    const std::size_t rootEnd = pos_;
    for (;;) {
        SkipBlanks();
        if (pos_ >= s_.size()) break;
        bool skipped = false;
        if (!SkipMisc(skipped, false)) return false;
        if (!skipped) return Fail("it goes on after </actions>");
    }
    pos_ = rootEnd;
    return true;
}

} // namespace

namespace {

// The actions whose unique-id is `uniqueId` removed and, with an `action`, that one added at the end.
ThunarEdit EditActions(const std::string& text, const std::string& uniqueId, const std::optional<std::string>& action) {
    if (Trimmed(text).empty()) {
        if (!action) return {text, {}};
        return {"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<actions>\n" + *action + "</actions>\n", {}};
    }
    ActionsScanner scan(text);
    if (!scan.Scan()) return {std::nullopt, scan.Problem()};
    if (scan.rootSelfClosing) {
        if (!action) return {text, {}};
        std::string tag = text.substr(scan.rootBegin, scan.rootTagEnd - scan.rootBegin);
        tag.erase(tag.size() - 2); // "/>"
        return {text.substr(0, scan.rootBegin) + tag + ">\n" + *action + "</actions>" + text.substr(scan.rootTagEnd),
                {}};
    }
    auto lineStart = [&text](std::size_t pos) {
        const std::size_t newline = pos == 0 ? npos : text.rfind('\n', pos - 1);
        return newline == npos ? 0 : newline + 1;
    };
    auto onlyBlanks = [&text](std::size_t begin, std::size_t end) {
        for (std::size_t i = begin; i < end; ++i)
            if (text[i] != ' ' && text[i] != '\t') return false;
        return true;
    };
    std::string out;
    std::size_t copied = 0;
    for (const auto& found : scan.actions) {
        if (found.uniqueId != uniqueId) continue;
        std::size_t begin = found.begin, end = found.end;
        // An action alone on its lines goes with its indentation and line end.
        std::size_t next = end;
        while (next < text.size() && (text[next] == ' ' || text[next] == '\t'))
            ++next;
        if (next < text.size() && text[next] == '\r') ++next;
        const std::size_t first = lineStart(begin);
        if (onlyBlanks(first, begin) && next < text.size() && text[next] == '\n') {
            begin = first;
            end = next + 1;
        }
        out.append(text, copied, begin - copied);
        copied = end;
    }
    if (!action) {
        out.append(text, copied, npos);
        return {out, {}};
    }
    const std::size_t closeLine = lineStart(scan.rootCloseBegin);
    if (onlyBlanks(closeLine, scan.rootCloseBegin) && closeLine >= copied) {
        out.append(text, copied, closeLine - copied);
        out += *action;
        out.append(text, closeLine, npos);
    } else {
        out.append(text, copied, scan.rootCloseBegin - copied);
        out += "\n" + *action;
        out.append(text, scan.rootCloseBegin, npos);
    }
    return {out, {}};
}

} // namespace

ThunarEdit PutThunarAction(const std::string& text, const std::string& uniqueId, const std::string& action) {
    return EditActions(text, uniqueId, action);
}

ThunarEdit RemoveThunarAction(const std::string& text, const std::string& uniqueId) {
    return EditActions(text, uniqueId, std::nullopt);
}

} // namespace zarkent::shell
