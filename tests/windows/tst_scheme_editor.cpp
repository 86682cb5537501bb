#include "platform/Prompts.h"
#include "storage/Batch.h"
#include "storage/Database.h"
#include "storage/Schema.h"
#include "storage/Schemes.h"
#include "support/SchemeEditorRig.h"
#include "windows/common/FindByName.h"
#include "windows/editor/TFtest_set.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QtTest>

#include <memory>

using namespace springtest;
using springtest::testing::SchemeEditorRig;
using State = TFtest_set::EditorState;

namespace {

struct PointRow {
    QString value, max, min;
};

StandardScheme scheme(const QString& name, const QString& style, bool compression,
                      const QList<PointRow>& rows) {
    StandardScheme s;
    s.scheme_name = name;
    s.scheme_style = style;
    s.scheme_jh = 2;
    s.scheme_load = "1.5";
    s.scheme_sum = QString::number(rows.size());
    s.scheme_gangdu_max = "12";
    s.scheme_gangdu_min = "8";
    s.scheme_type = compression;
    s.scheme_yb = false;
    for (int k = 0; k < rows.size(); ++k)
        s.points[static_cast<size_t>(k)] = {rows[k].value, rows[k].max, rows[k].min};
    return s;
}

// An application folder with the scheme database and the batch template, and the editor on it.
struct EditorRig : SchemeEditorRig<TFtest_set, StandardScheme> {
    explicit EditorRig(const QList<StandardScheme>& schemes = {}) : SchemeEditorRig(0, schemes) {}

    void fillPoints(const QList<PointRow>& rows) const {
        get<QComboBox>("scheme_sum_com")->setEditText(QString::number(rows.size()));
        for (int k = 0; k < rows.size(); ++k) {
            table()->item(k + 1, 1)->setText(rows[k].value);
            table()->item(k + 1, 2)->setText(rows[k].max);
            table()->item(k + 1, 3)->setText(rows[k].min);
        }
    }
    std::optional<StandardScheme> stored(const QString& name) const {
        return loadStandardScheme(schemeDatabasePath(app.path()), name);
    }
    int storedCount() const { return SchemeEditorRig::storedCount(SchemeTable::Standard); }
};

}  // namespace

class TestSchemeEditor : public QObject {
    Q_OBJECT
private slots:
    void opensNarrowWithTheSchemeNames();
    void newSchemeRefusals_data();
    void newSchemeRefusals();
    void newThenSaveStoresTheForm();
    void saveWithoutPointCountFails();
    void cancelDropsAnUnsavedScheme();
    void viewShowsTheSchemeReadOnly();
    void viewRefusals_data();
    void viewRefusals();
    void changeAndSaveUpdatesTheRow();
    void deleteRemovesTheSchemeAndItsName();
    void check_data();
    void check();
    void springKindLocksSolidHeight();
    void typingFilters();
    void wheelLeavesCombosAlone();
    void newBatchMessages_data();
    void newBatchMessages();
};

void TestSchemeEditor::opensNarrowWithTheSchemeNames() {
    EditorRig rig({scheme("S1", "0", true, {{"40", "", ""}}), scheme("A2", "2", false, {{"100", "", ""}})});
    QCOMPARE(rig.editor->windowTitle(), QString("试验设置"));
    QCOMPARE(rig.editor->width(), 511);
    QVERIFY(rig.get("bsSkinPanel2")->isHidden());
    auto* names = rig.get<QComboBox>("scheme_name_com");
    QCOMPARE(names->count(), 2);
    QCOMPARE(names->itemText(0), QString("S1"));
    QCOMPARE(names->itemText(1), QString("A2"));
    QCOMPARE(rig.get<QLabel>("bsSkinLabel20")->text(), QString("kN"));
    QCOMPARE(rig.get<QLineEdit>("scheme_load_edit")->text(), QString("0.5"));
    // Viewing opens up once a name has been there, and stays open.
    QVERIFY(!rig.get("view_scheme_button")->isEnabled());
    rig.setName("S");
    rig.setName("");
    QVERIFY(rig.get("view_scheme_button")->isEnabled());
    QCOMPARE(rig.editor->state(), State::Idle);
}

void TestSchemeEditor::newSchemeRefusals_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("message");
    QTest::newRow("empty") << ""
                           << "方案名不能为空!!";
    QTest::newRow("exists") << "S1"
                            << "该方案名已存在!!";
}

