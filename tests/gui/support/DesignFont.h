#pragma once

// The windows' designed geometry holds exactly where every designed caption fits it; at a larger font the
// controls grow for their captions. While a DesignFont lives, windows made get a font small enough for
// every caption of the design.

#include <QApplication>
#include <QFont>

namespace zarkent::test {

class DesignFont {
public:
    DesignFont() : before_(QApplication::font()) { QApplication::setFont(QFont(QStringLiteral("DejaVu Sans"), 6)); }
    ~DesignFont() { QApplication::setFont(before_); }
    DesignFont(const DesignFont&) = delete;
    DesignFont& operator=(const DesignFont&) = delete;

private:
    QFont before_;
};

} // namespace zarkent::test
