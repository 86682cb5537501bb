#pragma once

#include <QString>

#include <functional>
#include <memory>
#include <optional>

namespace springtest {

// Where the reading of the force standard (a proving ring, a reference transducer) comes from while a
// calibration or a verification holds the machine at a force.
class ReferenceForce {
public:
    virtual ~ReferenceForce() = default;
    // The standard's reading now, in load units, as a positive magnitude; nothing when there is none (the
    // operator gave up). `nominal` is the force the machine was brought to, for the operator's orientation.
    virtual std::optional<double> reference(double nominal) = 0;
    // How the readings were taken, for the record: "reference transducer" or "operator".
    virtual QString source() const = 0;
};

// The simulated machine's reference transducer: the true force on its proving ring, without the load
// cell's errors or noise. Found only when the loaded card driver is the simulator.
class SimulatorReference : public ReferenceForce {
public:
    using SimGet = double (*)(int card, const char* key);

    // The simulator's reference of `card`, when the driver library `driverBase` found as the machine
    // session finds it is the simulator; nothing for a real card's driver.
    static std::unique_ptr<SimulatorReference> find(const QString& driverBase,
                                                    const QString& applicationFolder, int card);
    SimulatorReference(SimGet simGet, int card) : m_simGet(simGet), m_card(card) {}

    std::optional<double> reference(double nominal) override;
    QString source() const override { return QStringLiteral("reference transducer"); }
    // Whether a proving ring stands between the platens: without one there is nothing to read.
    bool present() const;

private:
    SimGet m_simGet;
    int m_card;
};

// The operator reads the standard and types its reading. A text that is no positive number is refused
// with the reason and asked again; an answer of nothing (cancel, end of input) gives up.
class PromptedReference : public ReferenceForce {
public:
    // Shows the question and returns the typed text, or nothing when the operator gave up.
    using Ask = std::function<std::optional<QString>(const QString& question)>;
    // Shows why a typed text was refused.
    using Tell = std::function<void(const QString& message)>;

    PromptedReference(Ask ask, Tell tell) : m_ask(std::move(ask)), m_tell(std::move(tell)) {}
    // Asked through the prompts service (an input box in the windows, scripted in tests); GUI thread only.
    static std::unique_ptr<PromptedReference> throughPrompts();

    std::optional<double> reference(double nominal) override;
    QString source() const override { return QStringLiteral("operator"); }

private:
    Ask m_ask;
    Tell m_tell;
};

}  // namespace springtest
