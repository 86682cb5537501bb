#pragma once

namespace springtest {

// Batch statistics of 10,000 tests with both strokes and ten points: computing them from the loaded rows
// (what the browser's page and the exports do), and opening the batch and computing them (the stats
// command).
bool benchStatistics();

}  // namespace springtest
