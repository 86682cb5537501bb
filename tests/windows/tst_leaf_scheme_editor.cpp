#include "platform/Prompts.h"
#include "storage/Batch.h"
#include "storage/Database.h"
#include "storage/Schema.h"
#include "storage/Schemes.h"
#include "support/SchemeEditorRig.h"
#include "windows/common/FindByName.h"
#include "windows/editor/TFtest_set_GBTH.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QtTest>

#include <memory>

using namespace springtest;
using springtest::testing::SchemeEditorRig;
using State = TFtest_set_GBTH::EditorState;

namespace {

LeafSpringScheme leafScheme(const QString& name, const QStringList& loads) {
    LeafSpringScheme s;
    s.scheme_name = name;
    s.scheme_load = "0.2";
    s.scheme_sum = QString::number(loads.size());
    for (int k = 0; k < loads.size(); ++k) s.points[static_cast<size_t>(k)] = {loads[k], "40", "30"};
    s.scheme_sdload = "5";
    s.scheme_th_height = "42";
    s.scheme_xc_height = "120";
    s.scheme_xbbj = "15";
    s.scheme_yyload = "9";
    s.scheme_returnLOAD = "12";
    return s;
}

// An application folder of the leaf-spring machine with its scheme database and batch template, and the
// editor on it; the load channel reads kN.
struct LeafEditorRig : SchemeEditorRig<TFtest_set_GBTH, LeafSpringScheme> {
    explicit LeafEditorRig(const QList<LeafSpringScheme>& schemes = {}) : SchemeEditorRig(3, schemes) {}

    void fillLoads(const QStringList& cells) const {
        get<QComboBox>("scheme_sum_com")->setEditText(QString::number(cells.size() / 3));
        for (int i = 0; i < cells.size(); ++i) table()->item(i / 3 + 1, i % 3 + 1)->setText(cells[i]);
    }
    std::optional<LeafSpringScheme> stored(const QString& name) const {
        return loadLeafSpringScheme(schemeDatabasePath(app.path()), name);
    }
    int storedCount() const { return SchemeEditorRig::storedCount(SchemeTable::LeafSpring); }
};

}  // namespace

class TestLeafSchemeEditor : public QObject {
    Q_OBJECT
private slots:
    void opensWithLeafSchemesAndLoadUnits();
    void fixedControlsStayHidden();
    void viewFollowsTheTypedName();
    void newSchemeStartsAsALoadScheme();
    void newThenSaveStoresEveryField();
    void viewFillsTheGeometry();
    void changeAfterSaveEditsAgain();
    void deleteRemovesOnlyTheLeafScheme();
    void check_data();
    void check();
    void decimalEdits_data();
    void decimalEdits();
    void setLoadIsReadAsANumber();
    void headersCannotBeEdited();
    void newBatchGoesToTheLeafFolder();
    void screenshot();
};

void TestLeafSchemeEditor::opensWithLeafSchemesAndLoadUnits() {
    LeafEditorRig rig({leafScheme("L1", {"1", "2"}), leafScheme("L2", {"3"})});
    // A standard scheme of the same database is no leaf-spring scheme.
    StandardScheme coil;
    coil.scheme_name = "C1";
    coil.scheme_sum = "1";
    QVERIFY(insertScheme(schemeDatabasePath(rig.app.path()), coil));
    rig.editor = std::make_unique<TFtest_set_GBTH>(rig.app.path(), "kN");

    QCOMPARE(rig.editor->windowTitle(), QString("试验设置"));
    QCOMPARE(rig.editor->width(), 511);
    auto* names = rig.get<QComboBox>("scheme_name_com");
    QCOMPARE(names->count(), 2);
    QCOMPARE(names->itemText(0), QString("L1"));
    QCOMPARE(names->itemText(1), QString("L2"));
    for (const char* unit : {"bsSkinLabel20", "bsSkinLabel24", "bsSkinLabel32", "bsSkinLabel34"})
        QCOMPARE(rig.get<QLabel>(unit)->text(), QString("kN"));
    QCOMPARE(rig.get<QLineEdit>("scheme_load_edit")->text(), QString("0.5"));
    QCOMPARE(rig.get<QLineEdit>("scheme_SDLOAD_edit")->text(), QString("0"));
    QCOMPARE(rig.get<QLineEdit>("scheme_th_height_Edit")->text(), QString("0.5"));
    QCOMPARE(rig.get<QLineEdit>("scheme_returnLOAD_edit")->text(), QString("0"));
    for (const char* absent : {"yx_RadioBox", "lx_RadioBox", "YB_CheckBox", "scheme_gangdu_max_edit"})
        QVERIFY(!findByName<QWidget>(rig.editor.get(), QString::fromLatin1(absent)));
}

