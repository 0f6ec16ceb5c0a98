#pragma once

// The about window: the program's title, version, web address and licence, the notices of the
// libraries it uses, and a description read from "about_tr.txt" beside the program. Any key, the button or a click on
// an empty part closes it; "?" shows the credits page.

#include <QString>
#include <QUrl>
#include <QWidget>

#include <functional>
#include <memory>

class QKeyEvent;
class QLabel;
class QMouseEvent;
class QPushButton;
class QTextEdit;

namespace zarkent {

class TCredits_page;

// The version shown in the about window (and by zarkent --version): the project's version.
inline constexpr const char* kAboutVersion = ZARKENT_VERSION;
// The maker's web address shown (and opened) by the about window.
inline constexpr const char* kAboutWebSite = "https://zarkent.example.org";
// The description's file, in the program's folder.
inline constexpr const char* kAboutFileName = "about_tr.txt";

class THakkinda : public QWidget {
    Q_OBJECT

public:
    explicit THakkinda(QWidget* parent = nullptr);
    ~THakkinda() override;

    QLabel* Baslik;
    QLabel* Versiyon;
    QLabel* WebSite;
    QLabel* Lisans;      // the program's licence
    QLabel* UcuncuTaraf; // the notices of zlib and Qt
    QTextEdit* Hakkinda_Aciklama;
    QPushButton* Kapat;
    QPushButton* Credits;

    // The credits page this window shows (owned by it).
    TCredits_page* CreditsPage() const { return creditsPage_.get(); }

    // Rewrites the captions from the language table in force.
    void UpdateCaptions();
    // How the web address is opened: QDesktopServices::openUrl unless replaced (tests).
    void SetOpenUrlHook(std::function<void(const QUrl&)> open) { openUrl_ = std::move(open); }

public slots:
    void KapatClick();
    void CreditsClick();
    void WebSiteClick();
    void WebSiteMouseEnter();
    void WebSiteMouseLeave();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    void FormClick();
    bool FormKeyPress(const QKeyEvent& event);
    void ApplyCaptions(const std::function<QString(int)>& row);
    // Whether `point` (window coordinates) is on no control of the window.
    bool IsEmptyArea(const QPoint& point) const;

    std::unique_ptr<TCredits_page> creditsPage_;
    std::function<void(const QUrl&)> openUrl_;
    bool pressedOnEmptyArea_ = false;
    bool pressedOnWebSite_ = false;
};

} // namespace zarkent
