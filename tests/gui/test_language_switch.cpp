// Switching the language with the main window's Türkçe and English actions: every window's captions in
// both languages, the secure deletion method list starting over, messages in the chosen language, the
// stored setting and the menu marks.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QToolButton>
#include <QtTest>

#include <functional>
#include <memory>

#include "TempDir.h"
#include "core/lang/Language.h"
#include "core/state/SharedState.h"
#include "gui/app/AnaSayfa.h"
#include "gui/jobs/DurumBelirt.h"
#include "gui/jobs/DurumSayfasi.h"
#include "gui/jobs/JobWindows.h"
#include "gui/jobs/KlasordekiDosyalariSifrelemePenceresi.h"
#include "gui/jobs/SifreEkrani.h"
#include "gui/jobs/SifreleJobs.h"
#include "gui/jobs/WindowHelpers.h"
#include "gui/tools/About.h"
#include "gui/tools/GucluSifre.h"
#include "gui/tools/MD5Summer.h"
#include "gui/tools/RastgeleSayiUreteci.h"
#include "gui/tools/SeffaflikAyariPenceresi.h"
#include "gui/wipe/GuvenliDosyaSiliciDialog_Kaynak.h"

using namespace zarkent;
using namespace zarkent::test;

namespace {

QString SetRow(LanguageSet set, int row) {
    const std::string_view text = SetText(set, row);
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

// Every window of the program, as the program creates them, with settings in a folder of their own.
struct Program {
    TempDir config;
    std::unique_ptr<TSayfa1> main;
    TSifreEx password;
    TDurumBelirt result;
    TDurumSayfasi page;
    TKlasoriciSifrelemePenceresi folder;
    TGuvenliDosyaSiliciDialog wipe;
    TMD5Hesaplayici md5;
    std::unique_ptr<TSeffaflikAyari> opacity;
    THakkinda about;
    TGucluSifreSayfa1 generator;
    TRastgeleSayiUreteciSayfa1 numbers;

    Program() {
        qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(config.Path().string()));
        main = std::make_unique<TSayfa1>();
        main->Guncelle->stop(); // no start-up step: a first start would switch to the system's language
        main->SetQuitHook([] {});
        result.SetQuitHook([] {});
        opacity = std::make_unique<TSeffaflikAyari>(main.get());
        main->SetPeers({&password, &page, &result, &folder, &wipe, &md5, opacity.get(), &about, &generator, &numbers});
        SetJobWindows(JobWindows(&page, &result, &folder, main.get()));
    }
    ~Program() { SetJobWindows(JobWindows()); }
    QString ConfigFile() const { return QString::fromStdString(config / "Zarkent/Zarkent.conf"); }
};

struct Caption {
    const char* what;
    std::function<QString(Program&)> text;
    int row;
};

// What each window shows after a switch, in the order the switch rewrites them.
std::vector<Caption> Captions() {
    using P = Program;
    return {
        {"wipe caption", [](P& p) { return p.wipe.windowTitle(); }, 29},
        {"wipe status", [](P& p) { return p.wipe.Durum->text(); }, 58},
        {"wipe choose", [](P& p) { return p.wipe.DosyaSil_DosyaSec->text(); }, 22},
        {"wipe close", [](P& p) { return p.wipe.DosyaSil_Kapat->text(); }, 13},
        {"wipe open title", [](P& p) { return p.wipe.Silmekicin_DosyaAc.title; }, 49},
        {"wipe open filter", [](P& p) { return p.wipe.Silmekicin_DosyaAc.filter; }, 45},
        {"wipe header", [](P& p) { return p.wipe.GuvenlisilBaslik->text(); }, 29},
        {"wipe method 0", [](P& p) { return p.wipe.SilmeYontemiSecimi->itemText(0); }, 114},
        {"wipe method 6", [](P& p) { return p.wipe.SilmeYontemiSecimi->itemText(6); }, 120},
        {"wipe description", [](P& p) { return p.wipe.SilmeYonteminAciklamasi->text(); }, 123},
        {"opacity close", [](P& p) { return p.opacity->Kapat->text(); }, 13},
        {"opacity caption", [](P& p) { return p.opacity->windowTitle(); }, 25},
        {"result ok", [](P& p) { return p.result.Tamam->text(); }, 4},
        {"page caption", [](P& p) { return p.page.windowTitle(); }, 76},
        {"page cancel", [](P& p) { return p.page.iptal->text(); }, 6},
        {"page heading", [](P& p) { return p.page.DurumBasligi->text(); }, 58},
        {"page background", [](P& p) { return p.page.ArkaplandaDevamEt->text(); }, 93},
        {"folder caption", [](P& p) { return p.folder.windowTitle(); }, 23},
        {"folder cancel", [](P& p) { return p.folder.iptal->text(); }, 6},
        {"folder start", [](P& p) { return p.folder.basla->text(); }, 23},
        {"folder background", [](P& p) { return p.folder.Arkaplan->text(); }, 93},
        {"numbers caption", [](P& p) { return p.numbers.windowTitle(); }, 27},
        {"numbers hex", [](P& p) { return p.numbers.Hex->text(); }, 85},
        {"numbers count", [](P& p) { return p.numbers.KacTane->text(); }, 90},
        {"numbers generate", [](P& p) { return p.numbers.Olustur->text(); }, 68},
        {"numbers close", [](P& p) { return p.numbers.Kapat->text(); }, 13},
        {"numbers save", [](P& p) { return p.numbers.Kaydet->text(); }, 15},
        {"numbers save title", [](P& p) { return p.numbers.DosyaKaydet.title; }, 15},
        {"numbers range", [](P& p) { return p.numbers.SayiAraligiLabel->text(); }, 84},
        {"numbers copy", [](P& p) { return p.numbers.CopyToClipBoard->text(); }, 89},
        {"numbers c", [](P& p) { return p.numbers.chex->text(); }, 86},
        {"numbers pascal", [](P& p) { return p.numbers.dhex->text(); }, 87},
        {"numbers plain", [](P& p) { return p.numbers.nhex->text(); }, 88},
        {"md5 caption", [](P& p) { return p.md5.windowTitle(); }, 28},
        {"md5 heading", [](P& p) { return p.md5.raporBaslik->text(); }, 69},
        {"md5 report", [](P& p) { return p.md5.md5Rapor->text(); }, 71},
        {"md5 copy", [](P& p) { return p.md5.Kopyala1->text(); }, 72},
        {"md5 clear", [](P& p) { return p.md5.TabloyuTemizle1->text(); }, 34},
        {"md5 text", [](P& p) { return p.md5.TextMD5->text(); }, 75},
        {"md5 close", [](P& p) { return p.md5.Kapat->text(); }, 13},
        {"md5 file", [](P& p) { return p.md5.DosyaSec->text(); }, 22},
        {"md5 open title", [](P& p) { return p.md5.dosyaacmd5.title; }, 14},
        {"md5 save title", [](P& p) { return p.md5.md5raporKaydet.title; }, 15},
        {"generator caption", [](P& p) { return p.generator.windowTitle(); }, 26},
        {"generator options", [](P& p) { return p.generator.Secenekler->title(); }, 12},
        {"generator close", [](P& p) { return p.generator.Kapat->text(); }, 13},
        {"generator A", [](P& p) { return p.generator.A->text(); }, 64},
        {"generator B", [](P& p) { return p.generator.B->text(); }, 65},
        {"generator C", [](P& p) { return p.generator.C->text(); }, 66},
        {"generator length", [](P& p) { return p.generator.SifreUzunlugu->text(); }, 67},
        {"generator generate", [](P& p) { return p.generator.SifreOlustur->text(); }, 68},
        {"generator copy", [](P& p) { return p.generator.GucluSifre_HafizayaKopyala->text(); }, 72},
        {"about ok", [](P& p) { return p.about.Kapat->text(); }, 4},
        {"about title", [](P& p) { return p.about.Baslik->text(); }, 1},
        {"about caption", [](P& p) { return p.about.windowTitle(); }, 32},
        {"about hint", [](P& p) { return p.about.toolTip(); }, 3},
        {"main caption", [](P& p) { return p.main->windowTitle(); }, 1},
        {"main wipe", [](P& p) { return p.main->GuvenliDosyaSilme->text(); }, 29},
        {"main pack", [](P& p) { return p.main->Paketle->text(); }, 113},
        {"main open filter", [](P& p) { return p.main->DosyaAc.filter; }, 45},
        {"main save title", [](P& p) { return p.main->DosyaKaydet.title; }, 15},
        {"main button", [](P& p) { return p.main->islem->text(); }, 54},
        {"main decrypt", [](P& p) { return p.main->Coz->text(); }, 36},
        {"main open hint", [](P& p) { return p.main->SifreliBirDosyaAc->toolTip(); }, 55},
        {"main language menu", [](P& p) { return p.main->_Language->title(); }, 31},
        {"main speed menu", [](P& p) { return p.main->HizAyari->title(); }, 30},
        {"main opacity", [](P& p) { return p.main->Seffaflik->text(); }, 25},
        {"application title", [](P&) { return ApplicationTitle(); }, 1},
        {"password caption", [](P& p) { return p.password.windowTitle(); }, 20},
        {"password ok", [](P& p) { return p.password.Tamam->text(); }, 4},
        {"password cancel", [](P& p) { return p.password.iptal->text(); }, 6},
        {"password label", [](P& p) { return p.password.SifreLabel->text(); }, 109},
        {"password again", [](P& p) { return p.password.TekrarSifreLabel->text(); }, 21},
        {"password generator button", [](P& p) { return p.password.SifreYardim->text(); }, kRowGeneratorButton},
        {"wipe limits", [](P& p) { return p.wipe.WipeLimits->text(); }, kRowWipeLimits},
    };
}

void ResetLanguage() {
    Lang().ActiveLanguage = 0;
    State().SelectedLanguage = 0;
    SetApplicationTitle(QString());
}

} // namespace

