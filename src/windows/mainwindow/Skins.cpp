#include "windows/mainwindow/Skins.h"

#include <QApplication>
#include <QPalette>
#include <QStyle>
#include <QStyleFactory>

namespace springtest {

const QList<Skin>& skins() {
    // 经典 keeps the grey bevelled face of the desktops the operators learnt the machine on.
    static const QList<Skin> table = {
        {QStringLiteral("经典"), QStringLiteral("Windows"), QColor(0xd4, 0xd0, 0xc8),
         QColor(0xd4, 0xd0, 0xc8), QColor(Qt::black), QString(), QColor(0xe4, 0xe1, 0xdb),
         QColor(0xd4, 0xd0, 0xc8)},
        {QStringLiteral("明亮"), QStringLiteral("Fusion"), QColor(0xf5, 0xf7, 0xfa), QColor(0xe9, 0xee, 0xf5),
         QColor(0x20, 0x24, 0x2a),
         QStringLiteral("QPushButton { border: 1px solid #9fb3cc; border-radius: 3px; padding: 3px 10px; "
                        "background: #f3f6fb; }"
                        "QPushButton:hover { background: #dde8f7; }"
                        "QPushButton:pressed { background: #c9d8ee; }"
                        "QLineEdit, QSpinBox, QComboBox { border: 1px solid #b8c6d8; border-radius: 2px; "
                        "background: white; }"),
         QColor(0xf4, 0xf7, 0xfb), QColor(0xd6, 0xdf, 0xeb)},
        // A light blue one: the operator windows keep their own light panels and read well only on a light
        // face.
        {QStringLiteral("蓝色"), QStringLiteral("Fusion"), QColor(0xe3, 0xec, 0xf7), QColor(0xcf, 0xdf, 0xf2),
         QColor(0x10, 0x20, 0x38),
         QStringLiteral(
             "QPushButton { border: 1px solid #6f93c4; border-radius: 3px; padding: 3px 10px; "
             "background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #eef4fc, stop:1 #c4d8f0); }"
             "QPushButton:hover { background: #d9e7f8; }"
             "QPushButton:pressed { background: #a9c4e6; }"),
         QColor(0xdb, 0xe8, 0xf8), QColor(0xa9, 0xc4, 0xe6)},
    };
    return table;
}

bool applySkin(int index) {
    if (index < 0 || index >= skins().size()) return false;
    const Skin& skin = skins()[index];
    QStyle* style = QStyleFactory::create(skin.styleName);
    if (!style) style = QStyleFactory::create(QStringLiteral("Fusion"));
    if (style) QApplication::setStyle(style);  // the application takes the style over

    QPalette palette = QApplication::style()->standardPalette();
    palette.setColor(QPalette::Window, skin.window);
    palette.setColor(QPalette::Button, skin.buttonFace);
    // Disabled texts keep the style's own grey, so that a disabled item still looks disabled.
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive})
        for (const QPalette::ColorRole role : {QPalette::WindowText, QPalette::ButtonText, QPalette::Text})
            palette.setColor(group, role, skin.text);
    QApplication::setPalette(palette);
    qApp->setStyleSheet(skin.styleSheet);
    return true;
}

QString stripStyleSheet(const Skin& skin) {
    const QColor hover = skin.stripTop.lighter(104);
    return QStringLiteral(
               "springtest--Tfmain { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 %1, stop:1 "
               "%2); }"
               "springtest--Tfmain > QToolButton { padding: 4px 14px; border: 1px solid transparent; "
               "border-radius: 3px; }"
               "springtest--Tfmain > QToolButton:hover { border-color: %3; background: %4; }"
               "springtest--Tfmain > QToolButton:pressed { background: %5; }"
               "springtest--Tfmain > QToolButton::menu-indicator { image: none; }")
        .arg(skin.stripTop.name(), skin.stripBottom.name(), skin.stripBottom.darker(140).name(), hover.name(),
             skin.stripBottom.darker(112).name());
}

}  // namespace springtest
