#include "platform/ProfileFile.h"

#include "platform/TextEncoding.h"

#include <QFile>
#include <QMutex>
#include <QSaveFile>

namespace springtest {

namespace {

// Writers read, change and replace the whole file; two writers of one process must not interleave.
QMutex& writeMutex() {
    static QMutex mutex;
    return mutex;
}

struct RawFile {
    QStringList lines;
    QString newline = QStringLiteral("\n");
    TextEncoding encoding = TextEncoding::Utf8;
    bool existed = false;
};

RawFile readRaw(const QString& path) {
    RawFile raw;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return raw;
    raw.existed = true;
    DecodedText decoded = decodeText(file.readAll());
    raw.encoding = decoded.encoding;
    if (decoded.text.contains(QLatin1String("\r\n"))) raw.newline = QStringLiteral("\r\n");
    QString text = decoded.text;
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    raw.lines = text.split(QLatin1Char('\n'));
    if (!raw.lines.isEmpty() && raw.lines.last().isEmpty()) raw.lines.removeLast();
    return raw;
}

std::optional<QString> sectionHeader(const QString& line) {
    const QString t = line.trimmed();
    if (t.size() >= 2 && t.startsWith(QLatin1Char('[')) && t.endsWith(QLatin1Char(']')))
        return t.mid(1, t.size() - 2).trimmed();
    return std::nullopt;
}

bool isComment(const QString& trimmed) {
    return trimmed.startsWith(QLatin1Char(';')) || trimmed.startsWith(QLatin1Char('#'));
}

// Splits "key = value" into its trimmed parts; lines without '=' are no entries.
std::optional<std::pair<QString, QString>> keyValue(const QString& line) {
    const QString t = line.trimmed();
    if (t.isEmpty() || isComment(t)) return std::nullopt;
    const qsizetype eq = t.indexOf(QLatin1Char('='));
    if (eq <= 0) return std::nullopt;
    QString value = t.mid(eq + 1).trimmed();
    if (value.size() >= 2 && value.startsWith(QLatin1Char('"')) && value.endsWith(QLatin1Char('"')))
        value = value.mid(1, value.size() - 2);
    return std::make_pair(t.left(eq).trimmed(), value);
}

bool sameName(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

}  // namespace

std::optional<int> parseProfileInt(const QString& text) {
    // Integers are read the way the platform's profile functions read them: an optional sign and the
    // leading digits; text with no leading digits is no number.
    const QString t = text.trimmed();
    qsizetype i = 0;
    bool negative = false;
    if (i < t.size() && (t[i] == QLatin1Char('-') || t[i] == QLatin1Char('+'))) {
        negative = t[i] == QLatin1Char('-');
        ++i;
    }
    const qsizetype firstDigit = i;
    long long value = 0;
    while (i < t.size() && t[i].isDigit() && t[i].unicode() < 128) {
        value = value * 10 + (t[i].unicode() - '0');
        if (value > 2147483648LL) return std::nullopt;
        ++i;
    }
    if (i == firstDigit) return std::nullopt;
    if (negative) value = -value;
    if (value > 2147483647LL || value < -2147483648LL) return std::nullopt;
    return static_cast<int>(value);
}

std::optional<double> parseProfileDouble(const QString& text) {
    bool ok = false;
    const double v = text.trimmed().toDouble(&ok);
    if (!ok) return std::nullopt;
    return v;
}

ProfileSnapshot ProfileSnapshot::fromText(const QString& text) {
    ProfileSnapshot snap;
    Section* current = nullptr;
    QString normalised = text;
    normalised.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    for (const QString& line : normalised.split(QLatin1Char('\n'))) {
        if (auto name = sectionHeader(line)) {
            current = nullptr;
            for (Section& s : snap.m_sections)
                if (sameName(s.name, *name)) current = &s;
            if (!current) {
                snap.m_sections.append(Section{*name, {}});
                current = &snap.m_sections.last();
            }
            continue;
        }
        if (!current) continue;
        if (auto kv = keyValue(line)) current->entries.append(Entry{kv->first, kv->second});
    }
    return snap;
}

std::optional<QString> ProfileSnapshot::value(const QString& section, const QString& key) const {
    for (const Section& s : m_sections) {
        if (!sameName(s.name, section)) continue;
        for (const Entry& e : s.entries)
            if (sameName(e.key, key)) return e.value;
    }
    return std::nullopt;
}

QString ProfileSnapshot::readString(const QString& section, const QString& key, const QString& def) const {
    return value(section, key).value_or(def);
}

int ProfileSnapshot::readInt(const QString& section, const QString& key, int def) const {
    const auto v = value(section, key);
    if (!v) return def;
    return parseProfileInt(*v).value_or(def);
}

double ProfileSnapshot::readDouble(const QString& section, const QString& key, double def) const {
    const auto v = value(section, key);
    if (!v) return def;
    return parseProfileDouble(*v).value_or(def);
}

bool ProfileSnapshot::readBool(const QString& section, const QString& key, bool def) const {
    return readInt(section, key, def ? 1 : 0) != 0;
}

QStringList ProfileSnapshot::sectionNames() const {
    QStringList names;
    for (const Section& s : m_sections) names.append(s.name);
    return names;
}

ProfileFile::ProfileFile(QString path) : m_path(std::move(path)) {}

ProfileSnapshot ProfileFile::snapshot() const {
    const RawFile raw = readRaw(m_path);
    return ProfileSnapshot::fromText(raw.lines.join(QLatin1Char('\n')));
}

QString ProfileFile::readString(const QString& section, const QString& key, const QString& def) const {
    return snapshot().readString(section, key, def);
}
int ProfileFile::readInt(const QString& section, const QString& key, int def) const {
    return snapshot().readInt(section, key, def);
}
double ProfileFile::readDouble(const QString& section, const QString& key, double def) const {
    return snapshot().readDouble(section, key, def);
}
bool ProfileFile::readBool(const QString& section, const QString& key, bool def) const {
    return snapshot().readBool(section, key, def);
}

bool ProfileFile::writeInt(const QString& section, const QString& key, int value) {
    return writeString(section, key, QString::number(value));
}

bool ProfileFile::writeString(const QString& section, const QString& key, const QString& value) {
    QMutexLocker lock(&writeMutex());
    RawFile raw = readRaw(m_path);
    QStringList& lines = raw.lines;

    qsizetype sectionLine = -1;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (auto name = sectionHeader(lines[i]); name && sameName(*name, section)) {
            sectionLine = i;
            break;
        }
    }
    if (sectionLine < 0) {
        if (!lines.isEmpty() && !lines.last().trimmed().isEmpty()) lines.append(QString());
        lines.append(QLatin1Char('[') + section + QLatin1Char(']'));
        lines.append(key + QLatin1Char('=') + value);
    } else {
        qsizetype end = lines.size();
        for (qsizetype i = sectionLine + 1; i < lines.size(); ++i) {
            if (sectionHeader(lines[i])) {
                end = i;
                break;
            }
        }
        bool replaced = false;
        qsizetype lastEntry = sectionLine;
        for (qsizetype i = sectionLine + 1; i < end; ++i) {
            auto kv = keyValue(lines[i]);
            if (!kv) continue;
            lastEntry = i;
            if (sameName(kv->first, key)) {
                lines[i] = kv->first + QLatin1Char('=') + value;
                replaced = true;
                break;
            }
        }
        if (!replaced) lines.insert(lastEntry + 1, key + QLatin1Char('=') + value);
    }

    QSaveFile out(m_path);
    if (!out.open(QIODevice::WriteOnly)) return false;
    const QString text = lines.join(raw.newline) + raw.newline;
    const QByteArray bytes = encodeText(text, raw.encoding);
    if (out.write(bytes) != bytes.size()) {
        out.cancelWriting();
        return false;
    }
    return out.commit();
}

}  // namespace springtest
