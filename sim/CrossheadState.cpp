#include "CrossheadState.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#if !defined(_WIN32)
#include <unistd.h>
#endif

namespace springtest::sim {

namespace {

// "card3" → 3; anything else → -1.
int cardKey(std::string_view key) {
    if (key.size() != 5 || !equalsIgnoreCase(key.substr(0, 4), "card")) return -1;
    const int index = key[4] - '0';
    return index >= 0 && index < kMaxCards ? index : -1;
}

// printf rather than the standard library's number formatting: that brings a table of digits shared between
// libraries, and a library holding one is never unloaded, so the state would not be written when the program
// lets the driver go.
std::string printed(const char* format, double value) {
    char buffer[64];
    const int length = std::snprintf(buffer, sizeof buffer, format, value);
    return length > 0 ? std::string(buffer, static_cast<size_t>(length)) : std::string();
}

}  // namespace

std::string crossheadStatePath(const std::string& configPath) {
    if (configPath.empty()) return {};
    std::error_code ec;
    // Made absolute now: the program may change its working directory later, the file stays where it is.
    const std::filesystem::path config = std::filesystem::absolute(configPath, ec);
    if (ec) return {};
    return (config.parent_path() / "simcard.state").string();
}

CrossheadPositions parseCrossheadState(std::string_view text) {
    CrossheadPositions positions{};
    bool inSection = false;
    while (!text.empty()) {
        const size_t eol = text.find('\n');
        std::string_view line = trimmed(text.substr(0, eol));
        text = eol == std::string_view::npos ? std::string_view() : text.substr(eol + 1);
        if (line.empty() || line.front() == ';' || line.front() == '#') continue;
        if (line.front() == '[') {
            inSection =
                line.back() == ']' && equalsIgnoreCase(trimmed(line.substr(1, line.size() - 2)), "crosshead");
            continue;
        }
        const size_t eq = line.find('=');
        if (!inSection || eq == std::string_view::npos) continue;
        const int card = cardKey(trimmed(line.substr(0, eq)));
        double value = 0.0;
        if (card >= 0 && parseNumber(line.substr(eq + 1), value))
            positions[static_cast<size_t>(card)] = value;
    }
    return positions;
}

CrossheadPositions readCrossheadState(const std::string& path) {
    if (path.empty()) return {};
    std::ifstream in(path, std::ios::binary);
    if (!in) return {};
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return parseCrossheadState(text);
}

bool writeCrossheadState(const std::string& path, const std::array<double, kMaxCards>& positions_mm) {
    if (path.empty()) return false;
    std::string text =
        "; Where each simulated crosshead stood when the program last ended, in mm. Written by the\n"
        "; simulated card driver; without this file every crosshead starts at its start_position_mm.\n"
        "[crosshead]\n";
    for (int card = 0; card < kMaxCards; ++card)
        text +=
            printed("card%.0f = ", card) + printed("%.17g", positions_mm[static_cast<size_t>(card)]) + "\n";

#if defined(_WIN32)
    const std::string temporary = path + ".tmp";
#else
    const std::string temporary = path + printed(".%.0f.tmp", ::getpid());
#endif
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    if (!file) return false;
    bool ok = std::fwrite(text.data(), 1, text.size(), file) == text.size() && std::fflush(file) == 0;
#if !defined(_WIN32)
    ok = ok && ::fsync(::fileno(file)) == 0;
#endif
    ok = std::fclose(file) == 0 && ok;
    std::error_code ec;
    if (ok) std::filesystem::rename(temporary, path, ec);
    if (!ok || ec) {
        std::filesystem::remove(temporary, ec);
        return false;
    }
    return true;
}

}  // namespace springtest::sim
