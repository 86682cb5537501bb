#pragma once

#include <QDialog>
#include <QImage>
#include <QRegion>

class QTimer;

namespace springtest {

// The splash shown while the main window is being made: the picture named by `LogoAdd` of the machine
// configuration, without a frame, its pure blue (0, 0, 255) pixels see-through, for three seconds.
class TF_logo : public QDialog {
    Q_OBJECT
public:
    static constexpr int kShow_ms = 3000;

    // `show_ms` only for tests, which cannot wait three seconds each.
    explicit TF_logo(const QString& applicationFolder, QWidget* parent = nullptr, int show_ms = kShow_ms);

    const QImage& picture() const { return m_picture; }
    // The pixels that show; empty when the picture is all pure blue (or there is none to shape by).
    const QRegion& shape() const { return m_shape; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void shapeBy(const QImage& picture);

    QImage m_picture;
    QRegion m_shape;
};

}  // namespace springtest
