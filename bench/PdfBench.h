#pragma once

namespace springtest {

// The one-page PDF certificate of a test with ten points on both strokes and a curve of 600 samples (a
// minute at the 100 ms curve rate), and of one with 60,000 (a minute of every reading): reading the test
// from its batch, drawing and writing the PDF, as `export pdf` and the browser do.
bool benchCertificate();

}  // namespace springtest
