#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

#include <array>
#include <cmath>
#include <limits>
#include <memory>
#include <optional>

namespace springtest {

class BatchHold;

// The quantity the points are given in, then the quantity measured. The numbers are the scheme table's
// `scheme_style` values.
enum class SchemeStyle : int {
    DisplacementLoad = 0,
    DeformationLoad = 1,
    LoadDisplacement = 2,
    LoadDeformation = 3
};

// The style a `scheme_style` value names; nothing for a value no scheme has.
inline std::optional<SchemeStyle> schemeStyleFromColumn(int value) {
    if (value < static_cast<int>(SchemeStyle::DisplacementLoad) ||
        value > static_cast<int>(SchemeStyle::LoadDeformation))
        return std::nullopt;
    return static_cast<SchemeStyle>(value);
}

// A load is measured at each point (the points are lengths).
inline bool measuresLoad(SchemeStyle style) {
    return style == SchemeStyle::DisplacementLoad || style == SchemeStyle::DeformationLoad;
}
// The length the style works in is the crosshead's displacement, not the spring's deformation.
inline bool usesDisplacement(SchemeStyle style) {
    return style == SchemeStyle::DisplacementLoad || style == SchemeStyle::LoadDisplacement;
}

// The loaded scheme, named after the scheme table's columns.
struct ttest_info {
    int xuhao = 1;  // serial the next stored test receives
    SchemeStyle scheme_style = SchemeStyle::DisplacementLoad;
    int scheme_jh = 1;  // 1 forward stroke only, 2 return stroke measured too
    double scheme_height = 0;
    double scheme_load = 0;  // initial force
    int scheme_sum = 0;      // points, 1…10
    QVector<double> points;  // schemedata k
    QVector<double> upper;   // schemedata k _max
    QVector<double> lower;   // schemedata k _min
    double scheme_gangdu_max = 0;
    double scheme_gangdu_min = 0;
    bool scheme_type = true;  // compression spring
    bool scheme_yb = false;   // search the solid height
    double scheme_SDload = 0;
    double scheme_th_height = 0;
    double scheme_xc_height = 0;
    double scheme_yyLOAD = 0;
    double scheme_returnLOAD = 0;
    QString connection;  // path of the open batch database
    // Keeps the batch held for testing for as long as this scheme is loaded (see BatchHold).
    std::shared_ptr<const BatchHold> batchHold;
};

// The curve of one test as text, one entry per recorded sample.
struct ttest_chart {
    QStringList load, displacement, deformation, stroke, x, y;
    int count = 0;
};

inline constexpr int kResultSlots = 119;
inline constexpr int kMaxPoints = 10;

// The results of one test. A slot that the test did not reach holds NaN and is stored empty.
class ResultArray {
public:
    ResultArray() { clear(); }
    void clear() { m_values.fill(std::numeric_limits<float>::quiet_NaN()); }

    float& operator[](int i) { return m_values.at(static_cast<size_t>(i)); }
    float operator[](int i) const { return m_values.at(static_cast<size_t>(i)); }

    // [0] spring height at the initial force, [1] solid height; stroke s (1, 2), point k (1…10).
    static int valueIndex(int stroke, int k) { return 2 + 20 * (stroke - 1) + (k - 1); }
    static int stiffnessIndex(int stroke, int k) { return 12 + 20 * (stroke - 1) + (k - 1); }

    float height() const { return m_values[0]; }
    float solidHeight() const { return m_values[1]; }
    float value(int stroke, int k) const { return (*this)[valueIndex(stroke, k)]; }
    float stiffness(int stroke, int k) const { return (*this)[stiffnessIndex(stroke, k)]; }

    static bool isEmpty(float v) { return std::isnan(v); }

private:
    std::array<float, kResultSlots> m_values;
};

}  // namespace springtest
