#include "measurement/Tbankhk.h"

#include "measurement/TDisplacement.h"
#include "measurement/TMotor.h"
#include "measurement/Tload.h"
#include "platform/WindowTarget.h"

#include <chrono>
#include <exception>

#include <pthread.h>
#include <time.h>

namespace springtest {

Tbankhk::Tbankhk(CardTables& cards, SampleSlot* sequencer) : m_cards(cards), m_sequencer(sequencer) {}

Tbankhk::~Tbankhk() {
    stop();
}

void Tbankhk::start() {
    if (m_thread.joinable()) return;
    m_stopRequested.store(false, std::memory_order_relaxed);
    m_running.store(true, std::memory_order_release);
    m_thread = std::thread([this] { run(); });
}

void Tbankhk::stop() {
    requestStop();
    if (m_thread.joinable()) m_thread.join();
}

void Tbankhk::cycle() {
    for (int i = 0; i < m_cards.count; ++i) {
        CardSlot& card = m_cards.cards[static_cast<size_t>(i)];
        Tload* load = card.load.get();
        TDisplacement* displacement = card.displacement.get();
        if (!load || !displacement) continue;
        if (load->autoGear() && load->currentGear() != load->shownGear()) {
            if (WindowTarget* t = load->gearTarget()) t->send(kMsgLoadChannel);
        }
        MeasurementRecord& r = card.record;
        r.load.store(load->ReadLoad(), std::memory_order_relaxed);
        // The displacement is taken where the crosshead was when the load was converted: after a hold-up the
        // load comes from the converter's FIFO while the encoder is read live.
        r.displacement.store(displacement->ReadDisplacement(load->readingTime()), std::memory_order_relaxed);
        r.deformation.store(displacement->ReadDeformation(), std::memory_order_relaxed);
        r.minutes.store(ElapsedMinutes(r.startTickMs.load(std::memory_order_relaxed)),
                        std::memory_order_relaxed);
    }
    if (m_sequencer && m_sequencer->running.load(std::memory_order_acquire)) {
        const int cardIndex = m_sequencer->cardIndex.load(std::memory_order_relaxed);
        const unsigned run = m_sequencer->runsBegun.load(std::memory_order_acquire);
        if (SampleProcedure* r = m_sequencer->recorder.load(std::memory_order_acquire))
            r->onSample(cardIndex);
        if (SampleProcedure* p = m_sequencer->procedure.load(std::memory_order_acquire))
            p->onSample(cardIndex);
        // A stop from the operator that came while the procedure was deciding may have been followed by the
        // procedure's own drive command: the run is over, so whatever still moves its drive is stopped. Not
        // when a new run has begun meanwhile: the drive is then that run's.
        if (!m_sequencer->running.load(std::memory_order_acquire)) {
            if (TMotor* motor = m_cards.cards[static_cast<size_t>(cardIndex)].motor.get())
                motor->CommandStopIf([&] {
                    return motor->state() != MotionState::Stopped &&
                           m_sequencer->runsBegun.load(std::memory_order_acquire) == run;
                });
        }
    }
    m_cycles.fetch_add(1, std::memory_order_relaxed);
}

void Tbankhk::run() {
    using Clock = std::chrono::steady_clock;
    auto last = Clock::now();
    try {
        while (!m_stopRequested.load(std::memory_order_relaxed)) {
            cycle();
            const auto now = Clock::now();
            const auto gap = static_cast<uint64_t>(
                std::chrono::duration_cast<std::chrono::microseconds>(now - last).count());
            if (gap > m_longestGapUs.load(std::memory_order_relaxed))
                m_longestGapUs.store(gap, std::memory_order_relaxed);
            last = now;
        }
    } catch (const std::exception& e) {
        std::lock_guard lock(m_errorMutex);
        m_lastError = QString::fromLocal8Bit(e.what());
        m_failed.store(true, std::memory_order_release);
    } catch (...) {
        std::lock_guard lock(m_errorMutex);
        m_lastError = QStringLiteral("unknown error in the acquisition loop");
        m_failed.store(true, std::memory_order_release);
    }
    stopAllMotors();
    m_running.store(false, std::memory_order_release);
}

void Tbankhk::stopAllMotors() {
    for (int i = 0; i < m_cards.count; ++i) {
        if (TMotor* motor = m_cards.cards[static_cast<size_t>(i)].motor.get()) motor->CommandStop();
    }
}

double Tbankhk::threadCpuSeconds() const {
    if (!m_thread.joinable()) return 0.0;
    clockid_t clock;
    if (pthread_getcpuclockid(const_cast<std::thread&>(m_thread).native_handle(), &clock) != 0) return 0.0;
    timespec ts{};
    if (clock_gettime(clock, &ts) != 0) return 0.0;
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

QString Tbankhk::lastError() const {
    std::lock_guard lock(m_errorMutex);
    return m_lastError;
}

}  // namespace springtest
