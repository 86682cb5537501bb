#include "windows/setup/TF_hardset.h"

#include "platform/NumberEntry.h"
#include "platform/Prompts.h"
#include "session/SettingsAuditing.h"
#include "windows/common/TypingFilters.h"
#include "windows/common/WindowTexts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace springtest {

namespace {

const QString kSaveQuestion = QStringLiteral("是否保存当前设置");
const QString kSaved = QStringLiteral("保存完毕,请重新启动软件!!");
const QString kSaveFailed = QStringLiteral("保存设置错误!!");
const QString kNoPulses = QStringLiteral("编码器脉冲数不能为空!!");
const QString kNoPitch = QStringLiteral("丝杠螺距不能为空");
const QString kZeroPulses = QStringLiteral("编码器脉冲数不能为零!!");
const QString kDefaultOverload = QStringLiteral("1.03");

QStringList numbers(int first, int last) {
    QStringList items;
    for (int i = first; i <= last; ++i) items << QString::number(i);
    return items;
}

QComboBox* combo(const QString& name, const QStringList& items, QWidget* parent) {
    auto* box = new QComboBox(parent);
    box->setObjectName(name);
    box->addItems(items);
    return box;
}

// A combo box the operator types into, with the keys its number may take.
QComboBox* typedCombo(const QString& name, const QStringList& items, NumberKeys keys, QWidget* parent) {
    auto* box = combo(name, items, parent);
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    filterNumberKeys(box, keys);
    return box;
}

QLineEdit* edit(const QString& name, QWidget* parent) {
    auto* line = new QLineEdit(parent);
    line->setObjectName(name);
    line->setAlignment(Qt::AlignRight);
    return line;
}

// A stored value the list does not offer is shown as one more item: saving unchanged must not lose it.
void select(QComboBox* box, const QString& value) {
    if (box->isEditable()) {
        box->setEditText(value);
        return;
    }
    int index = box->findText(value);
    if (index < 0) {
        box->addItem(value);
        index = box->count() - 1;
    }
    box->setCurrentIndex(index);
}

QWidget* labelled(QGridLayout* grid, int row, const QString& caption, QWidget* field) {
    grid->addWidget(new QLabel(caption, field->parentWidget()), row, 0);
    grid->addWidget(field, row, 1);
    return field;
}

QGroupBox* pageWithGroup(QTabWidget* pages, const QString& pageCaption, const QString& groupCaption) {
    auto* page = new QWidget(pages);
    auto* group = new QGroupBox(groupCaption, page);
    (new QVBoxLayout(page))->addWidget(group);
    pages->addTab(page, pageCaption);
    return group;
}

}  // namespace

TF_hardset::TF_hardset(const QString& applicationFolder, QWidget* parent)
    : QDialog(parent), m_applicationFolder(applicationFolder) {
    setObjectName(QStringLiteral("TF_hardset"));
    setWindowTitle(QStringLiteral("硬件设置"));
    buildLayout();
    fill(HardwareSettings::read(m_applicationFolder));

    // A scroll over the window must not change the card model or a gear's amplifier on the way.
    auto* wheelGuard = new WheelGuard(this);
    for (QComboBox* box : findChildren<QComboBox*>()) {
        wheelGuard->guard(box);
        connect(box, &QComboBox::currentTextChanged, this, &TF_hardset::markChanged);
    }
    for (QLineEdit* line : findChildren<QLineEdit*>())
        if (!qobject_cast<QComboBox*>(line->parentWidget()))
            connect(line, &QLineEdit::textChanged, this, &TF_hardset::markChanged);
    for (QCheckBox* box : {m_loadReversed, m_displacementReversed, m_motorReversed})
        connect(box, &QCheckBox::clicked, this, &TF_hardset::markChanged);
    connect(m_manualGear, &QRadioButton::clicked, this, &TF_hardset::markChanged);
    connect(m_autoGear, &QRadioButton::toggled, this, [this] {
        showAutoGear();
        markChanged();
    });
    connect(m_overloadProportion, &QLineEdit::textEdited, this, &TF_hardset::checkOverloadProportion);
    connect(m_convert, &QPushButton::clicked, this, &TF_hardset::convertCoefficient);
    connect(m_save, &QPushButton::clicked, this, &TF_hardset::save);
    connect(m_close, &QPushButton::clicked, this, &TF_hardset::closeWindow);
    m_save->setEnabled(false);
}

