#include "windows/setup/TF_logo.h"

#include "measurement/ChannelConfig.h"
#include "platform/ProfileFile.h"
#include "platform/Prompts.h"
#include "windows/common/WindowTexts.h"

#include <QBitmap>
#include <QDir>
#include <QFileInfo>
#include <QPainter>
#include <QTimer>

namespace springtest {

namespace {
const QRgb kSeeThrough = qRgb(0, 0, 255);
}

TF_logo::TF_logo(const QString& applicationFolder, QWidget* parent, int show_ms) : QDialog(parent) {
    setObjectName(QStringLiteral("TF_logo"));
    setWindowTitle(kLoginTitle);
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);

    const QString path = ProfileFile(machineConfigFile(applicationFolder))
                             .readString(QStringLiteral("system"), QStringLiteral("LogoAdd"), QString());
    if (!path.isEmpty()) {
        if (!QFileInfo(path).isFile())
            prompts().message(QStringLiteral("找不到指定路径") + QDir::toNativeSeparators(path));
        else if (!m_picture.load(path))
            prompts().message(kFileReadError + QDir::toNativeSeparators(path));
        else
            shapeBy(m_picture);
    }

    // The start-up goes on when the splash closes, whatever it showed.
    QTimer::singleShot(show_ms, this, &QDialog::close);
}

void TF_logo::shapeBy(const QImage& picture) {
    setFixedSize(picture.size());
    m_shape = QRegion(QBitmap::fromImage(picture.createMaskFromColor(kSeeThrough, Qt::MaskInColor)));
    if (m_shape.isEmpty()) {
        // An empty mask would mean no mask at all, the whole picture, blue included: nothing shows instead.
        setAttribute(Qt::WA_TranslucentBackground);
        setWindowOpacity(0.0);
        clearMask();
        return;
    }
    setMask(m_shape);
}

void TF_logo::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    if (m_picture.isNull() || m_shape.isEmpty()) return;
    QPainter painter(this);
    painter.drawImage(0, 0, m_picture);
}

}  // namespace springtest
