#include "calibration/ReferenceForce.h"

#include "platform/CardDriver.h"
#include "platform/NumberEntry.h"
#include "platform/Prompts.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>

#include <cmath>

namespace springtest {

std::unique_ptr<SimulatorReference> SimulatorReference::find(const QString& driverBase,
                                                             const QString& applicationFolder, int card) {
    if (driverBase.isEmpty()) return nullptr;
    // The same places, in the same order, as the machine session loads the driver from: the library is then
    // the one already loaded, with the state of the machine that runs.
    const QString file = driverFileName(driverBase);
    QStringList candidates;
    if (QCoreApplication::instance())
        candidates << QDir(QCoreApplication::applicationDirPath()).filePath(file);
    if (!applicationFolder.isEmpty()) candidates << QDir(applicationFolder).filePath(file);
    candidates << driverBase;
    for (const QString& path : candidates) {
        if (path != driverBase && !QFileInfo::exists(path)) continue;
        // Never unloaded here: the session holds the library for as long as the cards are open.
        QLibrary library(path);
        if (!library.load()) continue;
        const auto simGet = reinterpret_cast<SimGet>(library.resolve("SimGet"));
        if (!simGet) return nullptr;
        return std::make_unique<SimulatorReference>(simGet, card);
    }
    return nullptr;
}

std::optional<double> SimulatorReference::reference(double) {
    const double force = m_simGet(m_card, "reference_force");
    if (!std::isfinite(force)) return std::nullopt;
    return std::abs(force);
}

bool SimulatorReference::present() const {
    return std::isfinite(m_simGet(m_card, "reference_force"));
}

std::unique_ptr<PromptedReference> PromptedReference::throughPrompts() {
    return std::make_unique<PromptedReference>(
        [](const QString& question) { return prompts().input(kPromptCaption, question, QString()); },
        [](const QString& message) { prompts().message(message, kPromptCaption, PromptIcon::Warning); });
}

std::optional<double> PromptedReference::reference(double nominal) {
    const QString question =
        QStringLiteral("reading of the force standard at %1 (load units): ").arg(nominal, 0, 'f', 2);
    for (;;) {
        const std::optional<QString> typed = m_ask(question);
        if (!typed) return std::nullopt;
        QString error;
        const std::optional<double> value = readFloat(typed->trimmed(), &error);
        if (value && *value > 0.0) return value;
        m_tell(value ? QStringLiteral("the reading must be above 0") : error);
    }
}

}  // namespace springtest