void TF_hardset::buildLayout() {
    auto* pages = new QTabWidget(this);

    auto* main = pageWithGroup(pages, QStringLiteral("主参数设置"), QStringLiteral(" 主参数"));
    auto* mainGrid = new QGridLayout(main);
    m_loadMax = typedCombo(QStringLiteral("com_load_max"), {}, NumberKeys::Digits, main);
    m_loadUnits = combo(QStringLiteral("com_load_units"), {QStringLiteral("N"), QStringLiteral("KN")}, main);
    m_gearCount = typedCombo(QStringLiteral("com_load_dws"), numbers(1, 6), NumberKeys::OneToSeven, main);
    m_cardName = combo(QStringLiteral("com_card_name"),
                       {QStringLiteral("RX640K"), QStringLiteral("RX710"), QStringLiteral("RX720")}, main);
    m_machineStyle =
        combo(QStringLiteral("com_sb_style"),
              {QStringLiteral("微机控制弹簧拉压试验机"), QStringLiteral("微机控制钢板弹簧压力试验机"),
               QStringLiteral("微机控制自锁螺母试验机")},
              main);
    labelled(mainGrid, 0, QStringLiteral("负荷量程："), m_loadMax);
    labelled(mainGrid, 1, QStringLiteral("负荷单位："), m_loadUnits);
    labelled(mainGrid, 2, QStringLiteral("分档数："), m_gearCount);
    labelled(mainGrid, 3, QStringLiteral("控制板卡选择："), m_cardName);
    labelled(mainGrid, 4, QStringLiteral("设备类型选择："), m_machineStyle);

    auto* encoder = pageWithGroup(pages, QStringLiteral("位移设置"), QStringLiteral("  编码器参数 "));
    auto* encoderGrid = new QGridLayout(encoder);
    m_coderPulse = edit(QStringLiteral("ed_wy_coder_pulse"), encoder);
    filterNumberKeys(m_coderPulse, NumberKeys::Digits);
    m_screwPitch = edit(QStringLiteral("ed_wy_screws"), encoder);
    filterNumberKeys(m_screwPitch, NumberKeys::Digits);
    m_displacementCoefficient = edit(QStringLiteral("ed_wy_xs"), encoder);
    filterNumberKeys(m_displacementCoefficient, NumberKeys::OneDecimal);
    m_displacementDecimals =
        typedCombo(QStringLiteral("com_wy_point"), numbers(1, 6), NumberKeys::ZeroToFive, encoder);
    m_convert = new QPushButton(QStringLiteral("自动转换"), encoder);
    m_convert->setObjectName(QStringLiteral("bsSkinSpeedButton1"));
    m_convert->setAutoDefault(false);
    labelled(encoderGrid, 0, QStringLiteral("编码器脉冲："), m_coderPulse);
    labelled(encoderGrid, 1, QStringLiteral("丝杠螺距："), m_screwPitch);
    labelled(encoderGrid, 2, QStringLiteral("转换系数："), m_displacementCoefficient);
    labelled(encoderGrid, 3, QStringLiteral("小数位："), m_displacementDecimals);
    encoderGrid->addWidget(m_convert, 2, 2);
    // Which scale the displacement comes from is chosen by the wiring, not stored here.
    auto* sensor = new QGroupBox(QStringLiteral("位移显示选择"), encoder);
    sensor->setObjectName(QStringLiteral("RG_sensor_choose"));
    auto* sensorRow = new QHBoxLayout(sensor);
    auto* encoderChoice = new QRadioButton(QStringLiteral("编码器"), sensor);
    encoderChoice->setChecked(true);
    sensorRow->addWidget(encoderChoice);
    sensorRow->addWidget(new QRadioButton(QStringLiteral("位移尺"), sensor));
    encoderGrid->addWidget(sensor, 4, 0, 1, 3);

    auto* gearPage = new QWidget(pages);
    auto* gearGrid = new QGridLayout(gearPage);
    gearGrid->addWidget(new QLabel(QStringLiteral("放大位数"), gearPage), 0, 1);
    gearGrid->addWidget(new QLabel(QStringLiteral("小数位"), gearPage), 0, 2);
    const QStringList magnifications{"200", "400", "800", "1600", "2000", "4000", "8000", "1600"};
    for (int g = 1; g <= kHardwareGears; ++g) {
        const QString n = QString::number(g);
        m_magnification[g - 1] =
            typedCombo(QStringLiteral("com_load_zoom") + n, magnifications, NumberKeys::Digits, gearPage);
        m_gearDecimals[g - 1] =
            typedCombo(QStringLiteral("com_load_point") + n, numbers(1, 6), NumberKeys::ZeroToFive, gearPage);
        gearGrid->addWidget(new QLabel(QStringLiteral(" ") + n, gearPage), g, 0);
        gearGrid->addWidget(m_magnification[g - 1], g, 1);
        gearGrid->addWidget(m_gearDecimals[g - 1], g, 2);
    }
    pages->addTab(gearPage, QStringLiteral("档位参数设置"));

    auto* overload = pageWithGroup(pages, QStringLiteral("停机保护"), QStringLiteral("过载保护"));
    auto* overloadRow = new QHBoxLayout(overload);
    m_overloadProportion = edit(QStringLiteral("ed_load_gz"), overload);
    filterNumberKeys(m_overloadProportion, NumberKeys::OneDecimal);
    overloadRow->addWidget(new QLabel(QStringLiteral("负荷超过量程的"), overload));
    overloadRow->addWidget(m_overloadProportion);
    overloadRow->addWidget(new QLabel(QStringLiteral("% 时，自动停机"), overload));

    auto* channels = new QWidget(pages);
    auto* channelColumn = new QVBoxLayout(channels);
    const auto checkBox = [channels, channelColumn](const QString& name, const QString& caption) {
        auto* box = new QCheckBox(caption, channels);
        box->setObjectName(name);
        channelColumn->addWidget(box);
        return box;
    };
    m_loadReversed = checkBox(QStringLiteral("CheckBox_load"), QStringLiteral("负荷信号反向"));
    m_displacementReversed = checkBox(QStringLiteral("CheckBox_wy"), QStringLiteral("位移信号反向"));
    m_motorReversed = checkBox(QStringLiteral("CheckBox_dj"), QStringLiteral("电机信号反向"));
    pages->addTab(channels, QStringLiteral("信号通道设置"));

    auto* gearChange = new QWidget(pages);
    auto* condition = new QGroupBox(QStringLiteral("换档条件"), gearChange);
    auto* conditionGrid = new QGridLayout(condition);
    m_manualGear = new QRadioButton(QStringLiteral("手动换档"), condition);
    m_manualGear->setObjectName(QStringLiteral("manual_RadioBox"));
    m_manualGear->setChecked(true);
    m_autoGear = new QRadioButton(QStringLiteral("自动换档"), condition);
    m_autoGear->setObjectName(QStringLiteral("auto_RadioBox"));
    m_gearChangePercent = combo(QStringLiteral("change_gear_Com"), numbers(90, 99), condition);
    m_gearChangeBefore = new QLabel(QStringLiteral("达到当前量程的"), condition);
    m_gearChangeAfter = new QLabel(QStringLiteral("%"), condition);
    conditionGrid->addWidget(m_manualGear, 0, 0);
    conditionGrid->addWidget(m_autoGear, 1, 0);
    conditionGrid->addWidget(m_gearChangeBefore, 1, 1);
    conditionGrid->addWidget(m_gearChangePercent, 1, 2);
    conditionGrid->addWidget(m_gearChangeAfter, 1, 3);
    auto* zeroDifference = new QGroupBox(QStringLiteral("档位零位差"), gearChange);
    m_zeroDifference = edit(QStringLiteral("ED_Zero_Poor"), zeroDifference);
    filterNumberKeys(m_zeroDifference, NumberKeys::SignedWhole);
    (new QHBoxLayout(zeroDifference))->addWidget(m_zeroDifference);
    auto* gearChangeColumn = new QVBoxLayout(gearChange);
    gearChangeColumn->addWidget(condition);
    gearChangeColumn->addWidget(zeroDifference);
    pages->addTab(gearChange, QStringLiteral("换档设置"));

    m_save = new QPushButton(kSaveButton, this);
    m_save->setObjectName(QStringLiteral("button_save"));
    m_save->setAutoDefault(false);
    m_close = new QPushButton(QStringLiteral("关闭"), this);
    m_close->setObjectName(QStringLiteral("bsSkinSpeedButton3"));
    m_close->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_save);
    buttons->addWidget(m_close);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pages);
    layout->addLayout(buttons);
}