void TestSchemeEditor::newSchemeRefusals() {
    QFETCH(QString, name);
    QFETCH(QString, message);
    EditorRig rig({scheme("S1", "0", true, {{"40", "", ""}})});
    rig.setName(name);
    rig.click("New_scheme_button");
    QCOMPARE(rig.prompts.messages(), QStringList{message});
    QCOMPARE(rig.editor->state(), State::Idle);
    QCOMPARE(rig.editor->width(), 511);
}

void TestSchemeEditor::newThenSaveStoresTheForm() {
    EditorRig rig;
    rig.editor->show();
    rig.setName("N1");
    rig.click("New_scheme_button");
    QCOMPARE(rig.prompts.messages(), QStringList{});
    QCOMPARE(rig.editor->state(), State::New);
    QCOMPARE(rig.editor->width(), 1040);
    QCOMPARE(rig.editor->x(), 10);
    QVERIFY(rig.get("bsSkinPanel2")->isVisible());
    QVERIFY(!rig.get("scheme_name_com")->isEnabled());
    QVERIFY(!rig.get("edit_scheme_button")->isEnabled());
    QVERIFY(rig.get("save_scheme_button")->isEnabled());
    QVERIFY(rig.get("bsSkinGroupBox4")->isEnabled());
    QVERIFY(rig.tableEditable());

    rig.get<QCheckBox>("scheme_jh_checkradiobox")->setChecked(true);
    rig.get<QCheckBox>("YB_CheckBox")->setChecked(true);
    rig.get<QLineEdit>("scheme_load_edit")->setText("2.5");
    rig.fillPoints({{"40", "110", "90"}, {"35", "160", ""}, {"30", "", ""}});
    QCOMPARE(rig.table()->rowCount(), 4);
    QCOMPARE(rig.table()->item(3, 0)->text(), QString("3"));
    rig.click("save_scheme_button");
    QCOMPARE(rig.prompts.messages(), QStringList{"方案保存成功!!"});

    QCOMPARE(rig.editor->state(), State::Saved);
    QVERIFY(!rig.get("save_scheme_button")->isEnabled());
    QVERIFY(rig.get("edit_scheme_button")->isEnabled());
    QVERIFY(rig.get("scheme_name_com")->isEnabled());
    QVERIFY(!rig.get("bsSkinGroupBox4")->isEnabled());
    QVERIFY(!rig.tableEditable());
    // Saving does not refresh the scheme list.
    QCOMPARE(rig.get<QComboBox>("scheme_name_com")->count(), 0);

    const auto s = rig.stored("N1");
    QVERIFY(s);
    QCOMPARE(s->scheme_style, QString("0"));
    QCOMPARE(s->scheme_jh, 2);
    QCOMPARE(s->scheme_load, QString("2.5"));
    QCOMPARE(s->scheme_sum, QString("3"));
    QVERIFY(s->scheme_type);
    QVERIFY(s->scheme_yb);
    QCOMPARE(s->points[0], (SchemePoint{"40", "110", "90"}));
    QCOMPARE(s->points[1], (SchemePoint{"35", "160", "0"}));
    QCOMPARE(s->points[2], (SchemePoint{"30", "0", "0"}));
    QCOMPARE(s->points[3], SchemePoint{});

    // Changed again after saving, the same row is written, not a second one.
    rig.click("edit_scheme_button");
    QCOMPARE(rig.editor->state(), State::Changing);
    rig.table()->item(1, 1)->setText("41");
    rig.click("save_scheme_button");
    QCOMPARE(rig.storedCount(), 1);
    QCOMPARE(rig.stored("N1")->points[0].value, QString("41"));
}

void TestSchemeEditor::saveWithoutPointCountFails() {
    EditorRig rig;
    rig.setName("N1");
    rig.click("New_scheme_button");
    rig.click("save_scheme_button");
    QCOMPARE(rig.prompts.messages(), QStringList{"方案保存失败!!"});
    QCOMPARE(rig.editor->state(), State::New);
    QCOMPARE(rig.storedCount(), 0);
}

void TestSchemeEditor::cancelDropsAnUnsavedScheme() {
    EditorRig rig;
    rig.setName("N1");
    rig.click("New_scheme_button");
    rig.fillPoints({{"40", "", ""}});
    rig.click("cancel_scheme_button");
    QCOMPARE(rig.editor->state(), State::Idle);
    QCOMPARE(rig.editor->width(), 511);
    QVERIFY(rig.get("bsSkinPanel2")->isHidden());
    QVERIFY(rig.get("scheme_name_com")->isEnabled());
    QCOMPARE(rig.storedCount(), 0);
}