class LanguageSwitchTest : public QObject {
    Q_OBJECT

private slots:
    void init() { ResetLanguage(); }
    void cleanup() {
        // Later tests start from the built-in texts.
        Lang().ActiveLanguage = kLanguageEnglish;
        Lang().CopySet();
        ResetLanguage();
    }

    void everyWindowFollowsTheSwitch() {
        Program p;
        const auto captions = Captions();
        // Before any switch: the designed Turkish captions (the wipe list and the application title
        // aside, which are filled by the first switch), messages in the built-in texts, nothing marked.
        QCOMPARE(p.main->windowTitle(), SetRow(LanguageSet::Turkish, 1));
        QCOMPARE(p.numbers.Olustur->text(), SetRow(LanguageSet::Turkish, 68));
        QVERIFY(!p.main->Turkce->isChecked() && !p.main->English->isChecked());
        QVERIFY(p.main->Turkce->isEnabled() && p.main->English->isEnabled());
        QCOMPARE(QString::fromStdString(Lang().Row(52)), SetRow(LanguageSet::BuiltIn, 52));

        const std::pair<QAction*, LanguageSet> steps[] = {
            {p.main->English, LanguageSet::English},
            {p.main->Turkce, LanguageSet::Turkish},
            {p.main->English, LanguageSet::English},
        };
        for (const auto& [action, set] : steps) {
            action->trigger();
            for (const Caption& caption : captions)
                QVERIFY2(
                    caption.text(p) == SetRow(set, caption.row),
                    qPrintable(QString("%1 (row %2): \"%3\"").arg(caption.what).arg(caption.row).arg(caption.text(p))));
            // Messages read the table at the moment they are shown.
            QCOMPARE(QString::fromStdString(Lang().Row(41)), SetRow(set, 41));
            QCOMPARE(p.main->Turkce->isChecked(), set == LanguageSet::Turkish);
            QCOMPARE(p.main->English->isChecked(), set == LanguageSet::English);
            // Qt's own texts (message box buttons, file dialogs) follow too.
            QMessageBox box(QMessageBox::Question, "t", "t", QMessageBox::Yes | QMessageBox::No);
            QCOMPARE(box.button(QMessageBox::Yes)->text(), set == LanguageSet::Turkish ? "&Evet" : "&Yes");
            QCOMPARE(QCoreApplication::translate("QFileDialog", "Look in:") != "Look in:", set == LanguageSet::Turkish);
        }
        // The entries that keep their designed captions in both languages.
        QCOMPARE(p.main->Turkce->text(), QString::fromUtf8("Türkçe"));
        QCOMPARE(p.main->English->text(), QString("English"));
        QCOMPARE(p.main->Hiz_BilgisayarBostayken->text(), QString("0 (Min.)"));
    }

