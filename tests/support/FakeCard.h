#pragma once

#include "platform/CardDriver.h"

#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

namespace springtest::testing {

// A scripted card driver for unit tests: raw counts, pulses and operator-box input are set by the test,
// and every command sent to the card is recorded. All five cards share one lock.
struct FakeCardState {
    int32_t count = 0;                // returned by LoadGetAd when no script is queued
    std::deque<int32_t> countScript;  // returned one per LoadGetAd call first
    int32_t pulses = 0;
    uint8_t outCommand = 0;
    bool opens = true;
    int32_t loadAmp = -1;
    std::vector<int32_t> loadAmpCalls;
    std::vector<float> rates;
    std::vector<std::string> moves;  // "up", "down", "stop"
    std::vector<uint16_t> servo;
    std::vector<std::vector<uint8_t>> relayWrites;
    int daStarts = 0;
    int loadGetAdCalls = 0;
};

class FakeCard {
public:
    // Clears every card's state.
    static void reset();
    static FakeCardState& state(int card);
    static std::mutex& mutex();
    static CardDriverApi api();
};

}  // namespace springtest::testing
