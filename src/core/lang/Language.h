// Language: the numbered table every caption and message of Zarkent is read from.
//
// Rows are numbered 1..kLanguageRowCount. Two complete sets exist, Turkish and English; the table starts
// with the built-in texts (English, except rows 1, 41 and 111) and switches to a whole set
// when the set chosen by ActiveLanguage is copied in. Callers read a row at the moment they
// show it and keep no copy, so messages always come out in the language in force.
//
// All texts are UTF-8.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>

namespace zarkent {

inline constexpr int kLanguageRowCount = 158;

// Values of LanguageTable::ActiveLanguage (and of the stored language setting).
inline constexpr std::uint8_t kLanguageTurkish = 1;
inline constexpr std::uint8_t kLanguageEnglish = 2;

// Rows 114..120 name the seven wipe methods, rows 121..127 describe them, in the same order.
inline constexpr int kWipeMethodCount = 7;
inline constexpr int kWipeMethodNameRow = 114;
inline constexpr int kWipeMethodDescriptionRow = 121;

// Rows after the designed table; "%1" stands for the folder concerned (rows 128..131).
inline constexpr int kRowProtectedSystemFolder = 128;
inline constexpr int kRowProtectedProgramFolder = 129;
inline constexpr int kRowProtectedHomeFolder = 130;
inline constexpr int kRowUndecodableName = 131;
// The secure deletion's own messages; "%1" stands for the file concerned.
inline constexpr int kRowWipeStopped = 132;
inline constexpr int kRowWipeKeptChanging = 133;
inline constexpr int kRowWipeStopQuestion = 134;
inline constexpr int kRowWipeNotInPlace = 135;
// What overwriting cannot reach (the wipe dialog's paragraph), and the line a report on a memory
// file system gets.
inline constexpr int kRowWipeLimits = 136;
inline constexpr int kRowWipeMemoryFileSystem = 137;
// The first lines of the message that lists the desktop entries that could not be written.
inline constexpr int kRowDesktopProblems = 138;
// The password dialog's button that opens the strong password generator.
inline constexpr int kRowGeneratorButton = 139;
// The text encryption window: the text box's label and its buttons; its messages ("%1" and "%2" stand
// for the armour's first and last lines in kRowTextNotFound, "%1" for the size limit in MB in
// kRowTextTooLarge).
inline constexpr int kRowTextPrompt = 140;
inline constexpr int kRowTextEncrypt = 141;
inline constexpr int kRowTextDecrypt = 142;
inline constexpr int kRowTextCopy = 143;
inline constexpr int kRowTextClear = 144;
inline constexpr int kRowTextNotFound = 145;
inline constexpr int kRowTextDamaged = 146;
inline constexpr int kRowTextTooLarge = 147;
// The program's licence (about window, credits page) and the notices of the libraries it uses.
inline constexpr int kRowLicence = 148;
inline constexpr int kRowLicenceNotice = 149;
inline constexpr int kRowThirdPartyNotices = 150;
// What a batch reports: where it ran (a folder, or a count of files handed over), how many files it
// did, the file that stopped it and how many it left untouched after that file.
inline constexpr int kRowBatchFolder = 151;
inline constexpr int kRowBatchFileCount = 152;
inline constexpr int kRowBatchEncryptedCount = 153;
inline constexpr int kRowBatchDecryptedCount = 154;
inline constexpr int kRowBatchStoppedAt = 155;
inline constexpr int kRowBatchUntouched = 156;
// The wipe confirmation names the file and the method.
inline constexpr int kRowWipeConfirmFile = 157;
inline constexpr int kRowWipeConfirmMethod = 158;

// The three immutable sets a table can have in force.
enum class LanguageSet : std::uint8_t { BuiltIn, Turkish, English };

// Text of `row` in one set. A row outside 1..kLanguageRowCount reads as an empty text, here and
// everywhere else in this unit: a wrong row number shows up as a blank caption, never as a crash.
// The views point at static storage and stay valid for the whole run.
std::string_view SetText(LanguageSet set, int row) noexcept;
inline std::string_view TurkishText(int row) noexcept {
    return SetText(LanguageSet::Turkish, row);
}
inline std::string_view EnglishText(int row) noexcept {
    return SetText(LanguageSet::English, row);
}
inline std::string_view BuiltInText(int row) noexcept {
    return SetText(LanguageSet::BuiltIn, row);
}

// The texts in force. The sets themselves never change; the table only holds which one is in
// force, in an atomic, so job threads may read rows while the user-interface thread switches
// the language: a read sees either the old or the new set, whole.
class LanguageTable {
public:
    // 1 Turkish, 2 English: the set the next CopySet() copies. Any other value (0 until a
    // language has been loaded or chosen) makes CopySet() do nothing.
    std::atomic<std::uint8_t> ActiveLanguage{0};

    LanguageTable() = default;
    LanguageTable(const LanguageTable&) = delete;
    LanguageTable& operator=(const LanguageTable&) = delete;

    // Copies the set chosen by ActiveLanguage into the table. Returns whether anything was
    // copied, so the caller knows whether captions need rewriting.
    bool CopySet() noexcept;

    // The text in force for `row`; empty for a row outside 1..kLanguageRowCount.
    std::string Row(int row) const;

    // Name and description of wipe method `index` (0..6) in force; empty for any other index.
    std::string WipeMethodName(int index) const;
    std::string WipeMethodDescription(int index) const;

    LanguageSet InForce() const noexcept { return inForce_.load(std::memory_order_acquire); }

private:
    std::atomic<LanguageSet> inForce_{LanguageSet::BuiltIn};
};

// The table of this process.
LanguageTable& Lang();

} // namespace zarkent