void TestLeafSchemeEditor::fixedControlsStayHidden() {
    LeafEditorRig rig;
    rig.editor->show();
    rig.setName("N1");
    rig.click("New_scheme_button");
    for (const char* name : {"scheme_jh_checkradiobox", "bsSkinLabel11", "scheme_style_com", "bsSkinLabel18",
                             "scheme_height_edit", "bsSkinLabel21", "bsSkinGroupBox5"})
        QVERIFY2(!rig.get(name)->isVisible(), name);
    QVERIFY(rig.get("scheme_SDLOAD_edit")->isVisible());
    QCOMPARE(rig.get<QLineEdit>("scheme_height_edit")->text(), QString("0.5"));
}

void TestLeafSchemeEditor::viewFollowsTheTypedName() {
    LeafEditorRig rig({leafScheme("ABC", {"1"})});
    auto* view = rig.get("view_scheme_button");
    QVERIFY(!view->isEnabled());
    rig.setName("AB");
    QVERIFY(!view->isEnabled());
    rig.setName("ABC");
    QVERIFY(view->isEnabled());
    rig.setName("ABCD");
    QVERIFY(!view->isEnabled());
    rig.setName("abc");
    QVERIFY(!view->isEnabled());
}

void TestLeafSchemeEditor::newSchemeStartsAsALoadScheme() {
    LeafEditorRig rig;
    rig.setName("N1");
    rig.click("New_scheme_button");
    QCOMPARE(rig.prompts.messages(), QStringList{});
    QCOMPARE(rig.editor->state(), State::New);
    QCOMPARE(rig.editor->width(), 1040);
    QCOMPARE(rig.get<QComboBox>("scheme_sum_com")->currentText(), QString("3"));
    QCOMPARE(rig.get<QComboBox>("scheme_style_com")->currentIndex(), 3);
    QVERIFY(rig.get<QCheckBox>("scheme_jh_checkradiobox")->isChecked());
    QCOMPARE(rig.table()->rowCount(), 4);
    const QStringList headers{"点号", "负荷", "变形上限", "变形下限"};
    for (int c = 0; c < 4; ++c) QCOMPARE(rig.table()->item(0, c)->text(), headers[c]);
    QVERIFY(rig.tableEditable());
}

void TestLeafSchemeEditor::newThenSaveStoresEveryField() {
    LeafEditorRig rig;
    rig.setName("N1");
    rig.click("New_scheme_button");
    rig.get<QLineEdit>("scheme_load_edit")->setText("0.3");
    rig.get<QLineEdit>("scheme_SDLOAD_edit")->setText("6.5");
    rig.get<QLineEdit>("scheme_th_height_Edit")->setText("44");
    rig.get<QLineEdit>("scheme_xc_height_Edit")->setText("118");
    rig.get<QLineEdit>("scheme_xbbj_Edit")->setText("16");
    rig.get<QLineEdit>("scheme_yyLOAD_edit")->setText("9");
    rig.get<QLineEdit>("scheme_returnLOAD_edit")->setText("12");
    rig.fillLoads({"2", "40", "30", "5", "", "31", "8", "", ""});
    rig.click("save_scheme_button");
    QCOMPARE(rig.prompts.messages(), QStringList{"方案保存成功!!"});
    QCOMPARE(rig.editor->state(), State::Saved);
    QVERIFY(!rig.tableEditable());

    const auto s = rig.stored("N1");
    QVERIFY(s);
    QCOMPARE(s->scheme_style, QString("3"));
    QCOMPARE(s->scheme_jh, 2);
    QCOMPARE(s->scheme_sum, QString("3"));
    QCOMPARE(s->scheme_load, QString("0.3"));
    QCOMPARE(s->scheme_height, QString("0.5"));
    QCOMPARE(s->scheme_sdload, QString("6.5"));
    QCOMPARE(s->scheme_th_height, QString("44"));
    QCOMPARE(s->scheme_xc_height, QString("118"));
    QCOMPARE(s->scheme_xbbj, QString("16"));
    QCOMPARE(s->scheme_yyload, QString("9"));
    QCOMPARE(s->scheme_returnLOAD, QString("12"));
    QCOMPARE(s->points[0], (SchemePoint{"2", "40", "30"}));
    QCOMPARE(s->points[1], (SchemePoint{"5", "0", "31"}));
    QCOMPARE(s->points[2], (SchemePoint{"8", "0", "0"}));
    QCOMPARE(s->points[3], SchemePoint{});
    // Nothing went into the standard schemes' table.
    Database db(schemeDatabasePath(rig.app.path()));
    QCOMPARE(db.select("SELECT * FROM test_information")->size(), 0);
}

