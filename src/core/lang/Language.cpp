#include "core/lang/Language.h"

#include <iterator>

namespace zarkent {

// The texts are compiled in as UTF-8; a build that re-encodes string literals would corrupt
// every Turkish row, so refuse to build instead.
static_assert(std::string_view("ş").size() == 2 && std::string_view("ş")[0] == '\xC5' &&
                  std::string_view("ş")[1] == '\x9F',
              "string literals must be compiled as UTF-8");

namespace {

// clang-format off
constexpr std::string_view kTurkish[] = {
    "", // row 0 is not used
    /*   1 */ "Zarkent Bilgi Güvenliği Sistemi",
    /*   2 */ "Destek",
    /*   3 */ "Kapatmak İçin Boş Bir Yere Tıklayın",
    /*   4 */ "Tamam",
    /*   5 */ "Hayır",
    /*   6 */ "iptal",
    /*   7 */ "Dosya",
    /*   8 */ "Görünüm",
    /*   9 */ "Araçlar",
    /*  10 */ "Ayarlar",
    /*  11 */ "Yardım",
    /*  12 */ "Seçenekler",
    /*  13 */ "Kapat",
    /*  14 */ "Aç",
    /*  15 */ "Kaydet",
    /*  16 */ "Klasördeki Tüm Dosyaları Şifrele",
    /*  17 */ "Klasördeki Tüm Dosyaları Çözümle",
    /*  18 */ "Bu Oturum İçin Şifre Belirle",
    /*  19 */ "Programı Kapat",
    /*  20 */ "Lütfen Şifre Giriniz",
    /*  21 */ "Lütfen Tekrar Şifre Giriniz",
    /*  22 */ "Lütfen Dosya Seçiniz",
    /*  23 */ "Lütfen Klasör Seçiniz",
    /*  24 */ "Her Zaman Üstte",
    /*  25 */ "Saydamlık Ayarı",
    /*  26 */ "Güçlü Şifre Üreteci",
    /*  27 */ "Rastgele Sayı Motoru",
    /*  28 */ "MD5 Hesaplayıcı",
    /*  29 */ "Güvenli Dosya Silici",
    /*  30 */ "Uygulama Hız Ayarı",
    /*  31 */ "Dil Seçimi",
    /*  32 */ "Hakkında",
    /*  33 */ "Ne Yapmak İstersiniz ?",
    /*  34 */ "Temizle",
    /*  35 */ "Şifrele",
    /*  36 */ "Çözümle",
    /*  37 */ "Belirttiğiniz Dosya Bulunamadı.",
    /*  38 */ "Belirttiğiniz Dosya/Klasör Bulunamadı.",
    /*  39 */ "Hata",
    /*  40 */ "Gerçekten İptal Etmek İstiyor Musunuz? Bu Dosyaya Zarar Verebilir !",
    /*  41 */ "İşlem İptal Edildi!",
    /*  42 */ "Klasörü Şifrele/Çözümle",
    /*  43 */ "İçeriğini Şifrelemek İçin Bir Klasör Seç",
    /*  44 */ "İçeriğini Çözümlemek İçin Bir Klasör Seç",
    /*  45 */ "Tüm Dosyalar|*.*",
    /*  46 */ "Arkaplanda Çalışan İşlemleriniz Var Ve Henüz Bitmedi. Programın Bu İşlemler Bittikten "
              "Sonra Otomatik Olarak Kapanmasını İster Misiniz ?",
    /*  47 */ "Onay",
    /*  48 */ "Tanımsız Bir Hata Oluştu",
    /*  49 */ "Silmek İstediğiniz Dosyayı Seçiniz",
    /*  50 */ "Bu Dosyayı Sildiğinizde Uzman Veri Kurtarma Yazılımları İle Dahi Kurtarılamaz. Devam "
              "Etmek İstiyor Musunuz ?",
    /*  51 */ "Dosya Silme İşlemi İptal Edildi",
    /*  52 */ "Girdiğiniz Şifreler Birbirinden Farklı.",
    /*  53 */ "Lütfen Tüm Alanları Doldurunuz",
    /*  54 */ "Dosya Şifrele",
    /*  55 */ "Şifreli Dosya Aç",
    /*  56 */ "Zarkent Şifreli Dosyaları (*.zrk)|*.zrk",
    /*  57 */ "Yardım Dosyası Yok Veya Bozulmuş",
    /*  58 */ "Durum",
    /*  59 */ "Eklenti Dosyası Bulunamadı",
    /*  60 */ "Zarkent Şifreli Dosyaları",
    /*  61 */ "Şifre Girilmedi!",
    /*  62 */ "Şifreli Bir Dosya Aç",
    /*  63 */ "E-Posta Veya Yazı Şifrele",
    /*  64 */ "Sadece Sayı Kullan",
    /*  65 */ "Sayı da İçersin",
    /*  66 */ "Şifre Aşağıdaki Karakterleri İçersin (Boşluk Kullanmayınız)",
    /*  67 */ "Şifre Uzunluğu",
    /*  68 */ "Oluştur",
    /*  69 */ "Dosya MD5 Raporu",
    /*  70 */ "MD5 Hash Kodu",
    /*  71 */ "Rapor",
    /*  72 */ "Kopyala",
    /*  73 */ "Kes",
    /*  74 */ "Yapıştır",
    /*  75 */ "Yazı MD5",
    /*  76 */ "Lütfen Bekleyiniz...",
    /*  77 */ "Uyarı",
    /*  78 */ "Raporlanacak bir bilgi bulunamadı!",
    /*  79 */ "Lütfen MD5 Kodunu Hesaplamak İçin Bir Yazı Giriniz",
    /*  80 */ "MD5 Kodunuz Aşağıdadır",
    /*  81 */ "Lütfen Şifre Üretimi İçin Karakterler Giriniz",
    /*  82 */ "Sayı Üretim Yöntemi",
    /*  83 */ "Standart",
    /*  84 */ "Sayı Aralığı (0 dan Belirtilene Kadar)",
    /*  85 */ "HEX(16) Olarak Üret",
    /*  86 */ "C/C++ Hex Formatı",
    /*  87 */ "Delphi/Pascal Formatı",
    /*  88 */ "Normal Hex Formatı",
    /*  89 */ "Arabelleğe Kopyala",
    /*  90 */ "Tane Sayı Oluştur",
    /*  91 */ "Şifreleme Yürütülüyor...",
    /*  92 */ "Çözümleme Yürütülüyor...",
    /*  93 */ "Arkaplan",
    /*  94 */ "İşlem Sırasında Önemli Hata",
    /*  95 */ "Dosyalar Başarıyla Şifrelendi",
    /*  96 */ "Belirtilen Dosyalar Şifrelenemedi",
    /*  97 */ "Dosyalar Başarıyla Açıldı",
    /*  98 */ "Belirtilen Dosyalar Çözümlenemedi",
    /*  99 */ "Girdiğiniz Şifre Yanlış",
    /* 100 */ "Zaman:",
    /* 101 */ "Başarı",
    /* 102 */ "Dosya Silinemiyor",
    /* 103 */ "Dosya Başarıyla Silindi",
    /* 104 */ "Dosya Başarıyla Şifrelendi",
    /* 105 */ "Dosya Şifreleme Başarısız",
    /* 106 */ "Saat/Tarih",
    /* 107 */ "10.000 den Fazla Dosya Belirttiniz. Bu Program En Fazla 10000 Dosyayı İşler",
    /* 108 */ "Belirtilen Klasördeki Dosyalar İşlenemedi",
    /* 109 */ "Şifre",
    /* 110 */ "Zengin Metin Belgesi|*.rtf",
    /* 111 */ "Sıkıştırılıyor...",
    /* 112 */ "Paket Açılıyor ...",
    /* 113 */ "Sıkıştır",
    /* 114 */ "En Hızlı",
    /* 115 */ "Hızlı",
    /* 116 */ "Normalden Hızlı",
    /* 117 */ "Normal",
    /* 118 */ "Normalden Güçlü",
    /* 119 */ "Güçlü",
    /* 120 */ "En Güçlü",
    /* 121 */ "4 Değişik Değerle 1 Tur Üzerine Yaz(Teknik olarak 4)",
    /* 122 */ "4 Değişik Değerle 3 Tur Üzerine Yaz(Teknik olarak 12)",
    /* 123 */ "4 Değişik Değerle 7 Tur Üzerine Yaz(Teknik olarak 28)",
    /* 124 */ "4 Değişik Değerle 35 Tur Üzerine Yaz(Teknik olarak 140)",
    /* 125 */ "4 Değişik Değerle 80 Tur Üzerine Yaz(Teknik olarak 320)",
    /* 126 */ "4 Değişik Değerle 100 Tur Üzerine Yaz(Teknik olarak 400)",
    /* 127 */ "4 Değişik Değerle 120 Tur Üzerine Yaz(Teknik olarak 480)",
    /* 128 */ "\"%1\" bir sistem klasörüdür; içindeki dosyalar işlenmez.",
    /* 129 */ "\"%1\" programın kendi klasörüdür; içindeki dosyalar işlenmez.",
    /* 130 */ "\"%1\" ev klasörünüzdür; oturumunuzun dosyalarını taşıdığı için içindeki dosyalar toplu olarak işlenmez.",
    /* 131 */ "\"%1\" klasöründeki bir dosya adı tam olarak okunamayan baytlar içeriyor; başka bir dosya işlenmesin diye bu ad reddedildi.",
    /* 132 */ "\"%1\" dosyasının silinmesi durduruldu; dosya kendi adıyla yerinde bırakıldı, bir kısmının üzerine yazıldı.",
    /* 133 */ "\"%1\" dosyası silme sırasında değişmeye devam etti; dosya kendi adıyla yerinde bırakıldı, bir kısmının üzerine yazıldı.",
    /* 134 */ "\"%1\" dosyası siliniyor. Silme durdurulsun mu? Durdurulursa dosya kendi adıyla, bir kısmının üzerine yazılmış olarak kalır.",
    /* 135 */ "\"%1\" dosyası, üzerine yazmanın eski bloklara ulaşmadığı ya da ulaşıp ulaşmadığı bilinemeyen bir dosya sistemindeydi (yazarken kopyalayan, ağ, overlay ya da FUSE); dosya silindi, ancak eski içeriği aygıtta kalmış olabilir.",
    /* 136 */ "Üzerine yazma yalnızca dosyanın şu anda kapladığı bloklara ulaşır. Başka yerlerde tutulan kopyalara ulaşamaz: "
              "SSD ya da flaş belleğin aşınma dengelemesiyle taşıdığı ya da zaten boşalttığı bloklar, yazarken kopyalayan ve "
              "günlük tutan dosya sistemlerinin başka yerlere yazdığı veriler, anlık görüntüler, yedekler ve daha önce alınmış kopyalar.",
    /* 137 */ "Dosya bellekteki bir dosya sistemindeydi; üzerine yazılanlar hiçbir zaman bir diske ulaşmadı.",
    /* 138 */ "Zarkent masaüstü kayıtlarının hepsini yazamadı (dosya türü, klasör menüsü kaydı, Gönder); programın kendisi "
              "her zamanki gibi çalışır.",
    /* 139 */ "Güçlü Şifre Oluşturucu",
    /* 140 */ "Şifrelenecek metni ya da şifreli metni buraya yazın veya yapıştırın:",
    /* 141 */ "Metni Şifrele",
    /* 142 */ "Metni Çözümle",
    /* 143 */ "Metni Kopyala",
    /* 144 */ "Metni Temizle",
    /* 145 */ "Şifreli metin bulunamadı. Şifreli metin \"%1\" satırıyla başlar ve \"%2\" satırıyla biter.",
    /* 146 */ "Şifreli metin bozulmuş; eksiksiz ve değiştirilmeden kopyalandığından emin olun.",
    /* 147 */ "Metin çok uzun; bir seferde en fazla %1 MB metin işlenebilir.",
    /* 148 */ "Lisans: GNU Genel Kamu Lisansı, sürüm 3 veya sonrası (GPL-3.0-or-later)",
    /* 149 */ "Zarkent özgür yazılımdır: Özgür Yazılım Vakfı'nın yayımladığı GNU Genel Kamu Lisansı'nın 3. sürümü ya da (seçiminize bağlı olarak) daha sonraki bir sürümü koşullarıyla yeniden dağıtabilir ve/veya değiştirebilirsiniz. Yararlı olacağı umuduyla, ancak HİÇBİR GARANTİ OLMADAN dağıtılır; SATILABİLİRLİK veya BELİRLİ BİR AMACA UYGUNLUK garantisi bile verilmez. Ayrıntılar için GNU Genel Kamu Lisansı'na bakın (LICENSE dosyası, https://www.gnu.org/licenses/).",
    /* 150 */ "Zarkent, zlib (Telif hakkı © 1995-2022 Jean-loup Gailly ve Mark Adler; zlib lisansı) ve Qt (Telif hakkı © The Qt Company Ltd. ve diğer katkıda bulunanlar; GNU LGPL sürüm 3 ya da GNU GPL sürüm 2 veya 3) kullanır.",
    /* 151 */ "Klasör: \"%1\"",
    /* 152 */ "%1 dosya",
    /* 153 */ "Şifrelenen dosya: %1",
    /* 154 */ "Çözümlenen dosya: %1",
    /* 155 */ "İşlem bu dosyada durdu: \"%1\"",
    /* 156 */ "Dokunulmadan kalan dosya: %1",
    /* 157 */ "Silinecek dosya: \"%1\"",
    /* 158 */ "Silme yöntemi: %1",
};
constexpr std::string_view kEnglish[] = {
    "", // row 0 is not used
    /*   1 */ "Zarkent Data Protection And Security System",
    /*   2 */ "Free Support",
    /*   3 */ "Please Click Empty Area To Close",
    /*   4 */ "Ok",
    /*   5 */ "No",
    /*   6 */ "Cancel",
    /*   7 */ "File",
    /*   8 */ "Appearance",
    /*   9 */ "Tools",
    /*  10 */ "Settings",
    /*  11 */ "Help",
    /*  12 */ "Options",
    /*  13 */ "Close",
    /*  14 */ "Open",
    /*  15 */ "Save",
    /*  16 */ "Encrypt all files in folder",
    /*  17 */ "Decrypt all files in folder",
    /*  18 */ "Set a password for this session",
    /*  19 */ "Close Program",
    /*  20 */ "Please enter a password",
    /*  21 */ "Please enter password again",
    /*  22 */ "Please select a file",
    /*  23 */ "Please Select a Folder",
    /*  24 */ "Always on top",
    /*  25 */ "Opacity Setting",
    /*  26 */ "Strong Password Tool",
    /*  27 */ "Random Number Engine",
    /*  28 */ "MD5 Hash Calculator",
    /*  29 */ "Secure File Deletion",
    /*  30 */ "Application Speed Adjustment",
    /*  31 */ "Language Selection",
    /*  32 */ "About",
    /*  33 */ "What would you like to do ?",
    /*  34 */ "Clear",
    /*  35 */ "Encrypt",
    /*  36 */ "Decrypt",
    /*  37 */ "The file that you specified is not found",
    /*  38 */ "The file/folder that you specified is not found",
    /*  39 */ "Error",
    /*  40 */ "Do you want to cancel ? You may damage file if you cancel !",
    /*  41 */ "Process Has Been Cancelled !",
    /*  42 */ "Encrypt/Decrypt Folder",
    /*  43 */ "Please Select A Folder To Encrypt The Content",
    /*  44 */ "Please Select A Folder To Decrypt The Content",
    /*  45 */ "All Files|*.*",
    /*  46 */ "There are active tasks is running and not finished yet. Would you like to close "
              "program itself when they finish ?",
    /*  47 */ "Confirmation",
    /*  48 */ "An unhandled error occured while starting the program",
    /*  49 */ "Please select file to wipe",
    /*  50 */ "When you delete this file, it will be no longer recoverable even professional data "
              "recovery software. Do you really want to continue ?",
    /*  51 */ "File deletion task is cancelled as you requested",
    /*  52 */ "The passwords that you entered are different. Please make sure they are same",
    /*  53 */ "Please fill all blank sections",
    /*  54 */ "Encrypt File",
    /*  55 */ "Decrypt File",
    /*  56 */ "Zarkent EnCrypted Files (*.zrk)|*.zrk",
    /*  57 */ "Help File is Eighter Deleted or Unaccesible. Please Repair the Installation Of Program",
    /*  58 */ "State",
    /*  59 */ "Extension File is Eighter Deleted or Unaccesible. Please Repair the Installation Of "
              "Program",
    /*  60 */ "Zarkent Encrypted Files",
    /*  61 */ "No Password Entered",
    /*  62 */ "Open an Encrypted File",
    /*  63 */ "Encrypt E-mail or Text",
    /*  64 */ "Use Just Numbers",
    /*  65 */ "Includes Numbers Also",
    /*  66 */ "Password Just Containts The Characters Below (Dont use Space)",
    /*  67 */ "Length of Password",
    /*  68 */ "Generate",
    /*  69 */ "File MD5 Report",
    /*  70 */ "MD5 Hash Code",
    /*  71 */ "Report",
    /*  72 */ "Copy",
    /*  73 */ "Cut",
    /*  74 */ "Paste",
    /*  75 */ "MD5 of a Text",
    /*  76 */ "Please Wait...",
    /*  77 */ "Warning",
    /*  78 */ "There is no information to report!",
    /*  79 */ "Please enter the text to calcuate MD5 hash",
    /*  80 */ "Your MD5 hash below",
    /*  81 */ "Please Enter Some Characters To Generate Password",
    /*  82 */ "Number Generating Method",
    /*  83 */ "Standart",
    /*  84 */ "Number Range (from 0 to entered value)",
    /*  85 */ "Generate as HEX(16)",
    /*  86 */ "C/C++ Hex Format",
    /*  87 */ "Delphi/Pascal Format",
    /*  88 */ "Regular Hex Format",
    /*  89 */ "Copy To ClipBoard",
    /*  90 */ "Number To Generate",
    /*  91 */ "Encryption is in progress...",
    /*  92 */ "Decryption is in progress...",
    /*  93 */ "Continue at Background",
    /*  94 */ "Critical Error While Process",
    /*  95 */ "Files Succesfully Encrypted",
    /*  96 */ "Unable to Encrypt The Files Specified",
    /*  97 */ "Files Succesfully Decrypted",
    /*  98 */ "Unable to Decrypt The Files Specified",
    /*  99 */ "The Password is Wrong",
    /* 100 */ "Time:",
    /* 101 */ "Success",
    /* 102 */ "Unable To Delete The File",
    /* 103 */ "File Succesfully Deleted",
    /* 104 */ "File Succesfully Encrypted",
    /* 105 */ "Unable To Encrypt The File",
    /* 106 */ "Time/Date",
    /* 107 */ "You Have Specified Over 10000 Files. This Program Can Handle 10000 Files",
    /* 108 */ "No Files Can Processed at Specified Folder",
    /* 109 */ "Password",
    /* 110 */ "Rich Text Format|*.rtf",
    /* 111 */ "Compressing ...",
    /* 112 */ "Decompressing ...",
    /* 113 */ "Compress",
    /* 114 */ "Fastest",
    /* 115 */ "Fast",
    /* 116 */ "Faster Than Normal",
    /* 117 */ "Normal",
    /* 118 */ "Stronger Than Normal",
    /* 119 */ "Strong",
    /* 120 */ "Strongest",
    /* 121 */ "1 overwrite with 4 diffent value(Technically 4 overwrite)",
    /* 122 */ "3 overwrite with 4 diffent value(Technically 12 overwrite)",
    /* 123 */ "7 overwrite with 4 diffent value(Technically 28 overwrite)",
    /* 124 */ "35 overwrite with 4 diffent value(Technically 140 overwrite)",
    /* 125 */ "80 overwrite with 4 diffent value(Technically 320 overwrite)",
    /* 126 */ "100 overwrite with 4 diffent value(Technically 400 overwrite)",
    /* 127 */ "120 overwrite with 4 different value(Technically 480 overwrite)",
    /* 128 */ "\"%1\" is a system folder; its files are never processed.",
    /* 129 */ "\"%1\" is the program's own folder; its files are never processed.",
    /* 130 */ "\"%1\" is your home folder; it holds your session's files, so its files are never processed as a batch.",
    /* 131 */ "A name in the folder \"%1\" holds bytes that cannot be read exactly; it is refused so that no other file is processed in its place.",
    /* 132 */ "The wipe of \"%1\" was stopped; the file was left under its name, partly overwritten.",
    /* 133 */ "The file \"%1\" kept changing during the wipe; it was left under its name, partly overwritten.",
    /* 134 */ "The file \"%1\" is being wiped. Stop the wipe? If it is stopped, the file stays under its name, partly overwritten.",
    /* 135 */ "The file \"%1\" was on a file system where overwriting does not reach its old blocks, or cannot be known to (copy-on-write, network, overlay or FUSE); it was deleted, but its old contents may remain on the device.",
    /* 136 */ "Overwriting reaches only the blocks the file occupies now. It cannot reach copies kept elsewhere: "
              "blocks an SSD or flash drive has moved by wear levelling or already trimmed, data that copy-on-write "
              "and journaling file systems wrote to other places, snapshots, backups, and copies made earlier.",
    /* 137 */ "The file was on a memory file system, so the overwrites never reached a disk.",
    /* 138 */ "Zarkent could not set up all of its desktop entries (file type, folder menu entry, Send To); the program "
              "itself works as usual.",
    /* 139 */ "Strong Password Generator",
    /* 140 */ "Type or paste here the text to encrypt, or the encrypted text:",
    /* 141 */ "Encrypt Text",
    /* 142 */ "Decrypt Text",
    /* 143 */ "Copy Text",
    /* 144 */ "Clear Text",
    /* 145 */ "No encrypted text was found. Encrypted text begins with the line \"%1\" and ends with the line \"%2\".",
    /* 146 */ "The encrypted text is damaged; make sure it was copied whole and unchanged.",
    /* 147 */ "The text is too long; at most %1 MB of text can be handled at a time.",
    /* 148 */ "Licence: GNU General Public License, version 3 or later (GPL-3.0-or-later)",
    /* 149 */ "Zarkent is free software: you can redistribute it and/or modify it under the terms of the GNU General Public License as published by the Free Software Foundation, either version 3 of the License, or (at your option) any later version. It is distributed in the hope that it will be useful, but WITHOUT ANY WARRANTY; without even the implied warranty of MERCHANTABILITY or FITNESS FOR A PARTICULAR PURPOSE. See the GNU General Public License for more details (the LICENSE file, https://www.gnu.org/licenses/).",
    /* 150 */ "Zarkent uses zlib (Copyright © 1995-2022 Jean-loup Gailly and Mark Adler; zlib licence) and Qt (Copyright © The Qt Company Ltd. and other contributors; GNU LGPL version 3 or GNU GPL version 2 or 3).",
    /* 151 */ "Folder: \"%1\"",
    /* 152 */ "%1 files",
    /* 153 */ "Files encrypted: %1",
    /* 154 */ "Files decrypted: %1",
    /* 155 */ "Stopped at the file: \"%1\"",
    /* 156 */ "Files left untouched: %1",
    /* 157 */ "File to wipe: \"%1\"",
    /* 158 */ "Wipe method: %1",
};
// clang-format on

static_assert(std::size(kTurkish) == kLanguageRowCount + 1, "Turkish set must have every row");
static_assert(std::size(kEnglish) == kLanguageRowCount + 1, "English set must have every row");

bool ValidRow(int row) noexcept {
    return row >= 1 && row <= kLanguageRowCount;
}

// Before any language is applied the table holds the English texts, except these rows.
std::string_view BuiltInException(int row) noexcept {
    switch (row) {
    case 1:
        return "Zarkent Data Protection And Security System [Official Version 1.0]";
    case 41:
        return "Process Has Been Cancelled!";
    case 111:
        return "Compressing...";
    default:
        return {};
    }
}

std::string ListRow(const LanguageTable& table, int firstRow, int index) {
    if (index < 0 || index >= kWipeMethodCount) return {};
    return table.Row(firstRow + index);
}

} // namespace

std::string_view SetText(LanguageSet set, int row) noexcept {
    if (!ValidRow(row)) return {};
    switch (set) {
    case LanguageSet::Turkish:
        return kTurkish[row];
    case LanguageSet::English:
        return kEnglish[row];
    case LanguageSet::BuiltIn:
        break;
    }
    std::string_view exception = BuiltInException(row);
    return exception.empty() ? kEnglish[row] : exception;
}

bool LanguageTable::CopySet() noexcept {
    switch (ActiveLanguage.load()) {
    case kLanguageTurkish:
        inForce_.store(LanguageSet::Turkish, std::memory_order_release);
        return true;
    case kLanguageEnglish:
        inForce_.store(LanguageSet::English, std::memory_order_release);
        return true;
    default:
        return false;
    }
}

std::string LanguageTable::Row(int row) const {
    return std::string(SetText(InForce(), row));
}

std::string LanguageTable::WipeMethodName(int index) const {
    return ListRow(*this, kWipeMethodNameRow, index);
}

std::string LanguageTable::WipeMethodDescription(int index) const {
    return ListRow(*this, kWipeMethodDescriptionRow, index);
}

LanguageTable& Lang() {
    static LanguageTable table;
    return table;
}

} // namespace zarkent
