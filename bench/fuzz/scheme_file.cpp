// Any bytes as the scheme file of `springtest scheme add --file`: a refusal says why, and a scheme the point
// check accepts holds only finite numbers.

#include "FuzzExpect.h"
#include "cli/SchemeFile.h"
#include "platform/TextEncoding.h"
#include "storage/SchemeCheck.h"

#include <cmath>
#include <cstddef>
#include <cstdint>

using namespace springtest;
using springtest::fuzz::expect;

namespace {

bool finiteOrBlank(const QString& text) {
    if (text.trimmed().isEmpty()) return true;
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    return ok && std::isfinite(value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    SchemeInput in;
    QString error;
    if (!readSchemeFile(decodeText(bytes).text, in, error)) {
        expect(!error.isEmpty(), "a refused scheme file says why");
        return 0;
    }
    QList<SchemePointText> rows;
    for (qsizetype k = 0; k < in.points.size(); ++k)
        rows.append({in.points[k], in.upper.value(k), in.lower.value(k)});
    const SchemeCheckResult check =
        checkSchemePoints(in.style, QString::number(in.points.size()), !in.tension, rows);
    expect(check.ok || !check.message.isEmpty(), "a refused point table says why");
    if (!check.ok) return 0;
    for (const SchemePointText& row : rows) {
        expect(!row.value.trimmed().isEmpty() && finiteOrBlank(row.value),
               "an accepted point is a finite number");
        expect(finiteOrBlank(row.upper) && finiteOrBlank(row.lower), "an accepted limit is a finite number");
    }
    return 0;
}