void TestLeafSchemeEditor::viewFillsTheGeometry() {
    LeafEditorRig rig({leafScheme("L4", {"1", "2", "3", "4"})});
    rig.setName("L4");
    rig.click("view_scheme_button");
    QCOMPARE(rig.prompts.messages(), QStringList{});
    QCOMPARE(rig.editor->state(), State::Viewing);
    QCOMPARE(rig.table()->rowCount(), 5);
    QCOMPARE(rig.table()->item(4, 1)->text(), QString("4"));
    QCOMPARE(rig.table()->item(2, 2)->text(), QString("40"));
    QCOMPARE(rig.get<QLineEdit>("scheme_SDLOAD_edit")->text(), QString("5"));
    QCOMPARE(rig.get<QLineEdit>("scheme_th_height_Edit")->text(), QString("42"));
    QCOMPARE(rig.get<QLineEdit>("scheme_xc_height_Edit")->text(), QString("120"));
    QCOMPARE(rig.get<QLineEdit>("scheme_xbbj_Edit")->text(), QString("15"));
    QCOMPARE(rig.get<QLineEdit>("scheme_yyLOAD_edit")->text(), QString("9"));
    QCOMPARE(rig.get<QLineEdit>("scheme_returnLOAD_edit")->text(), QString("12"));
    QVERIFY(!rig.get("bsSkinGroupBox4")->isEnabled());
    QVERIFY(!rig.tableEditable());
    QVERIFY(!rig.get("save_scheme_button")->isEnabled());
}

void TestLeafSchemeEditor::changeAfterSaveEditsAgain() {
    LeafEditorRig rig({leafScheme("L1", {"1", "2", "3"}), leafScheme("L2", {"7"})});
    rig.setName("L1");
    rig.click("view_scheme_button");
    rig.click("edit_scheme_button");
    QVERIFY(rig.tableEditable());
    rig.table()->item(3, 1)->setText("3.5");
    rig.click("save_scheme_button");
    QVERIFY(!rig.tableEditable());
    rig.click("edit_scheme_button");
    QCOMPARE(rig.editor->state(), State::Changing);
    QVERIFY(rig.tableEditable());
    rig.get<QLineEdit>("scheme_xc_height_Edit")->setText("119");
    rig.click("save_scheme_button");
    QCOMPARE(rig.prompts.messages(), (QStringList{"方案保存成功!!", "方案保存成功!!"}));
    QCOMPARE(rig.storedCount(), 2);
    QCOMPARE(rig.stored("L1")->points[2].value, QString("3.5"));
    QCOMPARE(rig.stored("L1")->scheme_xc_height, QString("119"));
    QCOMPARE(rig.stored("L2")->points[0].value, QString("7"));
}

void TestLeafSchemeEditor::deleteRemovesOnlyTheLeafScheme() {
    LeafEditorRig rig({leafScheme("L1", {"1"}), leafScheme("L2", {"2"})});
    rig.setName("L1");
    rig.click("view_scheme_button");
    rig.click("bsSkinButton2");
    QVERIFY(!rig.stored("L1"));
    QVERIFY(rig.stored("L2"));
    QCOMPARE(rig.get<QComboBox>("scheme_name_com")->count(), 1);
    QCOMPARE(rig.editor->state(), State::Idle);
}

void TestLeafSchemeEditor::check_data() {
    QTest::addColumn<QString>("count");
    QTest::addColumn<QStringList>("cells");  // load, upper, lower per row
    QTest::addColumn<QString>("message");
    const QString pass = "输入信息验证无误!!";
    const auto rowError = [](int row) { return QString("第%1点输入信息错误，请检查后重新输入!!").arg(row); };
    QTest::newRow("loads 1 2 2") << "3" << QStringList{"1", "", "", "2", "", "", "2", "", ""} << pass;
    QTest::newRow("loads 2 1") << "2" << QStringList{"2", "", "", "1", "", ""} << rowError(2);
    QTest::newRow("limits crossed") << "1" << QStringList{"1", "30", "40"} << rowError(1);
    QTest::newRow("load missing") << "2" << QStringList{"1", "", "", "", "", ""} << "数据填写不完整!!";
    QTest::newRow("no count") << "" << QStringList{} << "参数填写不完整，无法进行验证";
}

