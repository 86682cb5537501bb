#include "platform/Prompts.h"

namespace springtest {

namespace {
Prompts* g_service = nullptr;
}

Prompts& prompts() {
    static ScriptedPrompts fallback;
    return g_service ? *g_service : fallback;
}

void setPrompts(Prompts* service) {
    g_service = service;
}

void ScriptedPrompts::message(const QString& text, const QString& caption, PromptIcon) {
    shown.append({QStringLiteral("message"), caption, text});
}

bool ScriptedPrompts::question(const QString& text, const QString& caption, PromptIcon) {
    shown.append({QStringLiteral("question"), caption, text});
    return answers.isEmpty() ? false : answers.takeFirst();
}

std::optional<QString> ScriptedPrompts::input(const QString& caption, const QString& label, const QString&) {
    shown.append({QStringLiteral("input"), caption, label});
    return inputs.isEmpty() ? std::nullopt : inputs.takeFirst();
}

std::optional<QString> ScriptedPrompts::password(const QString& caption, const QString& label) {
    shown.append({QStringLiteral("password"), caption, label});
    return inputs.isEmpty() ? std::nullopt : inputs.takeFirst();
}

QString ScriptedPrompts::openFile(const QString& title, const QString& folder, const QString&) {
    shown.append({QStringLiteral("open"), title, folder});
    lastFolder = folder;
    return files.isEmpty() ? QString() : files.takeFirst();
}

QString ScriptedPrompts::saveFile(const QString& title, const QString& folder, const QString&) {
    shown.append({QStringLiteral("save"), title, folder});
    lastFolder = folder;
    return files.isEmpty() ? QString() : files.takeFirst();
}

void ScriptedPrompts::progressStart(const QString& caption, const QString& text, int maximum) {
    shown.append({QStringLiteral("progress"), caption, text});
    progressMaximum = maximum;
}

void ScriptedPrompts::progressStep(int value) {
    progressLast = value;
}
void ScriptedPrompts::progressEnd() {}

QStringList ScriptedPrompts::messages() const {
    QStringList texts;
    for (const Shown& s : shown)
        if (s.kind == QLatin1String("message") || s.kind == QLatin1String("question")) texts << s.text;
    return texts;
}

}  // namespace springtest
