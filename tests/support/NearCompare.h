#pragma once

#include <QString>
#include <QtTest>

#include <cmath>

namespace springtest::testing {

// Whether `actual` lies within `relative` × |expected| + `absolute` of `expected`. Not a number is near
// nothing.
inline bool isNear(double actual, double expected, double relative, double absolute) {
    return std::abs(actual - expected) <= relative * std::abs(expected) + absolute;
}

// What a failed COMPARE_NEAR says: where (when given), both expressions with their values, the difference
// and the tolerance.
inline QString nearFailure(const char* actualExpression, double actual, const char* expectedExpression,
                           double expected, double relative, double absolute, const QString& where) {
    const auto number = [](double value) { return QString::number(value, 'g', 12); };
    // One pass over the pattern, so that a '%' in an expression stays as written.
    const QString failure =
        QStringLiteral("%1 = %2, %3 = %4: off by %5, more than %6 (relative %7, absolute %8)")
            .arg(QString::fromUtf8(actualExpression), number(actual), QString::fromUtf8(expectedExpression),
                 number(expected), number(std::abs(actual - expected)),
                 number(relative * std::abs(expected) + absolute), number(relative), number(absolute));
    return where.isEmpty() ? failure : where + QStringLiteral(": ") + failure;
}

}  // namespace springtest::testing

// QCOMPARE for measured numbers: passes when |actual − expected| ≤ relative × |expected| + absolute, and a
// failure names both values, the difference and the tolerance. Give relative 0 for a plain absolute bound. An
// optional fifth argument (a QString) says where, for checks made in a loop.
#define COMPARE_NEAR(actual, expected, relative, absolute, ...)                                             \
    do {                                                                                                    \
        const double actualValue_ = static_cast<double>(actual);                                            \
        const double expectedValue_ = static_cast<double>(expected);                                        \
        QVERIFY2(                                                                                           \
            ::springtest::testing::isNear(actualValue_, expectedValue_, (relative), (absolute)),            \
            qPrintable(::springtest::testing::nearFailure(#actual, actualValue_, #expected, expectedValue_, \
                                                          (relative), (absolute), QString(__VA_ARGS__))));  \
    } while (false)
