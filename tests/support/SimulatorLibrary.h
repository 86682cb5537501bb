#pragma once

#include "../../sim/SimCardTestApi.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QString>

#include <dlfcn.h>

namespace springtest::testing {

// The simulated card's own entry points: its driver library beside the test, held open from the first use
// to the end of the test, so that the sessions' own loading and unloading of the driver never invalidates
// them.
class SimulatorLibrary {
public:
    static const SimulatorLibrary& instance() {
        static const SimulatorLibrary library;
        return library;
    }

    // Empty when every entry point was found.
    const QString& error() const { return m_error; }

    // The ground truth and the settings of a card (SimCardTestApi.h names the keys).
    double get(int card, const char* key) const { return m_get(card, key); }
    bool set(int card, const char* key, double value) const { return m_set(card, key, value) == 0; }
    // Every card back to the settings in `file`, each crosshead where the folder's state file left it.
    bool loadConfig(const QString& file) const { return m_loadConfig(file.toLocal8Bit().constData()) == 0; }

private:
    SimulatorLibrary() {
        const QByteArray path = (QCoreApplication::applicationDirPath() + "/libRX720.so").toLocal8Bit();
        void* library = dlopen(path.constData(), RTLD_NOW | RTLD_NODELETE);
        if (!library) {
            m_error = QString::fromLocal8Bit(dlerror());
            return;
        }
        m_set = reinterpret_cast<sim::SimSetFn>(dlsym(library, "SimSet"));
        m_get = reinterpret_cast<sim::SimGetFn>(dlsym(library, "SimGet"));
        m_loadConfig = reinterpret_cast<sim::SimLoadConfigFn>(dlsym(library, "SimLoadConfig"));
        if (!m_set || !m_get || !m_loadConfig)
            m_error =
                QStringLiteral("%1 lacks the simulator's test functions").arg(QString::fromLocal8Bit(path));
    }

    sim::SimSetFn m_set = nullptr;
    sim::SimGetFn m_get = nullptr;
    sim::SimLoadConfigFn m_loadConfig = nullptr;
    QString m_error;
};

}  // namespace springtest::testing
