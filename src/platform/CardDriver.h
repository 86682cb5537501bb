#pragma once

#include <QString>

#include <cstdint>
#include <memory>

class QLibrary;

namespace springtest {

// The card driver's functions, resolved by name. Every function takes the card index first.
// A name the library lacks leaves its entry empty; the wrappers below then do nothing and read 0,
// so a partial driver never crashes the acquisition thread.
struct CardDriverApi {
    using CardOpenFn = uint8_t (*)(int32_t);
    using CardCloseFn = void (*)(int32_t);
    using GetAdFn = int32_t (*)(int32_t);
    using SetAmpFn = void (*)(int32_t, int32_t);
    using CardFn = void (*)(int32_t);
    using ReadPulseFn = int32_t (*)(int32_t);
    using SetRateFn = void (*)(int32_t, float);
    using GetOutCommandFn = uint8_t (*)(int32_t);
    using RlyFn = void (*)(int32_t, uint8_t*, int32_t);
    using ServoFn = void (*)(int32_t, uint16_t);

    CardOpenFn CardOpen = nullptr;
    CardCloseFn CardClose = nullptr;
    GetAdFn LoadGetAd = nullptr;
    GetAdFn DeforGetAd = nullptr;
    SetAmpFn SetLoadAmp = nullptr;
    CardFn LoadHardZero = nullptr;
    ReadPulseFn ReadPulse = nullptr;
    CardFn ResetMainCountor = nullptr;
    SetRateFn SetRate = nullptr;
    CardFn MoveUp = nullptr;
    CardFn MoveDown = nullptr;
    CardFn Stop = nullptr;
    GetOutCommandFn GetOutCommand = nullptr;
    SetAmpFn SetDeforAmp = nullptr;
    RlyFn RLY = nullptr;
    ServoFn servodata = nullptr;
    CardFn DASTART = nullptr;
};

// The names in the order they are looked up.
inline constexpr const char* kCardDriverFunctionNames[] = {
    "CardOpen",      "CardClose",        "LoadGetAd", "DeforGetAd", "SetLoadAmp", "LoadHardZero",
    "ReadPulse",     "ResetMainCountor", "SetRate",   "MoveUp",     "MoveDown",   "Stop",
    "GetOutCommand", "SetDeforAmp",      "RLY",       "servodata",  "DASTART"};

// Calls into the card driver; what the measurement layer holds. Safe to share between threads: the
// driver itself accepts calls from several threads.
class CardDriver {
public:
    explicit CardDriver(CardDriverApi api = {}) : m_api(api) {}

    const CardDriverApi& api() const { return m_api; }

    bool cardOpen(int card) const { return m_api.CardOpen && m_api.CardOpen(card) != 0; }
    int32_t loadGetAd(int card) const { return m_api.LoadGetAd ? m_api.LoadGetAd(card) : 0; }
    void setLoadAmp(int card, int32_t magnification) const {
        if (m_api.SetLoadAmp) m_api.SetLoadAmp(card, magnification);
    }
    int32_t readPulse(int card) const { return m_api.ReadPulse ? m_api.ReadPulse(card) : 0; }
    void setRate(int card, float rate) const {
        if (m_api.SetRate) m_api.SetRate(card, rate);
    }
    void moveUp(int card) const {
        if (m_api.MoveUp) m_api.MoveUp(card);
    }
    void moveDown(int card) const {
        if (m_api.MoveDown) m_api.MoveDown(card);
    }
    void stop(int card) const {
        if (m_api.Stop) m_api.Stop(card);
    }
    uint8_t getOutCommand(int card) const { return m_api.GetOutCommand ? m_api.GetOutCommand(card) : 0; }
    void rly(int card, uint8_t* relays, int32_t count) const {
        if (m_api.RLY) m_api.RLY(card, relays, count);
    }
    void servoData(int card, uint16_t value) const {
        if (m_api.servodata) m_api.servodata(card, value);
    }
    void daStart(int card) const {
        if (m_api.DASTART) m_api.DASTART(card);
    }

private:
    CardDriverApi m_api;
};

// The card models and their driver libraries, chosen by CardType.
struct CardModel {
    QString model;       // "RX640K", "RX710", "RX720"; empty for an unknown CardType
    QString driverBase;  // "RX640K", "PCI_CARD", "RX720"; empty for an unknown CardType
};
CardModel cardModelFor(int cardType);

// The platform's file name for a driver base name: "libRX720.so" here, "RX720.dll" on Windows.
QString driverFileName(const QString& driverBase);

// A loaded card driver library. Loading searches the executable's folder, then the application folder,
// then the system's library path, as the platform's own search would for a driver installed beside the
// program.
class CardDriverLibrary {
public:
    CardDriverLibrary();
    ~CardDriverLibrary();
    CardDriverLibrary(const CardDriverLibrary&) = delete;
    CardDriverLibrary& operator=(const CardDriverLibrary&) = delete;

    // Returns false when the library cannot be loaded; errorString() then says why.
    bool load(const QString& driverBase, const QString& applicationFolder);
    void unload();
    bool isLoaded() const;
    QString errorString() const { return m_error; }

    // Looks up every name in order; a missing name leaves its entry empty. Never fails.
    CardDriverApi resolve() const;

private:
    std::unique_ptr<QLibrary> m_library;
    QString m_error;
};

}  // namespace springtest
