#include "platform/Prompts.h"
#include "storage/Batch.h"
#include "storage/Database.h"
#include "storage/Schema.h"
#include "storage/Schemes.h"
#include "support/SchemeEditorRig.h"
#include "windows/common/FindByName.h"
#include "windows/editor/TFtest_set_HXGD.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QRadioButton>
#include <QTableWidget>
#include <QtTest>

#include <memory>

using namespace springtest;
using springtest::testing::SchemeEditorRig;
using State = TFtest_set_HXGD::EditorState;

namespace {

StandardScheme lateralScheme(const QString& name, const QString& style, bool axial, int strokes,
                             const QStringList& values) {
    StandardScheme s;
    s.scheme_name = name;
    s.scheme_style = style;
    s.scheme_jh = strokes;
    s.scheme_load = "1";
    s.scheme_sum = QString::number(values.size());
    s.scheme_type = axial;
    for (int k = 0; k < values.size(); ++k) s.points[static_cast<size_t>(k)] = {values[k], "0", "0"};
    return s;
}

// A lateral-stiffness machine's application folder with its scheme database and batch template, and the
// lateral editor on it.
struct LateralEditorRig : SchemeEditorRig<TFtest_set_HXGD, StandardScheme> {
    explicit LateralEditorRig(const QList<StandardScheme>& schemes = {}) : SchemeEditorRig(5, schemes) {}

    QRadioButton* axial() const { return get<QRadioButton>("yx_RadioBox"); }
    QRadioButton* lateral() const { return get<QRadioButton>("lx_RadioBox"); }
    QComboBox* style() const { return get<QComboBox>("scheme_style_com"); }
    void newScheme(const QString& name) const {
        setName(name);
        click("New_scheme_button");
    }
    void fillValues(const QStringList& values) const {
        get<QComboBox>("scheme_sum_com")->setEditText(QString::number(values.size()));
        for (int k = 0; k < values.size(); ++k) table()->item(k + 1, 1)->setText(values[k]);
    }
    std::optional<StandardScheme> stored(const QString& name) const {
        return loadStandardScheme(schemeDatabasePath(app.path()), name);
    }
};

}  // namespace

class TestLateralSchemeEditor : public QObject {
    Q_OBJECT
private slots:
    void opensOnTheStandardSchemesWithAxialChosen();
    void saveStoresTheKind_data();
    void saveStoresTheKind();
    void styleOffersTheLateralKind_data();
    void styleOffersTheLateralKind();
    void lateralLocksSolidHeight();
    void check_data();
    void check();
    void viewShowsTheStoredKindAndStrokes_data();
    void viewShowsTheStoredKindAndStrokes();
    void newBatchGoesToTheLateralFolder();
    void screenshot();
};

void TestLateralSchemeEditor::opensOnTheStandardSchemesWithAxialChosen() {
    LateralEditorRig rig(
        {lateralScheme("A1", "0", true, 1, {"40"}), lateralScheme("L1", "1", false, 2, {"2"})});
    LeafSpringScheme leaf;
    leaf.scheme_name = "G1";
    QVERIFY(insertScheme(schemeDatabasePath(rig.app.path()), leaf));
    rig.editor = std::make_unique<TFtest_set_HXGD>(rig.app.path(), "N");

    QCOMPARE(rig.editor->objectName(), QString("TFtest_set_HXGD"));
    QCOMPARE(rig.editor->windowTitle(), QString("试验设置"));
    auto* names = rig.get<QComboBox>("scheme_name_com");
    QCOMPARE(names->count(), 2);
    QCOMPARE(names->itemText(1), QString("L1"));
    QCOMPARE(rig.get<QLabel>("bsSkinLabel20")->text(), QString("N"));

    rig.editor->show();
    rig.newScheme("N1");
    QCOMPARE(rig.axial()->text(), QString("轴向"));
    QCOMPARE(rig.lateral()->text(), QString("横向"));
    QVERIFY(rig.axial()->isChecked());
    QVERIFY(!rig.get<QCheckBox>("scheme_jh_checkradiobox")->isChecked());
    for (const char* hidden : {"scheme_jh_checkradiobox", "YB_CheckBox"})
        QVERIFY2(!rig.get(hidden)->isVisible(), hidden);
    QVERIFY(rig.get("scheme_gangdu_max_edit")->isVisible());
}

