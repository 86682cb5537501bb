#include "session/LateralInstallation.h"

#include "measurement/ChannelConfig.h"
#include "platform/ProfileFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace springtest {

namespace {

constexpr int kCards = 4;

// Cards 1 to 3 start from card 0's shipped channels (the load cell and drive of the simulated card, already
// calibrated against it); what differs is their displacement. The sensors and the turntable carry nothing
// the frame could yield under, and each reads 0 where its simulated crosshead starts.
struct CardChannels {
    int card;
    const char* displacementName;
    const char* units;
    const char* mmPerPulse;
};
constexpr CardChannels kCardChannels[] = {
    // The data panel titles these "Y轴" / "X轴" + the name, and shows the lateral deformation for "位移".
    {1, "位移", "mm", "0.0002500"},
    {2, "转盘角度", "°", "0.0100000"},
    {3, "位移", "mm", "0.0002500"},
};

// The coupled machine. Card 0: the shipped compression spring, whose top moves 0.1 mm sideways per mm it is
// pressed, towards 120° with the turntable at 0 (X negative, Y positive: positioning turns it down by 120°).
// The sensors read to the hundredth: an offset of a millimetre or more, as a test of the shipped spring
// presses it, puts its direction within a few tenths of a degree.
// Card 1: a lateral spring of 20 N/mm, carrying nothing where the drive starts, with ±50 mm of travel.
// Card 2: the turntable, 0.01° a pulse, ±400°, 360 °/min at the speed 20 (18 °/min per unit of rate).
// Card 3: the X sensor, no drive. Platens beyond every travel, so that no card without a spring ever
// touches one.
const QList<ProfileSetting>& simulatedMachine() {
    static const QList<ProfileSetting> settings = [] {
        QList<ProfileSetting> s;
        const auto add = [&s](int card, const char* key, const char* value) {
            s.append({card < 0 ? QStringLiteral("machine") : QStringLiteral("card%1").arg(card),
                      QString::fromLatin1(key), QString::fromLatin1(value)});
        };
        add(-1, "cards", "4");
        add(0, "lateral_offset_per_mm", "0.1");
        add(0, "lateral_offset_angle_deg", "120");
        add(1, "specimen", "lateral");
        add(1, "lateral_rate_n_per_mm", "20");
        add(1, "lateral_neutral_mm", "0");
        add(1, "start_position_mm", "0");
        add(1, "lower_limit_mm", "-50");
        add(1, "upper_limit_mm", "50");
        add(1, "frame_compliance_mm_per_n", "0");
        add(2, "specimen", "none");
        add(2, "start_position_mm", "0");
        add(2, "lower_limit_mm", "-400");
        add(2, "upper_limit_mm", "400");
        add(2, "rate_scale", "18");
        add(2, "mm_per_pulse", "0.01");
        add(2, "platen_contact_mm", "-1000");
        add(3, "specimen", "none");
        add(3, "start_position_mm", "0");
        add(3, "lower_limit_mm", "-50");
        add(3, "upper_limit_mm", "50");
        add(3, "rate_scale", "0");
        add(3, "platen_contact_mm", "-1000");
        return s;
    }();
    return settings;
}

// Every channel key of the shipped card-0 file; the machine's own section stays in init0.dat.
bool shippedChannels(QList<ProfileSetting>& settings, QString& error) {
    QFile shipped(QStringLiteral(":/springtest/init0.dat"));
    if (!shipped.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("cannot read the shipped channel configuration");
        return false;
    }
    const ProfileSnapshot snapshot = ProfileSnapshot::fromBytes(shipped.readAll());
    settings.append({QStringLiteral("system"), QStringLiteral("LoadNo"), QString()});
    for (const QString& section : snapshot.sectionNames()) {
        if (section.compare(QStringLiteral("system"), Qt::CaseInsensitive) == 0) continue;
        for (const QString& key : snapshot.keys(section))
            settings.append({section, key, snapshot.readString(section, key, QString())});
    }
    return true;
}

bool writeCardChannels(const QString& folder, const CardChannels& card, InitResult& result) {
    const QString path = channelConfigFile(folder, card.card);
    const QString name = QFileInfo(path).fileName();
    if (QFileInfo::exists(path)) {
        result.kept << name;
        return true;
    }
    QList<ProfileSetting> settings;
    if (!shippedChannels(settings, result.error)) return false;
    const QString displacement = QStringLiteral("Displacement");
    settings.append({displacement, QStringLiteral("Name"), QString::fromUtf8(card.displacementName)});
    settings.append({displacement, QStringLiteral("Units"), QString::fromUtf8(card.units)});
    settings.append({displacement, QStringLiteral("coefficient"), QString::fromLatin1(card.mmPerPulse)});
    settings.append({displacement, QStringLiteral("Compensation_coefficient"), QStringLiteral("0.0000000")});
    settings.append({displacement, QStringLiteral("press_SAVE_VALUE"), QStringLiteral("0")});
    settings.append({displacement, QStringLiteral("pull_SAVE_VALUE"), QStringLiteral("0")});
    if (!ProfileFile(path).writeSettings(settings, &result.error)) return false;
    result.created << name;
    return true;
}

}  // namespace

bool layOutLateralInstallation(const QString& folder, InitResult& result) {
    const QDir dir(folder);
    if (result.created.contains(QStringLiteral("init0.dat")) &&
        !ProfileFile(dir.filePath(QStringLiteral("init0.dat")))
             .writeInt(QStringLiteral("system"), QStringLiteral("CardSum"), kCards, &result.error))
        return false;
    for (const CardChannels& card : kCardChannels) {
        if (!writeCardChannels(folder, card, result)) return false;
    }
    if (result.created.contains(QStringLiteral("simcard.ini")) &&
        !ProfileFile(dir.filePath(QStringLiteral("simcard.ini")))
             .writeSettings(simulatedMachine(), &result.error))
        return false;
    return true;
}

}  // namespace springtest