void TestSchemeEditor::viewShowsTheSchemeReadOnly() {
    EditorRig rig(
        {scheme("T4", "2", false, {{"100", "12", "10"}, {"200", "", ""}, {"300", "", ""}, {"400", "", ""}})});
    rig.setName("T4");
    rig.click("view_scheme_button");
    QCOMPARE(rig.prompts.messages(), QStringList{});
    QCOMPARE(rig.editor->state(), State::Viewing);
    QCOMPARE(rig.editor->width(), 1040);
    QCOMPARE(rig.table()->rowCount(), 5);
    const QStringList headers{"点号", "负荷", "位移上限", "位移下限"};
    for (int c = 0; c < 4; ++c) QCOMPARE(rig.table()->item(0, c)->text(), headers[c]);
    QCOMPARE(rig.table()->columnWidth(0), 30);
    QCOMPARE(rig.table()->columnWidth(3), 75);
    QCOMPARE(rig.table()->item(1, 2)->text(), QString("12"));
    QCOMPARE(rig.table()->item(4, 1)->text(), QString("400"));
    QCOMPARE(rig.get<QComboBox>("scheme_style_com")->currentText(), QString("负荷-位移"));
    QCOMPARE(rig.get<QComboBox>("scheme_sum_com")->currentText(), QString("4"));
    QVERIFY(rig.get<QRadioButton>("lx_RadioBox")->isChecked());
    QVERIFY(rig.get<QCheckBox>("scheme_jh_checkradiobox")->isChecked());
    QCOMPARE(rig.get<QLineEdit>("scheme_load_edit")->text(), QString("1.5"));
    QCOMPARE(rig.get<QLineEdit>("scheme_gangdu_max_edit")->text(), QString("12"));
    QVERIFY(!rig.get("bsSkinGroupBox4")->isEnabled());
    QVERIFY(!rig.get("bsSkinGroupBox6")->isEnabled());
    QVERIFY(!rig.tableEditable());
    QVERIFY(!rig.get("save_scheme_button")->isEnabled());
    QVERIFY(rig.get("edit_scheme_button")->isEnabled());
    QVERIFY(rig.get("scheme_name_com")->isEnabled());
}

void TestSchemeEditor::viewRefusals_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("storedCount");
    QTest::addColumn<QString>("message");
    QTest::newRow("empty name") << ""
                                << "2"
                                << "方案名不能为空!!";
    QTest::newRow("unknown name") << "X9"
                                  << "2"
                                  << "该方案名不存在!!";
    QTest::newRow("stored count empty") << "S1"
                                        << ""
                                        << "'' is not a valid integer value";
    QTest::newRow("stored count too large") << "S1"
                                            << "12"
                                            << "读取方案失败!!";
}

void TestSchemeEditor::viewRefusals() {
    QFETCH(QString, name);
    QFETCH(QString, storedCount);
    QFETCH(QString, message);
    StandardScheme s = scheme("S1", "0", true, {{"40", "", ""}, {"35", "", ""}});
    s.scheme_sum = storedCount;
    EditorRig rig({s});
    rig.get("view_scheme_button")->setEnabled(true);
    rig.setName(name);
    rig.click("view_scheme_button");
    QCOMPARE(rig.prompts.messages(), QStringList{message});
    QCOMPARE(rig.editor->state(), State::Idle);
    QVERIFY(rig.get("bsSkinPanel2")->isHidden());
}

void TestSchemeEditor::changeAndSaveUpdatesTheRow() {
    EditorRig rig({scheme("S1", "0", true, {{"40", "", ""}, {"35", "", ""}, {"30", "", ""}}),
                   scheme("S2", "0", true, {{"20", "", ""}})});
    rig.setName("S1");
    rig.click("view_scheme_button");
    rig.click("edit_scheme_button");
    QCOMPARE(rig.editor->state(), State::Changing);
    QVERIFY(rig.get("bsSkinGroupBox4")->isEnabled());
    QVERIFY(rig.get("bsSkinGroupBox6")->isEnabled());
    QVERIFY(rig.tableEditable());
    QVERIFY(!rig.get("edit_scheme_button")->isEnabled());
    QVERIFY(rig.get("save_scheme_button")->isEnabled());
    rig.get<QComboBox>("scheme_sum_com")->setEditText("2");
    rig.table()->item(2, 3)->setText("5");
    rig.click("save_scheme_button");
    QCOMPARE(rig.prompts.messages(), QStringList{"方案保存成功!!"});
    QCOMPARE(rig.storedCount(), 2);
    const auto s = rig.stored("S1");
    QCOMPARE(s->scheme_sum, QString("2"));
    QCOMPARE(s->points[1], (SchemePoint{"35", "0", "5"}));
    // Points past the new count are not written and keep what they held.
    QCOMPARE(s->points[2].value, QString("30"));
    QCOMPARE(rig.stored("S2")->points[0].value, QString("20"));
}