void TestLateralSchemeEditor::saveStoresTheKind_data() {
    QTest::addColumn<int>("style");
    QTest::addColumn<QStringList>("clicks");  // the radio buttons chosen in turn, after the style
    QTest::addColumn<bool>("schemeType");
    QTest::addColumn<int>("strokes");
    QTest::newRow("axial as opened") << 1 << QStringList{} << true << 1;
    QTest::newRow("lateral") << 1 << QStringList{"lx_RadioBox"} << false << 2;
    QTest::newRow("lateral, loads given") << 3 << QStringList{"lx_RadioBox"} << false << 2;
    QTest::newRow("lateral, then axial again") << 3 << QStringList{"lx_RadioBox", "yx_RadioBox"} << true << 1;
    QTest::newRow("axial, displacement style") << 0 << QStringList{} << true << 1;
}

void TestLateralSchemeEditor::saveStoresTheKind() {
    QFETCH(int, style);
    QFETCH(QStringList, clicks);
    QFETCH(bool, schemeType);
    QFETCH(int, strokes);
    LateralEditorRig rig;
    rig.newScheme("N1");
    rig.style()->setCurrentIndex(style);
    for (const QString& radio : clicks) rig.get<QRadioButton>(qPrintable(radio))->click();
    rig.fillValues({"40", "35"});
    rig.click("save_scheme_button");
    QCOMPARE(rig.prompts.messages(), QStringList{"方案保存成功!!"});
    const auto s = rig.stored("N1");
    QVERIFY(s);
    QCOMPARE(s->scheme_type, schemeType);
    QCOMPARE(s->scheme_jh, strokes);
    QCOMPARE(s->scheme_style, QString::number(style));
}

void TestLateralSchemeEditor::styleOffersTheLateralKind_data() {
    QTest::addColumn<QList<int>>("styles");  // chosen in turn, with "横向" chosen whenever it is offered
    QTest::addColumn<bool>("offered");
    QTest::addColumn<bool>("lateralChosen");
    QTest::newRow("位移-负荷 as opened") << QList<int>{} << false << false;
    QTest::newRow("变形-负荷") << QList<int>{1} << true << true;
    QTest::newRow("负荷-变形") << QList<int>{3} << true << true;
    QTest::newRow("负荷-位移") << QList<int>{2} << false << false;
    // A lateral choice the new style refuses falls back to axial rather than stay chosen but locked.
    QTest::newRow("变形-负荷, then 位移-负荷") << QList<int>{1, 0} << false << false;
    QTest::newRow("位移-负荷, then 变形-负荷 again") << QList<int>{1, 0, 1} << true << true;
    QTest::newRow("负荷-变形, then 负荷-位移") << QList<int>{3, 2} << false << false;
}

void TestLateralSchemeEditor::styleOffersTheLateralKind() {
    QFETCH(QList<int>, styles);
    QFETCH(bool, offered);
    QFETCH(bool, lateralChosen);
    LateralEditorRig rig;
    rig.newScheme("N1");
    for (int style : styles) {
        rig.style()->setCurrentIndex(style);
        if (rig.lateral()->isEnabled()) rig.lateral()->click();
    }
    QCOMPARE(rig.lateral()->isEnabled(), offered);
    QVERIFY(rig.axial()->isEnabled());
    QCOMPARE(rig.lateral()->isChecked(), lateralChosen);
    QCOMPARE(rig.axial()->isChecked(), !lateralChosen);
    // The hidden return stroke always follows the kind chosen.
    QCOMPARE(rig.get<QCheckBox>("scheme_jh_checkradiobox")->isChecked(), lateralChosen);
}

void TestLateralSchemeEditor::lateralLocksSolidHeight() {
    LateralEditorRig rig;
    rig.newScheme("N1");
    rig.style()->setCurrentIndex(1);
    auto* solid = rig.get<QCheckBox>("YB_CheckBox");
    solid->setChecked(true);
    rig.lateral()->click();
    QVERIFY(!solid->isEnabled());
    QVERIFY(!solid->isChecked());
    rig.axial()->click();
    QVERIFY(solid->isEnabled());
    rig.lateral()->click();
    rig.fillValues({"2"});
    rig.click("save_scheme_button");
    QVERIFY(!rig.stored("N1")->scheme_yb);
}

