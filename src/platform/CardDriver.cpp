#include "platform/CardDriver.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>

namespace springtest {

CardModel cardModelFor(int cardType) {
    switch (cardType) {
        case 0:
            return {QStringLiteral("RX640K"), QStringLiteral("RX640K")};
        case 1:
            return {QStringLiteral("RX710"), QStringLiteral("PCI_CARD")};
        case 2:
            return {QStringLiteral("RX720"), QStringLiteral("RX720")};
        default:
            return {};
    }
}

QString driverFileName(const QString& driverBase) {
    if (driverBase.isEmpty()) return QString();
#if defined(Q_OS_WIN)
    return driverBase + QStringLiteral(".dll");
#elif defined(Q_OS_MACOS)
    return QStringLiteral("lib") + driverBase + QStringLiteral(".dylib");
#else
    return QStringLiteral("lib") + driverBase + QStringLiteral(".so");
#endif
}

CardDriverLibrary::CardDriverLibrary() = default;
CardDriverLibrary::~CardDriverLibrary() {
    unload();
}

bool CardDriverLibrary::load(const QString& driverBase, const QString& applicationFolder) {
    unload();
    m_error.clear();
    if (driverBase.isEmpty()) {
        m_error = QStringLiteral("no driver library for this card type");
        return false;
    }
    const QString file = driverFileName(driverBase);
    QStringList candidates;
    if (QCoreApplication::instance())
        candidates << QDir(QCoreApplication::applicationDirPath()).filePath(file);
    if (!applicationFolder.isEmpty()) candidates << QDir(applicationFolder).filePath(file);
    for (const QString& path : candidates) {
        if (!QFileInfo::exists(path)) continue;
        auto lib = std::make_unique<QLibrary>(path);
        if (lib->load()) {
            m_library = std::move(lib);
            return true;
        }
        m_error = lib->errorString();
    }
    auto lib = std::make_unique<QLibrary>(driverBase);
    if (lib->load()) {
        m_library = std::move(lib);
        return true;
    }
    if (m_error.isEmpty()) m_error = lib->errorString();
    return false;
}

void CardDriverLibrary::unload() {
    if (m_library) {
        m_library->unload();
        m_library.reset();
    }
}

bool CardDriverLibrary::isLoaded() const {
    return m_library && m_library->isLoaded();
}

CardDriverApi CardDriverLibrary::resolve() const {
    CardDriverApi api;
    if (!isLoaded()) return api;
    auto get = [this](const char* name) { return m_library->resolve(name); };
    // The order of the look-ups is the order of kCardDriverFunctionNames.
    api.CardOpen = reinterpret_cast<CardDriverApi::CardOpenFn>(get("CardOpen"));
    api.CardClose = reinterpret_cast<CardDriverApi::CardCloseFn>(get("CardClose"));
    api.LoadGetAd = reinterpret_cast<CardDriverApi::GetAdFn>(get("LoadGetAd"));
    api.DeforGetAd = reinterpret_cast<CardDriverApi::GetAdFn>(get("DeforGetAd"));
    api.SetLoadAmp = reinterpret_cast<CardDriverApi::SetAmpFn>(get("SetLoadAmp"));
    api.LoadHardZero = reinterpret_cast<CardDriverApi::CardFn>(get("LoadHardZero"));
    api.ReadPulse = reinterpret_cast<CardDriverApi::ReadPulseFn>(get("ReadPulse"));
    api.ResetMainCountor = reinterpret_cast<CardDriverApi::CardFn>(get("ResetMainCountor"));
    api.SetRate = reinterpret_cast<CardDriverApi::SetRateFn>(get("SetRate"));
    api.MoveUp = reinterpret_cast<CardDriverApi::CardFn>(get("MoveUp"));
    api.MoveDown = reinterpret_cast<CardDriverApi::CardFn>(get("MoveDown"));
    api.Stop = reinterpret_cast<CardDriverApi::CardFn>(get("Stop"));
    api.GetOutCommand = reinterpret_cast<CardDriverApi::GetOutCommandFn>(get("GetOutCommand"));
    api.SetDeforAmp = reinterpret_cast<CardDriverApi::SetAmpFn>(get("SetDeforAmp"));
    api.RLY = reinterpret_cast<CardDriverApi::RlyFn>(get("RLY"));
    api.servodata = reinterpret_cast<CardDriverApi::ServoFn>(get("servodata"));
    api.DASTART = reinterpret_cast<CardDriverApi::CardFn>(get("DASTART"));
    return api;
}

}  // namespace springtest