void TestSchemeEditor::deleteRemovesTheSchemeAndItsName() {
    EditorRig rig({scheme("S1", "0", true, {{"40", "", ""}}), scheme("S2", "0", true, {{"20", "", ""}})});
    rig.setName("S1");
    rig.click("view_scheme_button");
    rig.click("bsSkinButton2");
    QCOMPARE(rig.prompts.shown.size(), 0);
    QVERIFY(!rig.stored("S1"));
    QVERIFY(rig.stored("S2"));
    auto* names = rig.get<QComboBox>("scheme_name_com");
    QCOMPARE(names->count(), 1);
    QCOMPARE(names->itemText(0), QString("S2"));
    QCOMPARE(rig.editor->state(), State::Idle);
    QCOMPARE(rig.editor->width(), 511);
}

void TestSchemeEditor::check_data() {
    QTest::addColumn<int>("style");
    QTest::addColumn<bool>("compression");
    QTest::addColumn<QString>("count");
    QTest::addColumn<QStringList>("cells");  // value, upper, lower per row
    QTest::addColumn<QString>("message");
    const QString pass = "输入信息验证无误!!";
    const auto rowError = [](int row) { return QString("第%1点输入信息错误，请检查后重新输入!!").arg(row); };
    QTest::newRow("compression heights fall")
        << 0 << true << "3" << QStringList{"40", "", "", "35", "", "", "30", "", ""} << pass;
    QTest::newRow("compression heights rise")
        << 0 << true << "2" << QStringList{"30", "", "", "35", "", ""} << rowError(2);
    QTest::newRow("tension rises") << 0 << false << "2" << QStringList{"30", "", "", "35", "", ""} << pass;
    QTest::newRow("loads equal") << 2 << true << "2" << QStringList{"100", "", "", "100", "", ""} << pass;
    QTest::newRow("deformation falls")
        << 1 << true << "2" << QStringList{"10", "", "", "8", "", ""} << rowError(2);
    QTest::newRow("upper empty, lower 5") << 0 << true << "1" << QStringList{"40", "", "5"} << rowError(1);
    QTest::newRow("upper below lower")
        << 2 << true << "2" << QStringList{"100", "9", "8", "200", "7", "8"} << rowError(2);
    QTest::newRow("value missing") << 0 << true << "2" << QStringList{"40", "", "", "", "", ""}
                                   << "数据填写不完整!!";
    QTest::newRow("no point count") << 0 << true << "" << QStringList{} << "参数填写不完整，无法进行验证";
    // Pasted text the typing filter let through: that row's error, not a conversion error.
    QTest::newRow("value no number") << 0 << true << "2" << QStringList{"40", "", "", "3.5.1", "", ""}
                                     << rowError(2);
}

void TestSchemeEditor::check() {
    QFETCH(int, style);
    QFETCH(bool, compression);
    QFETCH(QString, count);
    QFETCH(QStringList, cells);
    QFETCH(QString, message);
    EditorRig rig;
    rig.setName("N1");
    rig.click("New_scheme_button");
    rig.get<QComboBox>("scheme_style_com")->setCurrentIndex(style);
    rig.get<QRadioButton>(compression ? "yx_RadioBox" : "lx_RadioBox")->setChecked(true);
    rig.get<QComboBox>("scheme_sum_com")->setEditText(count);
    for (int i = 0; i < cells.size(); ++i) rig.table()->item(i / 3 + 1, i % 3 + 1)->setText(cells[i]);
    rig.click("bsSkinButton1");
    QCOMPARE(rig.prompts.messages(), QStringList{message});
}

void TestSchemeEditor::springKindLocksSolidHeight() {
    EditorRig rig;
    auto* solid = rig.get<QCheckBox>("YB_CheckBox");
    solid->setChecked(true);
    rig.get<QRadioButton>("lx_RadioBox")->setChecked(true);
    QVERIFY(!solid->isChecked());
    QVERIFY(!solid->isEnabled());
    rig.get<QRadioButton>("yx_RadioBox")->setChecked(true);
    QVERIFY(solid->isEnabled());
}