void TF_hardset::fill(const HardwareSettings& s) {
    m_read = s;
    // An index the list does not have shows nothing and is written back as it was read.
    m_machineStyle->setCurrentIndex(
        s.machineStyle >= 0 && s.machineStyle < m_machineStyle->count() ? s.machineStyle : -1);
    select(m_cardName, s.cardName);
    select(m_loadMax, s.loadMax);
    select(m_loadUnits, s.loadUnits);
    select(m_gearCount, s.gearTotal);
    for (int g = 0; g < kHardwareGears; ++g) {
        select(m_magnification[g], s.magnification[size_t(g)]);
        select(m_gearDecimals[g], s.gearDecimals[size_t(g)]);
    }
    select(m_gearChangePercent, s.autoGearPercent);
    (s.autoGear ? m_autoGear : m_manualGear)->setChecked(true);
    showAutoGear();
    m_overloadProportion->setText(s.overloadProportion);
    m_zeroDifference->setText(s.zeroDifference);
    m_coderPulse->setText(s.coderPulses);
    m_screwPitch->setText(s.screwPitch_mm);
    m_displacementCoefficient->setText(s.displacementCoefficient);
    select(m_displacementDecimals, s.displacementDecimals);
    m_loadReversed->setChecked(s.loadReversed);
    m_displacementReversed->setChecked(s.displacementReversed);
    m_motorReversed->setChecked(s.motorReversed);
}

