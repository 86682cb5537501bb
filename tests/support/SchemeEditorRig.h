#pragma once

#include "platform/Prompts.h"
#include "storage/Batch.h"
#include "storage/Database.h"
#include "storage/Schema.h"
#include "storage/Schemes.h"
#include "support/TempAppDir.h"
#include "windows/common/FindByName.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QPushButton>
#include <QTableWidget>

#include <memory>

namespace springtest::testing {

// An application folder of one machine type with its scheme database (holding `schemes`) and batch template,
// a scheme editor of type `Editor` on it whose load channel reads kN, and the operator's answers scripted.
template <class Editor, class Scheme>
struct SchemeEditorRig {
    TempAppDir app;
    ScriptedPrompts prompts;
    std::unique_ptr<Editor> editor;

    SchemeEditorRig(int machineType, const QList<Scheme>& schemes) {
        setPrompts(&prompts);
        const DatabaseFilesResult files = ensureDatabaseFiles(app.path(), machineType);
        if (!files.error.isEmpty()) qFatal("%s", qPrintable(files.error));
        for (const Scheme& s : schemes)
            if (!insertScheme(schemeDatabasePath(app.path()), s)) qFatal("cannot store a scheme");
        editor = std::make_unique<Editor>(app.path(), "kN");
    }
    ~SchemeEditorRig() {
        editor.reset();
        setPrompts(nullptr);
    }
    SchemeEditorRig(const SchemeEditorRig&) = delete;
    SchemeEditorRig& operator=(const SchemeEditorRig&) = delete;

    template <typename T = QWidget>
    T* get(const char* name) const {
        T* w = findByName<T>(editor.get(), QString::fromLatin1(name));
        if (!w) qFatal("no component %s", name);
        return w;
    }
    void click(const char* name) const { get<QPushButton>(name)->click(); }
    void setName(const QString& name) const { get<QComboBox>("scheme_name_com")->setEditText(name); }
    QTableWidget* table() const { return get<QTableWidget>("schemedata_stringgrid"); }
    bool tableEditable() const { return table()->editTriggers() != QAbstractItemView::NoEditTriggers; }
    // How many schemes the editor's table holds.
    int storedCount(SchemeTable schemeTable) const {
        Database db(schemeDatabasePath(app.path()));
        return db.select(QStringLiteral("SELECT * FROM %1").arg(schemeTableName(schemeTable)))->size();
    }
};

}  // namespace springtest::testing