void TestLeafSchemeEditor::check() {
    QFETCH(QString, count);
    QFETCH(QStringList, cells);
    QFETCH(QString, message);
    LeafEditorRig rig;
    rig.setName("N1");
    rig.click("New_scheme_button");
    rig.get<QComboBox>("scheme_sum_com")->setEditText(count);
    for (int i = 0; i < cells.size(); ++i) rig.table()->item(i / 3 + 1, i % 3 + 1)->setText(cells[i]);
    rig.click("bsSkinButton1");
    QCOMPARE(rig.prompts.messages(), QStringList{message});
}

void TestLeafSchemeEditor::decimalEdits_data() {
    QTest::addColumn<QString>("edit");
    for (const char* name :
         {"scheme_load_edit", "scheme_SDLOAD_edit", "scheme_yyLOAD_edit", "scheme_returnLOAD_edit",
          "scheme_height_edit", "scheme_th_height_Edit", "scheme_xc_height_Edit", "scheme_xbbj_Edit"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

void TestLeafSchemeEditor::decimalEdits() {
    QFETCH(QString, edit);
    LeafEditorRig rig;
    rig.setName("N1");
    rig.click("New_scheme_button");
    rig.editor->show();
    auto* field = findByName<QLineEdit>(rig.editor.get(), edit);
    QVERIFY(field);
    field->setVisible(true);  // the hidden return height keeps its filter too
    field->clear();
    QTest::keyClicks(field, "1a.5-.2");
    QCOMPARE(field->text(), QString("1.52"));
    QCOMPARE(rig.prompts.messages(), QStringList{"输入了两个小数点"});
}

void TestLeafSchemeEditor::setLoadIsReadAsANumber() {
    LeafEditorRig rig;
    rig.setName("N1");
    rig.click("New_scheme_button");
    auto* setLoad = rig.get<QLineEdit>("scheme_SDLOAD_edit");
    setLoad->setText("");
    setLoad->setText("6.5");
    QCOMPARE(rig.prompts.messages(), QStringList{});
    setLoad->setText(".");
    QCOMPARE(rig.prompts.messages(), QStringList{"'.' is not a valid floating point value"});
}

void TestLeafSchemeEditor::headersCannotBeEdited() {
    LeafEditorRig rig;
    rig.setName("N1");
    rig.click("New_scheme_button");
    rig.get<QComboBox>("scheme_sum_com")->setEditText("5");
    for (int row = 0; row <= 5; ++row) QVERIFY(!(rig.table()->item(row, 0)->flags() & Qt::ItemIsEditable));
    for (int column = 0; column < 4; ++column)
        QVERIFY(!(rig.table()->item(0, column)->flags() & Qt::ItemIsEditable));
    QVERIFY(rig.table()->item(5, 1)->flags() & Qt::ItemIsEditable);
}

void TestLeafSchemeEditor::newBatchGoesToTheLeafFolder() {
    LeafEditorRig rig({leafScheme("L1", {"1", "2", "3"})});
    rig.get<QComboBox>("batch_name_Combo")->setEditText("B7");
    rig.setName("L1");
    rig.click("New_batch_button");
    QCOMPARE(rig.prompts.messages(), QStringList{"批次数据库建立完成!!"});
    const QString path = batchDatabasePath(rig.app.path(), BatchKind::LeafSpring, "B7");
    QVERIFY(path.contains("databaseGBTH"));
    const auto copied = loadLeafSpringScheme(path, "L1");
    QVERIFY(copied);
    QCOMPARE(copied->scheme_xc_height, QString("120"));
}

// The README's picture of the editor, taken when SPRINGTEST_SCREENSHOTS names a folder.
void TestLeafSchemeEditor::screenshot() {
    const QString folder = qEnvironmentVariable("SPRINGTEST_SCREENSHOTS");
    if (folder.isEmpty()) QSKIP("SPRINGTEST_SCREENSHOTS names no folder");
    LeafSpringScheme s = leafScheme("前簧", {"2", "5", "8"});
    s.points[1] = {"5", "62", "58"};
    LeafEditorRig rig({s});
    rig.editor->show();
    rig.setName("前簧");
    rig.click("view_scheme_button");
    QVERIFY(rig.editor->grab().save(QDir(folder).filePath("leaf-scheme-editor.png")));
}

QTEST_MAIN(TestLeafSchemeEditor)
#include "tst_leaf_scheme_editor.moc"
