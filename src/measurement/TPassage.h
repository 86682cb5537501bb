#pragma once

#include <QString>

#include <cstdint>

namespace springtest {

class CardDriver;
struct CardSlot;

// What the three channels of a card have in common.
class TPassage {
public:
    TPassage(QString applicationFolder, int cardIndex, const CardDriver& driver, CardSlot* slot)
        : m_applicationFolder(std::move(applicationFolder)),
          m_cardIndex(cardIndex),
          m_driver(driver),
          m_slot(slot) {}
    virtual ~TPassage() = default;
    TPassage(const TPassage&) = delete;
    TPassage& operator=(const TPassage&) = delete;

    const QString& Name() const { return m_name; }
    const QString& Units() const { return m_units; }
    int8_t Direction() const { return m_direction; }
    int cardIndex() const { return m_cardIndex; }
    const QString& applicationFolder() const { return m_applicationFolder; }

    // "init" + card index + ".dat" in the application folder.
    QString channelConfigPath() const;

protected:
    QString m_name;
    QString m_units;
    int8_t m_direction = 1;
    QString m_applicationFolder;
    int m_cardIndex = 0;
    const CardDriver& m_driver;
    CardSlot* m_slot;  // the card's other channels and record; parts may be absent in tests
};

// Directions are 1 or -1; anything else in a file counts as 1.
inline int8_t directionFrom(int value) {
    return value == -1 ? int8_t(-1) : int8_t(1);
}

}  // namespace springtest