HardwareSettings TF_hardset::collect() const {
    HardwareSettings s;
    s.machineStyle =
        m_machineStyle->currentIndex() >= 0 ? m_machineStyle->currentIndex() : m_read.machineStyle;
    s.cardName = m_cardName->currentText();
    s.loadMax = m_loadMax->currentText();
    s.loadUnits = m_loadUnits->currentText();
    s.gearTotal = m_gearCount->currentText();
    for (int g = 0; g < kHardwareGears; ++g) {
        s.magnification[size_t(g)] = m_magnification[g]->currentText();
        s.gearDecimals[size_t(g)] = m_gearDecimals[g]->currentText();
    }
    s.autoGearPercent = m_gearChangePercent->currentText();
    s.autoGear = m_autoGear->isChecked();
    s.overloadProportion = m_overloadProportion->text();
    s.zeroDifference = m_zeroDifference->text();
    s.coderPulses = m_coderPulse->text();
    s.screwPitch_mm = m_screwPitch->text();
    s.displacementCoefficient = m_displacementCoefficient->text();
    s.displacementDecimals = m_displacementDecimals->currentText();
    s.loadReversed = m_loadReversed->isChecked();
    s.displacementReversed = m_displacementReversed->isChecked();
    s.motorReversed = m_motorReversed->isChecked();
    return s;
}

void TF_hardset::markChanged() {
    m_save->setEnabled(true);
}

void TF_hardset::showAutoGear() {
    const bool automatic = m_autoGear->isChecked();
    for (QWidget* w :
         std::initializer_list<QWidget*>{m_gearChangePercent, m_gearChangeBefore, m_gearChangeAfter})
        w->setEnabled(automatic);
}

void TF_hardset::checkOverloadProportion() {
    const QString text = m_overloadProportion->text();
    if (text.isEmpty()) return;
    const std::optional<double> proportion = readFloat(text);
    if (proportion && *proportion > kHighestOverloadProportion) {
        prompts().message(kOverloadOutOfRange);
        m_overloadProportion->setText(kDefaultOverload);
    }
}

