#include "FakeCard.h"

#include <array>

namespace springtest::testing {

namespace {

std::array<FakeCardState, 5>& cards() {
    static std::array<FakeCardState, 5> c;
    return c;
}

FakeCardState& card(int32_t i) {
    return cards().at(static_cast<size_t>(i));
}

extern "C" {
uint8_t fakeCardOpen(int32_t c) {
    std::lock_guard lock(FakeCard::mutex());
    return card(c).opens ? 1 : 0;
}
int32_t fakeLoadGetAd(int32_t c) {
    std::lock_guard lock(FakeCard::mutex());
    FakeCardState& s = card(c);
    ++s.loadGetAdCalls;
    if (!s.countScript.empty()) {
        const int32_t v = s.countScript.front();
        s.countScript.pop_front();
        return v;
    }
    return s.count;
}
void fakeSetLoadAmp(int32_t c, int32_t m) {
    std::lock_guard lock(FakeCard::mutex());
    card(c).loadAmp = m;
    card(c).loadAmpCalls.push_back(m);
}
int32_t fakeReadPulse(int32_t c) {
    std::lock_guard lock(FakeCard::mutex());
    return card(c).pulses;
}
void fakeSetRate(int32_t c, float r) {
    std::lock_guard lock(FakeCard::mutex());
    card(c).rates.push_back(r);
}
void fakeMoveUp(int32_t c) {
    std::lock_guard lock(FakeCard::mutex());
    card(c).moves.push_back("up");
}
void fakeMoveDown(int32_t c) {
    std::lock_guard lock(FakeCard::mutex());
    card(c).moves.push_back("down");
}
void fakeStop(int32_t c) {
    std::lock_guard lock(FakeCard::mutex());
    card(c).moves.push_back("stop");
}
uint8_t fakeGetOutCommand(int32_t c) {
    std::lock_guard lock(FakeCard::mutex());
    return card(c).outCommand;
}
void fakeRly(int32_t c, uint8_t* relays, int32_t n) {
    std::lock_guard lock(FakeCard::mutex());
    card(c).relayWrites.emplace_back(relays, relays + n + 1);
}
void fakeServo(int32_t c, uint16_t v) {
    std::lock_guard lock(FakeCard::mutex());
    card(c).servo.push_back(v);
}
void fakeDaStart(int32_t c) {
    std::lock_guard lock(FakeCard::mutex());
    ++card(c).daStarts;
}
}

}  // namespace

void FakeCard::reset() {
    std::lock_guard lock(mutex());
    for (FakeCardState& s : cards()) s = FakeCardState{};
}

FakeCardState& FakeCard::state(int c) {
    return card(c);
}

std::mutex& FakeCard::mutex() {
    static std::mutex m;
    return m;
}

CardDriverApi FakeCard::api() {
    CardDriverApi api;
    api.CardOpen = fakeCardOpen;
    api.LoadGetAd = fakeLoadGetAd;
    api.SetLoadAmp = fakeSetLoadAmp;
    api.ReadPulse = fakeReadPulse;
    api.SetRate = fakeSetRate;
    api.MoveUp = fakeMoveUp;
    api.MoveDown = fakeMoveDown;
    api.Stop = fakeStop;
    api.GetOutCommand = fakeGetOutCommand;
    api.RLY = fakeRly;
    api.servodata = fakeServo;
    api.DASTART = fakeDaStart;
    return api;
}

}  // namespace springtest::testing
