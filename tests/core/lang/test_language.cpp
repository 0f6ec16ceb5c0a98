#include "core/lang/Language.h"

#include <gtest/gtest.h>

#include <atomic>
#include <climits>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

using namespace zarkent;

namespace {

// True when `s` is well-formed UTF-8 (no overlong forms, no surrogates, at most U+10FFFF).
bool IsValidUtf8(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size()) {
        const auto b = static_cast<unsigned char>(s[i]);
        int extra = 0;
        char32_t cp = 0;
        if (b < 0x80) {
            ++i;
            continue;
        } else if ((b & 0xE0) == 0xC0) {
            extra = 1;
            cp = b & 0x1F;
        } else if ((b & 0xF0) == 0xE0) {
            extra = 2;
            cp = b & 0x0F;
        } else if ((b & 0xF8) == 0xF0) {
            extra = 3;
            cp = b & 0x07;
        } else {
            return false;
        }
        if (s.size() - i <= static_cast<std::size_t>(extra)) return false;
        for (int k = 1; k <= extra; ++k) {
            const auto c = static_cast<unsigned char>(s[i + k]);
            if ((c & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (c & 0x3F);
        }
        static constexpr char32_t kMin[] = {0, 0x80, 0x800, 0x10000};
        if (cp < kMin[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
        i += extra + 1;
    }
    return true;
}

struct RowCase {
    int row;
    const char* turkish;
    const char* english;
};

// Rows with Turkish letters, file-dialog filters (description|pattern), deliberate spellings
// and odd spacing that must survive exactly, and rows at both ends and both list edges.
const RowCase kRows[] = {
    {1, "Zarkent Bilgi Güvenliği Sistemi", "Zarkent Data Protection And Security System"},
    {3, "Kapatmak İçin Boş Bir Yere Tıklayın", "Please Click Empty Area To Close"},
    {6, "iptal", "Cancel"},
    {26, "Güçlü Şifre Üreteci", "Strong Password Tool"},
    {40, "Gerçekten İptal Etmek İstiyor Musunuz? Bu Dosyaya Zarar Verebilir !",
     "Do you want to cancel ? You may damage file if you cancel !"},
    {41, "İşlem İptal Edildi!", "Process Has Been Cancelled !"},
    {45, "Tüm Dosyalar|*.*", "All Files|*.*"},
    {46,
     "Arkaplanda Çalışan İşlemleriniz Var Ve Henüz Bitmedi. Programın Bu İşlemler Bittikten Sonra Otomatik "
     "Olarak Kapanmasını İster Misiniz ?",
     "There are active tasks is running and not finished yet. Would you like to close program itself when they "
     "finish ?"},
    {48, "Tanımsız Bir Hata Oluştu", "An unhandled error occured while starting the program"},
    {54, "Dosya Şifrele", "Encrypt File"},
    {56, "Zarkent Şifreli Dosyaları (*.zrk)|*.zrk", "Zarkent EnCrypted Files (*.zrk)|*.zrk"},
    {59, "Eklenti Dosyası Bulunamadı",
     "Extension File is Eighter Deleted or Unaccesible. Please Repair the Installation Of Program"},
    {66, "Şifre Aşağıdaki Karakterleri İçersin (Boşluk Kullanmayınız)",
     "Password Just Containts The Characters Below (Dont use Space)"},
    {79, "Lütfen MD5 Kodunu Hesaplamak İçin Bir Yazı Giriniz", "Please enter the text to calcuate MD5 hash"},
    {83, "Standart", "Standart"},
    {107, "10.000 den Fazla Dosya Belirttiniz. Bu Program En Fazla 10000 Dosyayı İşler",
     "You Have Specified Over 10000 Files. This Program Can Handle 10000 Files"},
    {110, "Zengin Metin Belgesi|*.rtf", "Rich Text Format|*.rtf"},
    {111, "Sıkıştırılıyor...", "Compressing ..."},
    {112, "Paket Açılıyor ...", "Decompressing ..."},
    {114, "En Hızlı", "Fastest"},
    {120, "En Güçlü", "Strongest"},
    {121, "4 Değişik Değerle 1 Tur Üzerine Yaz(Teknik olarak 4)",
     "1 overwrite with 4 diffent value(Technically 4 overwrite)"},
    {126, "4 Değişik Değerle 100 Tur Üzerine Yaz(Teknik olarak 400)",
     "100 overwrite with 4 diffent value(Technically 400 overwrite)"},
    {127, "4 Değişik Değerle 120 Tur Üzerine Yaz(Teknik olarak 480)",
     "120 overwrite with 4 different value(Technically 480 overwrite)"},
};

constexpr std::string_view kBuiltIn1 = "Zarkent Data Protection And Security System [Official Version 1.0]";
constexpr std::string_view kBuiltIn41 = "Process Has Been Cancelled!";
constexpr std::string_view kBuiltIn111 = "Compressing...";

void ExpectWholeSetInForce(const LanguageTable& table, LanguageSet set) {
    for (int row = 1; row <= kLanguageRowCount; ++row)
        ASSERT_EQ(table.Row(row), SetText(set, row)) << "row " << row;
}

} // namespace

TEST(LanguageSets, KnownRowsMatchExactly) {
    for (const RowCase& c : kRows) {
        SCOPED_TRACE(c.row);
        EXPECT_EQ(TurkishText(c.row), c.turkish);
        EXPECT_EQ(EnglishText(c.row), c.english);
    }
}

TEST(LanguageSets, EveryRowIsNonEmptyUtf8WithoutStrayBlanks) {
    for (LanguageSet set : {LanguageSet::Turkish, LanguageSet::English, LanguageSet::BuiltIn}) {
        for (int row = 1; row <= kLanguageRowCount; ++row) {
            SCOPED_TRACE(testing::Message() << "set " << static_cast<int>(set) << " row " << row);
            const std::string_view text = SetText(set, row);
            ASSERT_FALSE(text.empty());
            EXPECT_TRUE(IsValidUtf8(text));
            EXPECT_NE(text.front(), ' ');
            EXPECT_NE(text.back(), ' ');
            EXPECT_EQ(text.find("  "), std::string_view::npos);
        }
    }
}

// The dialog tells methods apart only by these texts: a row pasted twice would leave two
// methods that look the same.
TEST(LanguageSets, WipeListsHoldSevenDistinctEntries) {
    for (LanguageSet set : {LanguageSet::Turkish, LanguageSet::English}) {
        for (int first : {kWipeMethodNameRow, kWipeMethodDescriptionRow})
            for (int i = 0; i < kWipeMethodCount; ++i)
                for (int j = i + 1; j < kWipeMethodCount; ++j)
                    EXPECT_NE(SetText(set, first + i), SetText(set, first + j)) << first + i << " vs " << first + j;
    }
}

TEST(LanguageSets, BuiltInIsEnglishExceptThreeRows) {
    EXPECT_EQ(BuiltInText(1), kBuiltIn1);
    EXPECT_EQ(BuiltInText(41), kBuiltIn41);
    EXPECT_EQ(BuiltInText(111), kBuiltIn111);
    for (int row = 1; row <= kLanguageRowCount; ++row) {
        if (row == 1 || row == 41 || row == 111)
            EXPECT_NE(BuiltInText(row), EnglishText(row)) << row;
        else
            EXPECT_EQ(BuiltInText(row), EnglishText(row)) << row;
    }
}

TEST(LanguageSets, RowsOutsideTheTableAreEmpty) {
    LanguageTable table;
    for (int row : {INT_MIN, -1, 0, kLanguageRowCount + 1, INT_MAX}) {
        SCOPED_TRACE(row);
        for (LanguageSet set : {LanguageSet::Turkish, LanguageSet::English, LanguageSet::BuiltIn})
            EXPECT_TRUE(SetText(set, row).empty());
        EXPECT_TRUE(table.Row(row).empty());
    }
}

TEST(LanguageTableTest, StartsWithBuiltInTexts) {
    LanguageTable table;
    EXPECT_EQ(table.ActiveLanguage.load(), 0);
    EXPECT_EQ(table.Row(52), "The passwords that you entered are different. Please make sure they are same");
    EXPECT_EQ(table.Row(1), kBuiltIn1);
    ExpectWholeSetInForce(table, LanguageSet::BuiltIn);
}

TEST(LanguageTableTest, CopySetFollowsActiveLanguage) {
    LanguageTable table;
    table.ActiveLanguage = kLanguageTurkish;
    EXPECT_TRUE(table.CopySet());
    ExpectWholeSetInForce(table, LanguageSet::Turkish);
    EXPECT_EQ(table.Row(41), "İşlem İptal Edildi!");

    // Turkish then English: row 41 gets the English text, not the built-in one.
    table.ActiveLanguage = kLanguageEnglish;
    EXPECT_TRUE(table.CopySet());
    ExpectWholeSetInForce(table, LanguageSet::English);
    EXPECT_EQ(table.Row(41), "Process Has Been Cancelled !");
    EXPECT_EQ(table.Row(111), "Compressing ...");

    table.ActiveLanguage = kLanguageTurkish;
    EXPECT_TRUE(table.CopySet());
    ExpectWholeSetInForce(table, LanguageSet::Turkish);
}

TEST(LanguageTableTest, OtherLanguageValuesChangeNothing) {
    for (std::uint8_t before : {std::uint8_t{0}, kLanguageTurkish, kLanguageEnglish}) {
        const LanguageSet expected = before == kLanguageTurkish   ? LanguageSet::Turkish
                                     : before == kLanguageEnglish ? LanguageSet::English
                                                                  : LanguageSet::BuiltIn;
        for (std::uint8_t value : {0, 3, 255}) {
            SCOPED_TRACE(testing::Message() << "in force " << int(before) << ", then " << int(value));
            LanguageTable table;
            table.ActiveLanguage = before;
            table.CopySet();
            table.ActiveLanguage = value;
            EXPECT_FALSE(table.CopySet());
            ExpectWholeSetInForce(table, expected);
        }
    }
}

TEST(LanguageTableTest, WipeMethodListsReadByIndexInLanguageInForce) {
    LanguageTable table;
    EXPECT_EQ(table.WipeMethodName(0), "Fastest");
    EXPECT_EQ(table.WipeMethodName(6), "Strongest");
    EXPECT_EQ(table.WipeMethodDescription(2), "7 overwrite with 4 diffent value(Technically 28 overwrite)");

    table.ActiveLanguage = kLanguageTurkish;
    table.CopySet();
    EXPECT_EQ(table.WipeMethodName(0), "En Hızlı");
    EXPECT_EQ(table.WipeMethodName(3), "Normal");
    EXPECT_EQ(table.WipeMethodName(6), "En Güçlü");
    EXPECT_EQ(table.WipeMethodDescription(0), "4 Değişik Değerle 1 Tur Üzerine Yaz(Teknik olarak 4)");
    EXPECT_EQ(table.WipeMethodDescription(2), "4 Değişik Değerle 7 Tur Üzerine Yaz(Teknik olarak 28)");
    EXPECT_EQ(table.WipeMethodDescription(6), "4 Değişik Değerle 120 Tur Üzerine Yaz(Teknik olarak 480)");

    // Neighbouring rows must not leak in through an index just outside the list.
    for (int index : {INT_MIN, -1, kWipeMethodCount, INT_MAX}) {
        EXPECT_TRUE(table.WipeMethodName(index).empty()) << index;
        EXPECT_TRUE(table.WipeMethodDescription(index).empty()) << index;
    }
}

TEST(LanguageTableTest, InstancesAreIndependent) {
    LanguageTable a;
    LanguageTable b;
    a.ActiveLanguage = kLanguageTurkish;
    a.CopySet();
    EXPECT_EQ(a.Row(4), "Tamam");
    EXPECT_EQ(b.Row(4), "Ok");
}

TEST(LanguageTableTest, ProcessTableStartsBuiltIn) {
    // Nothing in this test program switches the process table.
    EXPECT_EQ(&Lang(), &Lang());
    EXPECT_EQ(Lang().ActiveLanguage.load(), 0);
    EXPECT_EQ(Lang().Row(41), kBuiltIn41);
}

// Job threads build messages while the user switches the language: every read must return one
// set's text for that row, whole. Run under ThreadSanitizer/AddressSanitizer to catch a table
// that is rewritten in place.
TEST(LanguageTableTest, ReadsDuringSwitchesSeeWholeTexts) {
    LanguageTable table;
    std::atomic<bool> stop{false};
    std::atomic<int> bad{0};
    std::vector<std::thread> readers;
    for (int t = 0; t < 4; ++t) {
        readers.emplace_back([&, t] {
            int row = 1 + t;
            while (!stop.load()) {
                const std::string text = table.Row(row);
                if (text != BuiltInText(row) && text != TurkishText(row) && text != EnglishText(row)) ++bad;
                row = row % kLanguageRowCount + 1;
            }
        });
    }
    for (int i = 0; i < 20000; ++i) {
        table.ActiveLanguage = (i % 2 == 0) ? kLanguageTurkish : kLanguageEnglish;
        table.CopySet();
    }
    stop = true;
    for (std::thread& r : readers)
        r.join();
    EXPECT_EQ(bad.load(), 0);
}
