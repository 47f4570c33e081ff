#include "editor/look.h"

#include <QFontDatabase>
#include <QWidget>

namespace sondrel {
namespace {

constexpr char kDialogFontFamily[] = "MS Sans Serif";
// Windows' TrueType twin of its bitmap MS Sans Serif, with the same shapes and widths.
constexpr char kDialogFontOutline[] = "Microsoft Sans Serif";

} // namespace

void PlaceInTwips(QWidget* widget, int left, int top, int width, int height) {
    widget->setGeometry(Px(left), Px(top), Px(width), Px(height));
}

QFont DialogFont(double points, bool bold) {
    // Qt lists a bitmap font's sizes by cell height but asks Windows for them by character
    // height, so the bitmap MS Sans Serif comes one size too large for the captions laid out
    // for it; where it is a bitmap font, its TrueType twin is drawn at the size asked for.
    // The families installed are looked up as a list: asking for one by name has fontconfig
    // resolve it as an alias, which costs a start-up several milliseconds where it is missing.
    QFont font;
    const QStringList installed = QFontDatabase::families();
    if (installed.contains(kDialogFontFamily, Qt::CaseInsensitive)) {
        const bool bitmap = !QFontDatabase::isSmoothlyScalable(kDialogFontFamily);
        font = QFont(bitmap && installed.contains(kDialogFontOutline, Qt::CaseInsensitive)
                         ? kDialogFontOutline
                         : kDialogFontFamily);
    }
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

QPalette LightPalette() {
    const QColor buttonFace(0xF0, 0xF0, 0xF0);
    const QColor text(Qt::black);
    const QColor grey(0x6D, 0x6D, 0x6D);
    QPalette palette(buttonFace);
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        palette.setColor(group, QPalette::Window, buttonFace);
        palette.setColor(group, QPalette::Button, buttonFace);
        palette.setColor(group, QPalette::WindowText, text);
        palette.setColor(group, QPalette::ButtonText, text);
        palette.setColor(group, QPalette::Text, text);
        palette.setColor(group, QPalette::Base, Qt::white);
        palette.setColor(group, QPalette::AlternateBase, QColor(0xF7, 0xF7, 0xF7));
        palette.setColor(group, QPalette::Highlight, QColor(0x00, 0x78, 0xD7));
        palette.setColor(group, QPalette::HighlightedText, Qt::white);
        palette.setColor(group, QPalette::ToolTipBase, QColor(0xFF, 0xFF, 0xDC));
        palette.setColor(group, QPalette::ToolTipText, text);
        palette.setColor(group, QPalette::PlaceholderText, grey);
    }
    for (const QPalette::ColorRole role :
         {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
        palette.setColor(QPalette::Disabled, role, grey);
    }
    return palette;
}

} // namespace sondrel
