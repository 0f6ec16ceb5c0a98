// Encrypted text as ASCII armour: the in-memory .zrk layout against the file path and the golden files,
// Base64, the armour's exact layout, tolerant reading of pasted mail, and each way reading can fail.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

#include "TempDir.h"
#include "core/container/Armour.h"
#include "core/container/ZarkentStream.h"
#include "core/container/ZlibStreams.h"

namespace zarkent {
namespace {

using namespace test;

std::string AsString(const std::vector<std::uint8_t>& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

std::vector<std::string> SplitLf(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t at; (at = text.find('\n', start)) != std::string::npos; start = at + 1)
        lines.push_back(text.substr(start, at - start));
    lines.push_back(text.substr(start));
    return lines;
}

std::string JoinLines(const std::vector<std::string>& lines, const std::string& prefix, const std::string& end) {
    std::string text;
    for (const std::string& line : lines)
        text += prefix + line + end;
    return text;
}

// A text of many lines with Turkish letters, `size` bytes or a little more.
std::string LongText(std::size_t size) {
    std::string text;
    for (int line = 0; text.size() < size; ++line)
        text += "Satır " + std::to_string(line) + ": çğıöşü ÇĞİÖŞÜ, the quick brown fox jumps over the lazy dog\n";
    return text;
}

ArmourProblem ProblemOf(const std::string& pasted, const std::string& password) {
    try {
        DearmourText(pasted, password);
    } catch (const ArmourError& e) {
        return e.Problem();
    }
    ADD_FAILURE() << "no error for:\n" << pasted.substr(0, 400);
    return ArmourProblem::NotFound;
}

constexpr char Password[] = "gizli şifre 7";

TEST(Base64, Rfc4648VectorsAndRefusals) {
    const std::pair<std::string, std::string> vectors[] = {
        {"", ""},
        {"f", "Zg=="},
        {"fo", "Zm8="},
        {"foo", "Zm9v"},
        {"foob", "Zm9vYg=="},
        {"fooba", "Zm9vYmE="},
        {"foobar", "Zm9vYmFy"},
        {std::string("\xff\xfe\x00", 3), "//4A"},
    };
    for (const auto& [bytes, text] : vectors) {
        EXPECT_EQ(EncodeBase64(bytes), text);
        std::string decoded = "left over";
        EXPECT_TRUE(DecodeBase64(text, decoded)) << text;
        EXPECT_EQ(decoded, bytes);
    }
    std::string all;
    for (int i = 0; i < 256; ++i)
        all += static_cast<char>(i);
    std::string back;
    ASSERT_TRUE(DecodeBase64(EncodeBase64(all), back));
    EXPECT_EQ(back, all);
    // Not the one form: wrong length, padding inside, a character outside the alphabet (also the URL-safe
    // ones), blanks, bits left over under the padding.
    for (const char* bad :
         {"Zg=", "Zg", "Zm9v=", "Zg==Zm9v", "Zm=v", "Zm9-", "Zm9_", "Zm9 ", "Zh==", "Zm9=", "====", "Z==="}) {
        std::string decoded;
        EXPECT_FALSE(DecodeBase64(bad, decoded)) << bad;
    }
}

// The memory layout is the file layout: the same bytes as a file encrypted through the file path, and the
// golden files read and written back exactly.
TEST(MemoryContainer, SameBytesAsTheFilePathAndTheGoldenFiles) {
    TempDir dir;
    for (bool compress : {false, true}) {
        for (std::size_t size : {std::size_t{0}, std::size_t{5}, std::size_t{70001}}) {
            const std::string contents = LongText(size).substr(0, size);
            const std::string plain = dir / "data.bin", zrk = dir / "data.bin.zrk";
            std::filesystem::remove(plain);
            std::filesystem::remove(zrk);
            WriteBytes(plain, std::vector<std::uint8_t>(contents.begin(), contents.end()));
            std::atomic<bool> compressOption{compress};
            StreamContext context;
            context.compressOption = &compressOption;
            { TZarkentStreamSifreleyici e(Password, ModeEncrypt, zrk, plain, true, context); }
            const std::string image = EncryptBytes(Password, "data.bin", contents, compress);
            EXPECT_EQ(image, AsString(ReadBytes(zrk))) << compress << " " << size;
            const DecryptedBytes back = DecryptBytes(Password, image, size);
            EXPECT_EQ(back.contents, contents);
            EXPECT_EQ(back.storedName, "data.bin");
            EXPECT_EQ(back.compressed, compress);
        }
    }
    const std::string data = ZARKENT_TEST_DATA "/golden/";
    const std::string sample = AsString(ReadBytes(data + "sample.bin"));
    const struct {
        const char* file;
        const char* password;
        bool compressed;
    } golden[] = {{"sample-stored.zrk", "Zarkent golden 1", false}, {"sample-compressed.zrk", "şifre ĞÜ 2", true}};
    for (const auto& g : golden) {
        const std::string image = AsString(ReadBytes(data + g.file));
        const DecryptedBytes back = DecryptBytes(g.password, image, sample.size());
        EXPECT_EQ(back.contents, sample) << g.file;
        EXPECT_EQ(back.storedName, "sample.bin");
        EXPECT_EQ(back.compressed, g.compressed);
        EXPECT_EQ(EncryptBytes(g.password, "sample.bin", sample, g.compressed), image) << g.file;
        // One byte over the limit is refused, compressed or not.
        EXPECT_THROW(DecryptBytes(g.password, image, sample.size() - 1), InflateLimitError) << g.file;
    }
}

TEST(Armour, RoundTrips) {
    const std::string texts[] = {
        "",
        "Merhaba dünya! Çok gizli: ĞÜŞİÖÇ ğüşıöç €",
        LongText(300 * 1024), // many armour lines, beyond one deflate block
        "first line\r\nsecond line\r\n\r\nlast\r",
        std::string("\0binary\0\xff", 10),
    };
    for (const std::string& text : texts) {
        const std::string armour = ArmourText(text, Password);
        EXPECT_EQ(DearmourText(armour, Password), text) << text.substr(0, 40);
        // The text is stored compressed under its fixed name.
        const DecryptedBytes inner = DecryptBytes(Password, DecodeArmour(armour), MaxArmouredTextSize);
        EXPECT_EQ(inner.storedName, ArmouredTextName);
        EXPECT_TRUE(inner.compressed);
    }
}

// The layout, exactly: the golden armour of a fixed text and password, and its lines.
TEST(Armour, LayoutMatchesTheGoldenArmour) {
    const std::string text = "Zarkent: şifreli metin / encrypted text\n";
    const std::string armour = ArmourText(text, "golden armour");
    EXPECT_EQ(armour, ReadText(ZARKENT_TEST_DATA "/golden/message-armour.txt"));

    EXPECT_EQ(armour.find('\r'), std::string::npos);
    ASSERT_EQ(armour.back(), '\n');
    std::vector<std::string> lines = SplitLf(armour);
    ASSERT_EQ(lines.back(), ""); // the last line ends in LF too
    lines.pop_back();
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines.front(), "-----BEGIN ZARKENT ENCRYPTED TEXT-----");
    EXPECT_EQ(lines.back(), "-----END ZARKENT ENCRYPTED TEXT-----");
    std::string base64;
    for (std::size_t i = 1; i + 1 < lines.size(); ++i) {
        if (i + 2 < lines.size())
            EXPECT_EQ(lines[i].size(), 64u) << "line " << i;
        else
            EXPECT_TRUE(!lines[i].empty() && lines[i].size() <= 64) << "last line " << lines[i].size();
        base64 += lines[i];
    }
    std::string zrk;
    ASSERT_TRUE(DecodeBase64(base64, zrk));
    EXPECT_EQ(zrk, EncryptBytes("golden armour", "message.txt", text, true));
    // A .zrk image whose Base64 fills whole lines gets no empty line before the end marker.
    const std::string whole = EncodeArmour(std::string(48 * 3, 'x'));
    EXPECT_EQ(SplitLf(whole).size(), 3u + 3u);
}

// Armour pasted in the ways mail and editors pass it on.
TEST(Armour, FoundInsidePastedMail) {
    const std::string text = "Toplantı yarın saat 10'da.\nKimseye söyleme.";
    const std::string armour = ArmourText(text, Password);
    std::vector<std::string> lines = SplitLf(armour);
    lines.pop_back();
    std::vector<std::string> rewrapped; // the Base64 in lines of 76 characters
    std::string base64;
    for (std::size_t i = 1; i + 1 < lines.size(); ++i)
        base64 += lines[i];
    rewrapped.push_back(lines.front());
    for (std::size_t at = 0; at < base64.size(); at += 76)
        rewrapped.push_back(base64.substr(at, 76));
    rewrapped.push_back(lines.back());
    std::vector<std::string> spaced; // a blank line after every line, blanks at the ends
    for (const std::string& line : lines) {
        spaced.push_back("  " + line + " \t");
        spaced.push_back("");
    }

    const std::string cases[] = {
        armour,
        "Merhaba,\n\nişte mesaj:\n\n" + armour + "\nSelamlar\nAli\n",
        JoinLines(lines, "", "\r\n"),
        JoinLines(lines, "", "\r"),
        "Ali wrote:\r\n" + JoinLines(lines, "> ", "\r\n") + "> \r\n> Ali\r\n",
        JoinLines(lines, "> > ", "\n"),
        JoinLines(lines, ">>", "\n"),
        JoinLines(lines, ">> > ", "\n"),
        JoinLines(spaced, "", "\n"),
        JoinLines(rewrapped, "> ", "\n"),
        armour.substr(0, armour.size() - 1), // no line end after the end marker
    };
    for (const std::string& pasted : cases)
        EXPECT_EQ(DearmourText(pasted, Password), text) << pasted;

    // Two armours: the first one counts.
    EXPECT_EQ(DearmourText(armour + ArmourText("other", Password), Password), text);
}

TEST(Armour, EachFailureHasItsOwnProblem) {
    const std::string text = LongText(4000);
    const std::string armour = ArmourText(text, Password);
    std::vector<std::string> lines = SplitLf(armour);
    lines.pop_back();
    const std::size_t last = lines.size() - 2; // the last Base64 line

    auto withLine = [&](std::size_t index, const std::string& replacement) {
        std::vector<std::string> changed = lines;
        changed[index] = replacement;
        return JoinLines(changed, "", "\n");
    };
    auto withoutLine = [&](std::size_t index) {
        std::vector<std::string> changed = lines;
        changed.erase(changed.begin() + static_cast<std::ptrdiff_t>(index));
        return JoinLines(changed, "", "\n");
    };
    auto flipped = [&](std::size_t index, std::size_t column) {
        std::string line = lines[index];
        line[column] = line[column] == 'A' ? 'B' : 'A';
        return withLine(index, line);
    };
    // Base64 of a wrong zlib stream under a right check block and header: damaged compressed data.
    std::string image = EncryptBytes(Password, "message.txt", text, true);
    const std::string longer = EncodeArmour(image + "more");
    image.resize(image.size() - 1);
    const std::string notAZrk = EncodeArmour(std::string(3000, 'z'));

    const struct {
        const char* what;
        std::string pasted;
        ArmourProblem problem;
    } cases[] = {
        {"plain text", "Merhaba, nasılsın?\nBugün hava güzel.\n", ArmourProblem::NotFound},
        {"nothing", "", ArmourProblem::NotFound},
        {"marker inside a line", "see -----BEGIN ZARKENT ENCRYPTED TEXT----- here\n", ArmourProblem::NotFound},
        {"no end marker", withoutLine(lines.size() - 1), ArmourProblem::Damaged},
        {"no begin marker", withoutLine(0), ArmourProblem::Damaged},
        {"a line lost", withoutLine(5), ArmourProblem::Damaged},
        {"last line cut", withLine(last, lines[last].substr(0, lines[last].size() - 1)), ArmourProblem::Damaged},
        {"not Base64", withLine(3, std::string(64, '*')), ArmourProblem::Damaged},
        {"payload changed", flipped(last - 1, 10), ArmourProblem::Damaged},
        {"check block changed", flipped(1, 10), ArmourProblem::Damaged},
        {"compression mark changed", flipped(4, 6), ArmourProblem::Damaged},
        {"zlib stream cut", EncodeArmour(image), ArmourProblem::Damaged},
        {"bytes after the text", longer, ArmourProblem::Damaged},
        {"not a .zrk", notAZrk, ArmourProblem::Damaged},
        {"too short for a .zrk", EncodeArmour("short"), ArmourProblem::Damaged},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ProblemOf(c.pasted, Password), c.problem) << c.what;

    EXPECT_EQ(ProblemOf(armour, "another password"), ArmourProblem::WrongPassword);
    EXPECT_EQ(ProblemOf(armour, "gizli şifre 8"), ArmourProblem::WrongPassword);
    try {
        DearmourText(armour, "x");
        FAIL();
    } catch (const ArmourError& e) {
        EXPECT_EQ(e.Kind(), ErrorKind::WrongPassword);
    }
}

TEST(Armour, SizeLimits) {
    const std::string largest(MaxArmouredTextSize, 'a');
    const std::string armour = ArmourText(largest, Password);
    EXPECT_EQ(DearmourText(armour, Password), largest);
    try {
        ArmourText(largest + "a", Password);
        FAIL();
    } catch (const ArmourError& e) {
        EXPECT_EQ(e.Problem(), ArmourProblem::TooLarge);
    }
    // Armour of a text over the limit (written by some other means) is refused when read, not inflated
    // without end.
    const std::string tooLarge = EncodeArmour(EncryptBytes(Password, "message.txt", largest + "a", true));
    EXPECT_EQ(ProblemOf(tooLarge, Password), ArmourProblem::TooLarge);
    EXPECT_EQ(ProblemOf(std::string(MaxPastedArmourSize + 1, ' ') + armour, Password), ArmourProblem::TooLarge);
    // Surrounding text up to the limit is fine.
    const std::string padded = std::string(MaxPastedArmourSize - armour.size() - 1, ' ') + "\n" + armour;
    EXPECT_EQ(DearmourText(padded, Password), largest);
}

} // namespace
} // namespace zarkent
