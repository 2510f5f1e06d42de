#include "view/SystemColors.h"

#include <QApplication>
#include <QPalette>
#include <array>
#include <utility>

namespace {

// Index of the platform's system colour -> palette role.
constexpr std::array<QPalette::ColorRole, 25> Roles = {
    QPalette::Button,          // 0 scroll bar
    QPalette::Window,          // 1 desktop background
    QPalette::Highlight,       // 2 active caption
    QPalette::Mid,             // 3 inactive caption
    QPalette::Window,          // 4 menu
    QPalette::Base,            // 5 window
    QPalette::Shadow,          // 6 window frame
    QPalette::WindowText,      // 7 menu text
    QPalette::Text,            // 8 window text
    QPalette::HighlightedText, // 9 caption text
    QPalette::Mid,             // 10 active border
    QPalette::Midlight,        // 11 inactive border
    QPalette::Dark,            // 12 application workspace
    QPalette::Highlight,       // 13 highlight
    QPalette::HighlightedText, // 14 highlighted text
    QPalette::Button,          // 15 button face
    QPalette::Dark,            // 16 button shadow
    QPalette::PlaceholderText, // 17 grey text
    QPalette::ButtonText,      // 18 button text
    QPalette::WindowText,      // 19 inactive caption text
    QPalette::Light,           // 20 button highlight
    QPalette::Shadow,          // 21 dark shadow
    QPalette::Midlight,        // 22 light
    QPalette::ToolTipText,     // 23 info text
    QPalette::ToolTipBase,     // 24 info background
};

} // namespace

TColor ResolveColor(TColor color) {
    if ((color & 0xFF000000u) != SystemColorFlag) {
        return color & 0x00FFFFFFu;
    }
    const unsigned index = color & 0xFFu;
    if (index >= Roles.size()) {
        return 0;
    }
    const QColor c = QApplication::palette().color(QPalette::Active, Roles[index]);
    return static_cast<TColor>(c.red()) | static_cast<TColor>(c.green()) << 8 |
           static_cast<TColor>(c.blue()) << 16;
}
