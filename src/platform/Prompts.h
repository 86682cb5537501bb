#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

#include "platform/OperatorTexts.h"

namespace springtest {

enum class PromptIcon { Information, Warning, Critical, Question, Stop };

// Every modal message box, Yes/No question, input box, file dialog and progress window of the program goes
// through this one service, with the system's own texts verbatim. The console installs the widget
// implementation; tests install a scripted one that records what was shown and answers as told, so nothing
// blocks without a display. Used on the GUI thread only.
class Prompts {
public:
    virtual ~Prompts() = default;
    virtual void message(const QString& text, const QString& caption = kPromptCaption,
                         PromptIcon icon = PromptIcon::Information) = 0;
    // True when the operator answers Yes.
    virtual bool question(const QString& text, const QString& caption = kPromptCaption,
                          PromptIcon icon = PromptIcon::Question) = 0;
    // Nothing when cancelled.
    virtual std::optional<QString> input(const QString& caption, const QString& label,
                                         const QString& value) = 0;
    // An input box whose text is masked as it is typed, starting empty; nothing when cancelled.
    virtual std::optional<QString> password(const QString& caption, const QString& label) = 0;
    // The chosen file, or an empty text when cancelled.
    virtual QString openFile(const QString& title, const QString& folder, const QString& filter) = 0;
    virtual QString saveFile(const QString& title, const QString& folder, const QString& filter) = 0;
    // A progress window: shown by progressStart, moved by progressStep, closed by progressEnd.
    virtual void progressStart(const QString& caption, const QString& text, int maximum) = 0;
    virtual void progressStep(int value) = 0;
    virtual void progressEnd() = 0;
};

// The service in use. Until one is installed, a scripted service that answers No and cancels everything.
Prompts& prompts();
void setPrompts(Prompts* service);  // null restores the default

// A prompts service for tests and headless runs: records every prompt and answers from queues.
class ScriptedPrompts : public Prompts {
public:
    struct Shown {
        QString kind;  // "message", "question", "input", "password", "open", "save", "progress"
        QString caption;
        QString text;
    };

    void message(const QString& text, const QString& caption, PromptIcon icon) override;
    bool question(const QString& text, const QString& caption, PromptIcon icon) override;
    std::optional<QString> input(const QString& caption, const QString& label, const QString& value) override;
    // Answered from `inputs` too; shown as kind "password".
    std::optional<QString> password(const QString& caption, const QString& label) override;
    QString openFile(const QString& title, const QString& folder, const QString& filter) override;
    QString saveFile(const QString& title, const QString& folder, const QString& filter) override;
    void progressStart(const QString& caption, const QString& text, int maximum) override;
    void progressStep(int value) override;
    void progressEnd() override;

    // Answers used in order; when a queue is empty: No, cancel, empty file name.
    QList<bool> answers;
    QList<std::optional<QString>> inputs;
    QStringList files;

    QList<Shown> shown;
    QStringList messages() const;  // the texts of messages and questions, in order
    int progressMaximum = -1;
    int progressLast = -1;
    QString lastFolder;  // the folder the last file dialog opened in
};

}  // namespace springtest
