#pragma once

#include "platform/Prompts.h"

#include <memory>

class QProgressDialog;
class QWidget;

namespace springtest {

// The prompts service of the console: Qt message boxes, input dialogs, file dialogs and a progress window,
// parented to the active window.
class WidgetPrompts : public Prompts {
public:
    WidgetPrompts();
    ~WidgetPrompts() override;

    void message(const QString& text, const QString& caption, PromptIcon icon) override;
    bool question(const QString& text, const QString& caption, PromptIcon icon) override;
    std::optional<QString> input(const QString& caption, const QString& label, const QString& value) override;
    std::optional<QString> password(const QString& caption, const QString& label) override;
    QString openFile(const QString& title, const QString& folder, const QString& filter) override;
    QString saveFile(const QString& title, const QString& folder, const QString& filter) override;
    void progressStart(const QString& caption, const QString& text, int maximum) override;
    void progressStep(int value) override;
    void progressEnd() override;

private:
    std::unique_ptr<QProgressDialog> m_progress;
};

// "数据库文件(*.mdb)|*.mdb" as a Qt file-dialog filter: "数据库文件 (*.mdb)".
QString qtFileFilter(const QString& filter);

}  // namespace springtest