    void switchStartsTheMethodListOver() {
        Program p;
        p.main->TurkceExecute();
        p.wipe.SilmeYontemiSecimi->setCurrentIndex(5);
        QCOMPARE(p.wipe.SilmeYonteminAciklamasi->text(), SetRow(LanguageSet::Turkish, 126));
        p.main->EnglishExecute();
        QCOMPARE(p.wipe.SilmeYontemiSecimi->count(), kWipeMethodCount);
        QCOMPARE(p.wipe.SilmeYontemiSecimi->currentIndex(), 2);
        QCOMPARE(p.wipe.SilmeYonteminAciklamasi->text(), SetRow(LanguageSet::English, 123));
        QCOMPARE(State().SelectedWipeMethod.load(), std::uint8_t(2));
    }

    void switchIsStored() {
        for (const auto& [language, stored] : {std::pair{kLanguageEnglish, "2"}, std::pair{kLanguageTurkish, "1"}}) {
            State().PriorityIndex = 3;
            State().PriorityChosenByUser = false;
            State().CompressOption = false;
            Program p;
            QAction* choice = language == kLanguageTurkish ? p.main->Turkce : p.main->English;
            auto storedPriority = [&] {
                return QSettings(p.ConfigFile(), QSettings::IniFormat).value("ProgramHizAyari").toString();
            };
            QSettings(p.ConfigFile(), QSettings::IniFormat).setValue("ProgramHizAyari", "tpidle");
            choice->trigger();
            QCOMPARE(State().SelectedLanguage.load(), language);
            QCOMPARE(Lang().ActiveLanguage.load(), language);
            QSettings settings(p.ConfigFile(), QSettings::IniFormat);
            QCOMPARE(settings.value("Language").toString(), QString(stored));
            // The priority in force is stored, never one the user did not choose.
            QCOMPARE(storedPriority(), QString("tpnormal"));
            QCOMPARE(int(State().PriorityIndex), 3);
            // "Compress" lowers the priority while the user chose none; the user's own choice stands.
            p.main->Paketle->click();
            choice->trigger(); // choosing the language in force runs the same steps
            QCOMPARE(storedPriority(), QString("tplower"));
            QVERIFY(p.main->Hiz_NormaldenDusuk->isChecked());
            p.main->Hiz_EnYuksek->trigger();
            choice->trigger();
            QCOMPARE(storedPriority(), QString("tptimecritical"));
            QVERIFY(p.main->Hiz_EnYuksek->isChecked());
            QCOMPARE(choice->isChecked(), true);
            ResetLanguage();
        }
    }
};

QTEST_MAIN(LanguageSwitchTest)
#include "test_language_switch.moc"
