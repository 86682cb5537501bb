#include "windows/console/TF_datashow.h"

#include "measurement/TDisplacement.h"
#include "measurement/Tload.h"
#include "platform/NumberFormat.h"
#include "platform/OperatorTexts.h"
#include "platform/Prompts.h"
#include "sequencer/TTestStyle.h"
#include "session/CalibrationStatus.h"
#include "session/SettingsAuditing.h"
#include "windows/common/WindowTexts.h"
#include "windows/console/ConsoleContext.h"
#include "windows/console/PanelWidgets.h"

#include <QButtonGroup>
#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace springtest {

namespace {

constexpr int kRefreshInterval_ms = 100;
constexpr int kConsoleWidth_px = 1056;
// The lateral control panel is 240 px wider than the standard one: its grid has nine columns to show whole.
constexpr int kLateralConsoleWidth_px = kConsoleWidth_px + 240;
constexpr int kGearPanelWidth_px = 372;
constexpr int kGearPanelHeight_px = 26;

const QString kAutoGearOn = QStringLiteral("自动换档");  // the caption names what the next click selects
const QString kAutoGearOff = QStringLiteral("手动换档");

const char* const kStyle = R"(
springtest--TF_datashow { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #e9eff5, stop:1 #c9d5e1); }
QFrame#DataBlock { background: #f4f7fa; border: 1px solid #8da2b8; border-radius: 4px; }
QLabel[role="title"] { color: #1d3550; font-size: 11pt; font-weight: bold; }
QLabel[role="figure"] { background: #0b1a0b; color: #32ff5a; border: 2px inset #5a6b7c; border-radius: 3px;
                        font-family: "DejaVu Sans Mono"; font-size: 24pt; font-weight: bold; padding: 0 8px; }
QLabel[role="rowTitle"] { color: #1d3550; font-size: 9pt; font-weight: bold; }
QLabel[role="rowFigure"] { background: #0b1a0b; color: #32ff5a; border: 1px inset #5a6b7c; border-radius: 2px;
                           font-family: "DejaVu Sans Mono"; font-size: 13pt; font-weight: bold; padding: 0 6px; }
QLabel[role="peak"] { background: #0b1a0b; color: #ffd23c; border: 2px inset #5a6b7c; border-radius: 3px;
                      font-family: "DejaVu Sans Mono"; font-size: 14pt; font-weight: bold; padding: 0 6px; }
QToolButton { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #fdfdfd, stop:1 #d6dee7);
              border: 1px solid #7d93aa; border-radius: 3px; padding: 2px 6px; color: #12263c; font-size: 10pt; }
QToolButton:hover { background: #e8f2fc; }
QToolButton:checked, QToolButton:pressed { background: #2f6fb0; color: white; border-color: #1d4a78; }
)";

QLabel* figure(QWidget* parent, const char* name, const char* text, const char* role) {
    QLabel* label = makeLabel(parent, QString::fromLatin1(name), QString::fromUtf8(text));
    label->setProperty("role", QString::fromLatin1(role));
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

QLabel* title(QWidget* parent, const char* name, const QString& text) {
    QLabel* label = makeLabel(parent, QString::fromLatin1(name), text);
    label->setProperty("role", QStringLiteral("title"));
    return label;
}

QFrame* block(QWidget* parent) {
    auto* frame = new QFrame(parent);
    frame->setObjectName(QStringLiteral("DataBlock"));
    return frame;
}

// "Name  (unit)", as every channel title reads.
QString channelTitle(const QString& name, const QString& units) {
    return name + QStringLiteral("  (") + units + ')';
}

}  // namespace

TF_datashow::TF_datashow(ConsoleContext& ctx, int card, QWidget* parent)
    : TF_datashow(ctx, card, Variant::Standard, parent) {}

TF_datashow::TF_datashow(ConsoleContext& ctx, int card, Variant variant, QWidget* parent)
    : QWidget(parent), m_ctx(ctx), m_card(card), m_variant(variant) {
    setProperty("tag", card);
    // The lateral panel is opened and closed by the operator; the others sit fixed under the strip.
    if (variant != Variant::Lateral) setWindowFlag(Qt::FramelessWindowHint);
    buildWindow();
    FormShow();

    m_timer = new QTimer(this);
    m_timer->setObjectName(QStringLiteral("Timer1"));
    m_timer->setInterval(kRefreshInterval_ms);
    connect(m_timer, &QTimer::timeout, this, &TF_datashow::refresh);
    m_timer->start();
}

TF_datashow::~TF_datashow() = default;

CardSlot& TF_datashow::slot() const {
    return m_ctx.cards.cards[static_cast<size_t>(m_card)];
}

void TF_datashow::buildWindow() {
    setObjectName(QStringLiteral("F_datashow"));
    setStyleSheet(QString::fromUtf8(kStyle));
    setAttribute(Qt::WA_StyledBackground);

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(4, 4, 4, 4);
    row->setSpacing(4);
    row->addWidget(buildLoadBlock(), 10);
    row->addWidget(buildDeformationBlock(), 6);
    row->addWidget(m_variant == Variant::Lateral ? buildAxesBlock() : buildDisplacementBlock(), 7);
    // As wide as the narrow curve window and the control panel beside it, which it sits above; the lateral
    // machine's control panel is wider.
    setFixedSize(m_variant == Variant::Axial ? kLateralConsoleWidth_px : kConsoleWidth_px, 124);
}

QWidget* TF_datashow::buildLoadBlock() {
    QFrame* frame = block(this);
    auto* column = new QVBoxLayout(frame);
    column->setContentsMargins(6, 4, 6, 4);
    column->setSpacing(3);

    auto* head = new QHBoxLayout;
    m_loadTitle = title(frame, "bsSkinLabel3", QStringLiteral("负  荷"));
    head->addWidget(m_loadTitle);
    head->addStretch();
    m_gearPanel = new QWidget(frame);
    m_gearPanel->setObjectName(QStringLiteral("GearPanel"));
    m_gearPanel->setFixedSize(kGearPanelWidth_px, kGearPanelHeight_px);
    m_gearGroup = new QButtonGroup(this);
    m_gearGroup->setExclusive(true);
    for (int k = 0; k < kGearButtonCount; ++k) {
        QToolButton* button =
            makeGroupButton(m_gearPanel, m_gearGroup, QStringLiteral("LoadGear%1_Button").arg(k + 1),
                            QStringLiteral("100000"));
        m_gearButtons[static_cast<size_t>(k)] = button;
        connect(button, &QToolButton::clicked, this, [this, button] { onGearButton(button); });
    }
    head->addWidget(m_gearPanel);
    column->addLayout(head);

    auto* figures = new QHBoxLayout;
    figures->setSpacing(4);
    m_load = figure(frame, "load_label", "0.0000", "figure");
    m_load->installEventFilter(this);
    figures->addWidget(m_load, 3);
    auto* peakColumn = new QVBoxLayout;
    peakColumn->setSpacing(1);
    peakColumn->addWidget(title(frame, "PeakTitle", QStringLiteral(" 峰值")));
    m_peak = figure(frame, "LoadPeak_Label", "0.000", "peak");
    peakColumn->addWidget(m_peak);
    figures->addLayout(peakColumn, 2);

    auto* buttons = new QVBoxLayout;
    buttons->setSpacing(2);
    m_autoGearButton = makeSpeedButton(frame, QStringLiteral("Autogear_button"), kAutoGearOn,
                                       QStringLiteral("自动换档前必须对每个档位进行清零！！"));
    QToolButton* clearLoad = makeSpeedButton(frame, QStringLiteral("ClearLoad_Button"),
                                             QStringLiteral("负荷清零"), QStringLiteral("负荷清零"));
    QToolButton* clearPeak = makeSpeedButton(frame, QStringLiteral("ClearPeak_Button"),
                                             QStringLiteral("峰值清零"), QStringLiteral("峰值清零"));
    for (QToolButton* b : {m_autoGearButton, clearLoad, clearPeak}) {
        b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
        buttons->addWidget(b);
    }
    figures->addLayout(buttons, 1);
    column->addLayout(figures, 1);

    connect(m_autoGearButton, &QToolButton::clicked, this, &TF_datashow::onAutoGear);
    connect(clearLoad, &QToolButton::clicked, this, &TF_datashow::onClearLoad);
    connect(clearPeak, &QToolButton::clicked, this, &TF_datashow::onClearPeak);
    return frame;
}

QWidget* TF_datashow::buildAxesBlock() {
    QFrame* frame = block(this);
    auto* grid = new QGridLayout(frame);
    grid->setContentsMargins(6, 2, 6, 2);
    grid->setVerticalSpacing(1);
    struct RowNames {
        int card;
        const char* title;
        const char* figure;
        const char* clear;
    };
    const RowNames rows[] = {{1, "bsSkinLabel5", "Displacement_Label", "ClearDisplacement_Button"},
                             {3, "bsSkinLabel1", "Displacement3_Label", "bsSkinSpeedButton2"},
                             {2, "bsSkinLabel2", "Displacement2_Label", "bsSkinSpeedButton5"}};
    for (int r = 0; r < 3; ++r) {
        const RowNames& names = rows[r];
        AxisRow& row = m_axes[static_cast<size_t>(r)];
        row.card = names.card;
        row.title = title(frame, names.title, QString());
        row.title->setProperty("role", QStringLiteral("rowTitle"));
        row.figure = figure(frame, names.figure, "0.0000", "rowFigure");
        QToolButton* clear = makeSpeedButton(frame, QString::fromLatin1(names.clear), QStringLiteral("清零"),
                                             QStringLiteral("位移清零"));
        grid->addWidget(row.title, r, 0);
        grid->addWidget(row.figure, r, 1);
        grid->addWidget(clear, r, 2);
        const int card = names.card;
        connect(clear, &QToolButton::clicked, this, [this, card] { onClearAxis(card); });
    }
    grid->setColumnStretch(1, 1);
    m_displacementTitle = m_axes[0].title;
    return frame;
}

QWidget* TF_datashow::buildDeformationBlock() {
    QFrame* frame = block(this);
    auto* column = new QVBoxLayout(frame);
    column->setContentsMargins(6, 4, 6, 4);
    column->setSpacing(3);
    auto* head = new QHBoxLayout;
    m_deformationTitle = title(frame, "bsSkinLabel4", QStringLiteral("变  形"));
    head->addWidget(m_deformationTitle);
    head->addStretch();
    QToolButton* clear =
        makeSpeedButton(frame, QStringLiteral("ClearDeform_Button"), QStringLiteral("清  零"));
    head->addWidget(clear);
    column->addLayout(head);
    m_deformation = figure(frame, "Deform_Label", "0.0000", "figure");
    column->addWidget(m_deformation, 1);
    connect(clear, &QToolButton::clicked, this, &TF_datashow::onClearDeformation);
    return frame;
}

QWidget* TF_datashow::buildDisplacementBlock() {
    QFrame* frame = block(this);
    auto* column = new QVBoxLayout(frame);
    column->setContentsMargins(6, 4, 6, 4);
    column->setSpacing(3);
    auto* head = new QHBoxLayout;
    m_displacementTitle = title(frame, "bsSkinLabel5", QStringLiteral("位  移"));
    head->addWidget(m_displacementTitle);
    head->addStretch();
    QToolButton* preset =
        makeSpeedButton(frame, QStringLiteral("bsSkinSpeedButton11"), QStringLiteral("置  位"));
    QToolButton* clear = makeSpeedButton(frame, QStringLiteral("ClearDisplacement_Button"),
                                         QStringLiteral("位移清零"), QStringLiteral("位移清零"));
    m_directionButton = makeSpeedButton(frame, QStringLiteral("TestDirection_Speed"), kCompressionDirection,
                                        QStringLiteral("位移试验方向切换"));
    for (QToolButton* b : {preset, clear, m_directionButton}) head->addWidget(b);
    column->addLayout(head);
    m_displacement = figure(frame, "Displacement_Label", "0.0000", "figure");
    column->addWidget(m_displacement, 1);

    connect(preset, &QToolButton::clicked, this, &TF_datashow::onPresetDisplacement);
    connect(clear, &QToolButton::clicked, this, &TF_datashow::onClearDisplacement);
    connect(m_directionButton, &QToolButton::clicked, this, &TF_datashow::onDirection);
    return frame;
}

void TF_datashow::FormShow() {
    if (m_variant == Variant::Lateral) setWindowTitle(QStringLiteral("横向数据显示窗口"));
    CardSlot& s = slot();
    if (s.load) {
        layoutGearButtons(s.load->gearTotal());
        m_loadTitle->setText(channelTitle(s.load->Name(), s.load->Units()));
        onGearChanged();  // the gear the channel starts in
    }
    if (m_variant == Variant::Lateral) {
        showAxisTitles();
    } else if (s.displacement) {
        const QString& name = s.displacement->Name();
        const QString& units = s.displacement->Units();
        m_displacementTitle->setText(channelTitle(name, units));
        if (name == kDisplacementName)
            m_deformationTitle->setText(QStringLiteral("变形  (") + units + ')');
        else if (name == QStringLiteral("转角"))
            m_deformationTitle->setText(QStringLiteral("扭角  (") + units + ')');
    }
    switch (m_variant) {
        case Variant::Standard:
            // The hydraulic machines set the direction by their fixtures, not by the operator.
            if (m_ctx.machineType == 2 || m_ctx.machineType == 3) m_directionButton->hide();
            break;
        case Variant::Axial:
            // The lateral machine tests in one direction and changes gears only when told.
            m_autoGearButton->hide();
            m_directionButton->hide();
            break;
        case Variant::Lateral:
            m_autoGearButton->hide();
            break;
    }
}

void TF_datashow::showAxisTitles() {
    const auto displacementOf = [this](int card) -> const TDisplacement* {
        return card < m_ctx.cards.count ? m_ctx.cards.cards[static_cast<size_t>(card)].displacement.get()
                                        : nullptr;
    };
    const QString prefixes[] = {QStringLiteral("Y轴"), QStringLiteral("X轴"), QString()};
    for (size_t r = 0; r < m_axes.size(); ++r) {
        const TDisplacement* displacement = displacementOf(m_axes[r].card);
        if (!displacement) continue;
        // The turntable's row names what it reads whatever its channel is called.
        const QString name = r == 2 ? QStringLiteral("转盘角度") : prefixes[r] + displacement->Name();
        m_axes[r].title->setText(channelTitle(name, displacement->Units()));
    }
    if (const TDisplacement* y = displacementOf(m_card)) {
        if (y->Name() == kDisplacementName)
            m_deformationTitle->setText(QStringLiteral("Y轴变形  (") + y->Units() + ')');
        else if (y->Name() == QStringLiteral("转角"))
            m_deformationTitle->setText(QStringLiteral("扭角  (") + y->Units() + ')');
    }
}

void TF_datashow::layoutGearButtons(int gearCount) {
    std::array<int, kGearButtonCount> decimals{};
    double fullRange = 0.0;
    if (const Tload* load = slot().load.get()) {
        fullRange = load->fullRange();
        for (int k = 0; k < kGearButtonCount; ++k)
            decimals[static_cast<size_t>(k)] = load->GetGearRecord(k + 1).decimals;
    }
    const GearButtonRow row = gearButtonRow(gearCount, fullRange, decimals);
    const int width = m_gearPanel->width() / row.visible;
    for (int k = 0; k < kGearButtonCount; ++k) {
        QToolButton* button = m_gearButtons[static_cast<size_t>(k)];
        button->setText(row.captions[static_cast<size_t>(k)]);
        button->setGeometry(k * width, 0, width, m_gearPanel->height());
        button->setVisible(k < row.visible);
    }
}

void TF_datashow::refresh() {
    const CardSlot& s = slot();
    const int displacementDecimals = s.displacement ? s.displacement->decimals() : 0;
    if (m_variant == Variant::Lateral) {
        for (const AxisRow& row : m_axes) {
            if (row.card >= m_ctx.cards.count) continue;
            const CardSlot& axis = m_ctx.cards.cards[static_cast<size_t>(row.card)];
            row.figure->setText(FormatByDecimals(axis.displacement ? axis.displacement->decimals() : 0,
                                                 axis.record.displacement.load(std::memory_order_relaxed)));
        }
    } else {
        m_displacement->setText(
            FormatByDecimals(displacementDecimals, s.record.displacement.load(std::memory_order_relaxed)));
    }
    m_deformation->setText(
        FormatByDecimals(displacementDecimals, s.record.deformation.load(std::memory_order_relaxed)));

    const float mean = m_ring.push(s.record.load.load(std::memory_order_relaxed));
    const int loadDecimals = s.load ? s.load->decimals() : 0;
    m_load->setText(FormatByDecimals(loadDecimals, mean));
    m_peak->setText(FormatByDecimals(loadDecimals, s.load ? s.load->peak() : 0.0f));
    reportAcquisitionFailure();
}

void TF_datashow::reportAcquisitionFailure() {
    const std::optional<QString> failure = m_ctx.acquisition.newFailure();
    if (!failure) return;
    // Without readings a test can neither capture its points nor end by itself: it stops first.
    if (m_ctx.sequencer.running()) m_ctx.sequencer.StopTest();
    prompts().message(*failure, kErrorCaption, PromptIcon::Critical);
}

void TF_datashow::onGearChanged() {
    const Tload* load = slot().load.get();
    if (!load) return;
    const int gear = load->currentGear();
    if (gear < 1 || gear > kGearButtonCount) return;
    pressButton(m_gearButtons[static_cast<size_t>(gear - 1)]);
}

void TF_datashow::onGearButton(QToolButton* button) {
    // The button's name says its gear: LoadGear<k>_Button.
    const QString name = button->objectName();
    const int gear = name.mid(8, name.indexOf('_') - 8).toInt();
    if (Tload* load = slot().load.get()) load->SelectGear(gear);
}

void TF_datashow::onClearLoad() {
    Tload* load = slot().load.get();
    if (!load) return;
    // The zero is the first point of every calibration segment: a change of it is a calibration change.
    QString error;
    bool cleared = true;
    auditedSave(load->applicationFolder(), load->channelConfigPath(),
                [&] { cleared = load->ClearLoadZero(&error); });
    if (!cleared) prompts().message(error, kErrorCaption, PromptIcon::Critical);
}

bool TF_datashow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_load && event->type() == QEvent::ToolTip) {
        const Tload* load = slot().load.get();
        m_load->setToolTip(load ? gearCalibrationText(m_ctx.applicationFolder, m_card, load->currentGear())
                                : QString());
    }
    return QWidget::eventFilter(watched, event);
}

void TF_datashow::onClearPeak() {
    if (Tload* load = slot().load.get()) load->resetPeak();
}

void TF_datashow::onClearDeformation() {
    if (TDisplacement* displacement = slot().displacement.get()) displacement->MarkDeformationZero();
}

void TF_datashow::onClearDisplacement() {
    if (!prompts().question(QStringLiteral("是否位移清零！！"))) return;
    if (TDisplacement* displacement = slot().displacement.get()) displacement->ClearDisplacement();
}

void TF_datashow::onClearAxis(int card) {
    if (!prompts().question(QStringLiteral("是否清零！！"))) return;
    if (card >= m_ctx.cards.count) return;
    if (TDisplacement* displacement = m_ctx.cards.cards[static_cast<size_t>(card)].displacement.get())
        displacement->ClearDisplacement();
}

void TF_datashow::onPresetDisplacement() {
    if (!prompts().question(QStringLiteral("是否进行位移置位！！"))) return;
    const std::optional<QString> text =
        prompts().input(QStringLiteral("位移置位"), QStringLiteral("位移值"), QString());
    if (!text) return;
    const std::optional<double> value = floatFromText(*text);
    if (!value) return;
    if (TDisplacement* displacement = slot().displacement.get())
        displacement->SetDisplacement(static_cast<float>(*value));
}

void TF_datashow::onAutoGear() {
    const bool switchOn = m_autoGearButton->text() == kAutoGearOn;
    m_autoGearButton->setText(switchOn ? kAutoGearOff : kAutoGearOn);
    if (Tload* load = slot().load.get()) load->setAutoGear(switchOn);
}

void TF_datashow::onDirection() {
    const bool toTension = m_directionButton->text() == kCompressionDirection;
    // Switching against the loaded scheme's spring kind is asked first; without a scheme it just happens.
    if (m_ctx.sequencer.hasProcedure()) {
        const bool compressionScheme = m_ctx.sequencer.scheme().scheme_type;
        if (toTension && compressionScheme &&
            !prompts().question(QStringLiteral("正在进行压簧试验，是否进行切换?")))
            return;
        if (!toTension && !compressionScheme &&
            !prompts().question(QStringLiteral("正在进行拉簧试验，是否进行切换?")))
            return;
    }
    m_directionButton->setText(toTension ? kTensionDirection : kCompressionDirection);
    if (TDisplacement* displacement = slot().displacement.get()) displacement->setSide(toTension ? -1 : 1);
}

}  // namespace springtest