void TF_hardset::convertCoefficient() {
    if (m_coderPulse->text().isEmpty()) {
        prompts().message(kNoPulses);
        m_coderPulse->setFocus();
        return;
    }
    if (m_screwPitch->text().isEmpty()) {
        prompts().message(kNoPitch);
        m_screwPitch->setFocus();
        return;
    }
    QString error;
    const std::optional<double> pulses = readFloat(m_coderPulse->text(), &error);
    const std::optional<double> pitch = pulses ? readFloat(m_screwPitch->text(), &error) : std::nullopt;
    if (!pulses || !pitch) {
        prompts().message(error, kPromptCaption, PromptIcon::Stop);
        (pulses ? m_screwPitch : m_coderPulse)->setFocus();
        return;
    }
    const std::optional<double> perEdge_mm = displacementPerEdge_mm(*pulses, *pitch);
    if (!perEdge_mm) {
        prompts().message(kZeroPulses);
        m_coderPulse->setFocus();
        return;
    }
    m_displacementCoefficient->setText(QString::number(*perEdge_mm, 'f', QLocale::FloatingPointShortest));
    markChanged();
}

void TF_hardset::showField(const QString& key) {
    QWidget* field = nullptr;
    if (key.compare(QLatin1String("Max_Range"), Qt::CaseInsensitive) == 0) field = m_loadMax;
    if (key.compare(QLatin1String("Gear_Total"), Qt::CaseInsensitive) == 0) field = m_gearCount;
    if (key.compare(QLatin1String("Overload_proportion"), Qt::CaseInsensitive) == 0)
        field = m_overloadProportion;
    if (key.compare(QLatin1String("zero_poor"), Qt::CaseInsensitive) == 0) field = m_zeroDifference;
    if (key.compare(QLatin1String("coder_pulse"), Qt::CaseInsensitive) == 0) field = m_coderPulse;
    if (key.compare(QLatin1String("screws"), Qt::CaseInsensitive) == 0) field = m_screwPitch;
    if (key.compare(QLatin1String("coefficient"), Qt::CaseInsensitive) == 0)
        field = m_displacementCoefficient;
    if (key.compare(QLatin1String("Decimal_Places"), Qt::CaseInsensitive) == 0)
        field = m_displacementDecimals;
    for (int g = 1; g <= kHardwareGears; ++g) {
        const QString gear = QStringLiteral("Gear") + QString::number(g);
        if (key.compare(gear + QLatin1String("_Magnification"), Qt::CaseInsensitive) == 0)
            field = m_magnification[g - 1];
        if (key.compare(gear + QLatin1String("_Decimal_Places"), Qt::CaseInsensitive) == 0)
            field = m_gearDecimals[g - 1];
    }
    if (!field) return;
    auto* pages = findChild<QTabWidget*>();
    for (int i = 0; i < pages->count(); ++i)
        if (pages->widget(i)->isAncestorOf(field)) pages->setCurrentIndex(i);
    field->setFocus();
}

bool TF_hardset::save() {
    const HardwareSettings settings = collect();
    // Refused before the question: there is no point in asking to save what cannot describe a machine.
    if (const std::optional<HardwareSettings::Problem> problem = settings.problem()) {
        prompts().message(problem->message, kPromptCaption, PromptIcon::Stop);
        showField(problem->key);
        return false;
    }
    if (!prompts().question(kSaveQuestion, kPromptCaption, PromptIcon::Question)) return false;
    QString error;
    bool written = false;
    auditedSave(m_applicationFolder, hardwareSettingsFile(m_applicationFolder),
                [&] { written = settings.write(m_applicationFolder, &error); });
    if (!written) {
        // The window stays open with the operator's entries, to be saved once the disk takes them.
        prompts().message(kSaveFailed + QLatin1Char('\n') + error, kPromptCaption, PromptIcon::Stop);
        return false;
    }
    m_save->setEnabled(false);
    prompts().message(kSaved);
    accept();
    return true;
}

void TF_hardset::closeWindow() {
    if (m_save->isEnabled()) {
        save();
        return;
    }
    reject();
}

}  // namespace springtest