void TestSchemeEditor::typingFilters() {
    EditorRig rig;
    rig.setName("N1");
    rig.click("New_scheme_button");
    rig.editor->show();

    auto* force = rig.get<QLineEdit>("scheme_load_edit");
    force->clear();
    QTest::keyClicks(force, "1a.5-.2");
    QCOMPARE(force->text(), QString("1.52"));
    QCOMPARE(rig.prompts.messages(), QStringList{"输入了两个小数点"});
    QTest::keyClick(force, Qt::Key_Backspace);
    QCOMPARE(force->text(), QString("1.5"));

    auto* count = rig.get<QComboBox>("scheme_sum_com");
    count->setFocus();
    QTest::keyClicks(count->lineEdit(), "0x4.");
    QCOMPARE(count->currentText(), QString("4"));
    QCOMPARE(rig.table()->rowCount(), 5);

    // A cell takes digits and any number of points, and nothing else.
    rig.table()->setCurrentCell(1, 1);
    rig.table()->editItem(rig.table()->item(1, 1));
    auto* cellEdit = rig.table()->findChild<QLineEdit*>();
    QVERIFY(cellEdit);
    QTest::keyClicks(cellEdit, "1.2.3x-");
    QCOMPARE(cellEdit->text(), QString("1.2.3"));
    QCOMPARE(rig.prompts.messages().size(), 1);
}

void TestSchemeEditor::wheelLeavesCombosAlone() {
    EditorRig rig({scheme("S1", "0", true, {{"40", "", ""}}), scheme("S2", "0", true, {{"20", "", ""}})});
    rig.editor->show();
    for (const char* name : {"scheme_style_com", "scheme_name_com", "scheme_sum_com"}) {
        auto* box = rig.get<QComboBox>(name);
        box->setCurrentIndex(1);
        box->setFocus();
        const QPointF at(box->width() / 2.0, box->height() / 2.0);
        QWheelEvent wheel(at, box->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(box, &wheel);
        QCOMPARE(box->currentIndex(), 1);
    }
}

void TestSchemeEditor::newBatchMessages_data() {
    QTest::addColumn<QString>("batch");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("existing");
    QTest::addColumn<bool>("withTemplate");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<bool>("created");
    const QString failed = "批次数据库建立失败!!";
    QTest::newRow("no batch number") << ""
                                     << "S1" << false << true << QStringList{"批次号不能为空!!"} << false;
    QTest::newRow("no scheme name") << "A1"
                                    << "" << false << true << QStringList{"方案名不能为空!!"} << false;
    QTest::newRow("unknown scheme") << "A1"
                                    << "X" << false << true << QStringList{"该方案名不存在!!"} << false;
    QTest::newRow("created") << "A1"
                             << "S1" << false << true << QStringList{"批次数据库建立完成!!"} << true;
    QTest::newRow("existing batch, No")
        << "A1"
        << "S1" << true << true << QStringList{"该批次已经存在，是否覆盖?", failed} << false;
    QTest::newRow("template missing")
        << "A1"
        << "S1" << false << false << QStringList{"未找到数据库模板!!", failed} << false;
}

void TestSchemeEditor::newBatchMessages() {
    QFETCH(QString, batch);
    QFETCH(QString, name);
    QFETCH(bool, existing);
    QFETCH(bool, withTemplate);
    QFETCH(QStringList, messages);
    QFETCH(bool, created);
    EditorRig rig({scheme("S1", "0", true, {{"40", "", ""}, {"35", "", ""}})});
    const QString path = batchDatabasePath(rig.app.path(), BatchKind::Standard, "A1");
    if (existing) {
        QVERIFY(QDir().mkpath(QFileInfo(path).path()));
        rig.app.write("database/A1.mdb", "old batch");
    }
    if (!withTemplate) QVERIFY(QFile::remove(databaseTemplatePath(rig.app.path())));
    rig.prompts.answers = {false};
    rig.get<QComboBox>("batch_name_Combo")->setEditText(batch);
    rig.setName(name);
    rig.click("New_batch_button");
    QCOMPARE(rig.prompts.messages(), messages);
    if (existing) QCOMPARE(rig.app.read("database/A1.mdb"), QByteArray("old batch"));
    if (created) {
        const auto copied = loadStandardScheme(path, "S1");
        QVERIFY(copied);
        QCOMPARE(copied->points[1].value, QString("35"));
    } else if (!existing) {
        QVERIFY(!QFileInfo::exists(path));
    }
}

QTEST_MAIN(TestSchemeEditor)
#include "tst_scheme_editor.moc"
