#pragma once

#include <QString>

#include <array>
#include <optional>

namespace springtest {

inline constexpr int kHardwareGears = 6;
// Beyond 5 % over the range the load cell itself is at risk before the machine stops.
inline constexpr double kHighestOverloadProportion = 1.05;

// What the operator is told about a value that cannot be saved.
inline const QString kOverloadOutOfRange = QStringLiteral("过载保护参数超范围！！");
inline const QString kBadLoadRange = QStringLiteral("负荷量程必须是大于零的数值!!");
inline const QString kBadGearTotal = QStringLiteral("分档数必须在1到6之间!!");
inline const QString kBadMagnification = QStringLiteral("放大位数必须是大于零的整数!!");
inline const QString kBadDecimals = QStringLiteral("小数位必须在0到6之间!!");
inline const QString kBadZeroDifference = QStringLiteral("档位零位差必须是整数!!");
inline const QString kBadCoderPulses = QStringLiteral("编码器脉冲数必须是大于零的整数!!");
inline const QString kBadScrewPitch = QStringLiteral("丝杠螺距必须是大于零的数值!!");
inline const QString kBadDisplacementCoefficient = QStringLiteral("转换系数必须是大于零的数值!!");

// The hardware description of the machine as kept in "init.ini" in the application folder. Values stay the
// text the operator typed (the file is read by service staff, not by the channels, which take their settings
// from the channel configuration files); what is missing reads as the default below.
struct HardwareSettings {
    int machineStyle = 0;  // 0 spring tension/compression, 1 leaf spring, 2 self-locking nut
    QString cardName = QStringLiteral("RX640K");
    QString loadMax = QStringLiteral("1000");
    QString loadUnits = QStringLiteral("N");
    QString gearTotal = QStringLiteral("4");
    std::array<QString, kHardwareGears> magnification{"400", "400", "400", "400", "400", "400"};
    std::array<QString, kHardwareGears> gearDecimals{"3", "3", "3", "3", "3", "3"};
    QString autoGearPercent = QStringLiteral("95");
    bool autoGear = false;
    QString overloadProportion = QStringLiteral("1.03");
    QString zeroDifference = QStringLiteral("0");

    QString coderPulses = QStringLiteral("1000");
    QString screwPitch_mm = QStringLiteral("6");
    QString displacementCoefficient = QStringLiteral("1");
    QString displacementDecimals = QStringLiteral("3");

    // A reversed channel is stored as direction −1.
    bool loadReversed = false;
    bool displacementReversed = false;
    bool motorReversed = false;

    // A value that cannot describe a machine (no number, a seventh gear, a negative pitch …): the key it
    // belongs to and what the operator is told.
    struct Problem {
        QString key;
        QString message;
    };
    std::optional<Problem> problem() const;

    static HardwareSettings read(const QString& applicationFolder);
    // Every key in one replacement of the file; keys of the file this description does not hold are kept.
    // False with the operator's message in `error` when the file could not be written.
    bool write(const QString& applicationFolder, QString* error = nullptr) const;

    friend bool operator==(const HardwareSettings&, const HardwareSettings&) = default;
};

QString hardwareSettingsFile(const QString& applicationFolder);

// Millimetres per counted edge of a quadrature encoder: the screw's pitch over four edges per pulse.
// Nothing when there are no pulses to divide by.
std::optional<double> displacementPerEdge_mm(double pulsesPerTurn, double screwPitch_mm);

}  // namespace springtest