void TestLateralSchemeEditor::check_data() {
    QTest::addColumn<int>("style");
    QTest::addColumn<bool>("lateral");
    QTest::addColumn<QStringList>("values");
    QTest::addColumn<QString>("message");
    const QString pass = "输入信息验证无误!!";
    const QString row2 = "第2点输入信息错误，请检查后重新输入!!";
    QTest::newRow("axial heights fall") << 0 << false << QStringList{"40", "35", "30"} << pass;
    QTest::newRow("axial heights rise") << 0 << false << QStringList{"30", "35"} << row2;
    QTest::newRow("axial deformations rise") << 1 << false << QStringList{"3", "5"} << pass;
    QTest::newRow("axial deformations fall") << 1 << false << QStringList{"5", "3"} << row2;
    QTest::newRow("lateral deformations rise") << 1 << true << QStringList{"3", "5"} << pass;
    QTest::newRow("lateral deformations fall") << 1 << true << QStringList{"5", "3"} << row2;
    QTest::newRow("lateral loads equal") << 3 << true << QStringList{"100", "100"} << pass;
}

void TestLateralSchemeEditor::check() {
    QFETCH(int, style);
    QFETCH(bool, lateral);
    QFETCH(QStringList, values);
    QFETCH(QString, message);
    LateralEditorRig rig;
    rig.newScheme("N1");
    rig.style()->setCurrentIndex(style);
    if (lateral) rig.lateral()->click();
    rig.fillValues(values);
    rig.click("bsSkinButton1");
    QCOMPARE(rig.prompts.messages(), QStringList{message});
}

void TestLateralSchemeEditor::viewShowsTheStoredKindAndStrokes_data() {
    QTest::addColumn<QString>("style");
    QTest::addColumn<bool>("axial");
    QTest::addColumn<int>("strokes");
    QTest::newRow("axial") << "0" << true << 1;
    QTest::newRow("lateral") << "3" << false << 2;
    // Strokes another program chose otherwise than the kind are shown, and kept by a change, as stored.
    QTest::newRow("lateral measured forward only") << "1" << false << 1;
    QTest::newRow("axial with its return stroke") << "1" << true << 2;
}

void TestLateralSchemeEditor::viewShowsTheStoredKindAndStrokes() {
    QFETCH(QString, style);
    QFETCH(bool, axial);
    QFETCH(int, strokes);
    LateralEditorRig rig({lateralScheme("S1", style, axial, strokes, {"1", "2"})});
    rig.setName("S1");
    rig.click("view_scheme_button");
    QCOMPARE(rig.prompts.messages(), QStringList{});
    QCOMPARE(rig.editor->state(), State::Viewing);
    QCOMPARE(rig.axial()->isChecked(), axial);
    QCOMPARE(rig.lateral()->isChecked(), !axial);
    QCOMPARE(rig.get<QCheckBox>("scheme_jh_checkradiobox")->isChecked(), strokes == 2);

    rig.click("edit_scheme_button");
    rig.table()->item(2, 1)->setText("2.5");
    rig.click("save_scheme_button");
    const auto s = rig.stored("S1");
    QCOMPARE(s->points[1].value, QString("2.5"));
    QCOMPARE(s->scheme_type, axial);
    QCOMPARE(s->scheme_jh, strokes);
}

void TestLateralSchemeEditor::newBatchGoesToTheLateralFolder() {
    LateralEditorRig rig({lateralScheme("L1", "1", false, 2, {"2", "4"})});
    rig.get<QComboBox>("batch_name_Combo")->setEditText("B5");
    rig.setName("L1");
    rig.click("New_batch_button");
    QCOMPARE(rig.prompts.messages(), QStringList{"批次数据库建立完成!!"});
    const QString path = batchDatabasePath(rig.app.path(), BatchKind::Lateral, "B5");
    QVERIFY(path.contains("database_HXGD"));
    const auto copied = loadStandardScheme(path, "L1");
    QVERIFY(copied);
    QVERIFY(!copied->scheme_type);
    QCOMPARE(copied->scheme_jh, 2);
    QVERIFY(!QFileInfo::exists(batchDatabasePath(rig.app.path(), BatchKind::Standard, "B5")));
}

// The README's picture of the editor, taken when SPRINGTEST_SCREENSHOTS names a folder.
void TestLateralSchemeEditor::screenshot() {
    const QString folder = qEnvironmentVariable("SPRINGTEST_SCREENSHOTS");
    if (folder.isEmpty()) QSKIP("SPRINGTEST_SCREENSHOTS names no folder");
    StandardScheme s = lateralScheme("横向推力", "3", false, 2, {"50", "100", "150"});
    s.points[1] = {"100", "5.2", "4.8"};
    LateralEditorRig rig({s});
    rig.editor->show();
    rig.setName("横向推力");
    rig.click("view_scheme_button");
    QVERIFY(rig.editor->grab().save(QDir(folder).filePath("lateral-scheme-editor.png")));
}

QTEST_MAIN(TestLateralSchemeEditor)
#include "tst_lateral_scheme_editor.moc"
