#include "windows/setup/TF_about.h"

#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QVBoxLayout>

namespace springtest {

namespace {

// A coil spring between the two platens of a testing machine.
QPixmap springPicture() {
    QPixmap picture(160, 120);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor(70, 90, 120));
    painter.setPen(Qt::NoPen);
    painter.drawRect(30, 8, 100, 10);
    painter.drawRect(30, 102, 100, 10);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(30, 110, 200), 4, Qt::SolidLine, Qt::RoundCap));
    QPainterPath coil(QPointF(50, 20));
    constexpr int kTurns = 6;
    constexpr double kPitch = 80.0 / kTurns;
    for (int turn = 0; turn < kTurns; ++turn) {
        const double y = 20 + turn * kPitch;
        coil.cubicTo(QPointF(50, y + kPitch * 0.25), QPointF(110, y + kPitch * 0.25),
                     QPointF(110, y + kPitch * 0.5));
        coil.cubicTo(QPointF(110, y + kPitch * 0.75), QPointF(50, y + kPitch * 0.75),
                     QPointF(50, y + kPitch));
    }
    painter.drawPath(coil);
    return picture;
}

}  // namespace

TF_about::TF_about(QWidget* parent) : TF_about(QStringList{}, parent) {}

TF_about::TF_about(const QStringList& calibrationRecord, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TF_about"));
    setWindowTitle(QStringLiteral("关于"));

    auto* picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("Image1"));
    picture->setPixmap(springPicture());
    picture->setAlignment(Qt::AlignCenter);
    auto* name = new QLabel(QStringLiteral("微机控制弹簧试验机测试系统"), this);
    name->setObjectName(QStringLiteral("Label1"));
    QFont bigger = name->font();
    bigger.setPointSizeF(bigger.pointSizeF() * 1.4);
    bigger.setBold(true);
    name->setFont(bigger);
    name->setAlignment(Qt::AlignCenter);
    auto* version = new QLabel(QStringLiteral("版本：0928-2014"), this);
    version->setObjectName(QStringLiteral("Label2"));
    version->setAlignment(Qt::AlignCenter);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 20, 24, 20);
    layout->setSpacing(12);
    layout->addWidget(picture);
    layout->addWidget(name);
    layout->addWidget(version);
    if (!calibrationRecord.isEmpty()) {
        auto* record = new QLabel(calibrationRecord.join(QLatin1Char('\n')), this);
        record->setObjectName(QStringLiteral("CalibrationRecordLabel"));
        record->setAlignment(Qt::AlignCenter);
        record->setTextInteractionFlags(Qt::TextSelectableByMouse);
        layout->addWidget(record);
    }
    setFixedSize(sizeHint());
}

}  // namespace springtest
