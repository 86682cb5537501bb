#include "platform/ProfileFile.h"

#include "platform/FileReplace.h"
#include "platform/OperatorTexts.h"
#include "platform/TextEncoding.h"

#include <QDir>
#include <QFile>
#include <QMutex>

#include <cmath>
#include <limits>

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
};

RawFile rawFromBytes(const QByteArray& bytes) {
    RawFile raw;
    DecodedText decoded = decodeText(bytes);
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

// A missing file reads as an empty one; a file that is there but cannot be read gives nothing.
std::optional<RawFile> readRaw(const QString& path) {
    QFile file(path);
    if (!file.exists()) return RawFile{};
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) return std::nullopt;
    return rawFromBytes(bytes);
}

// Sets one key in the lines of a file: replaces its first entry in the first section of that name, or adds
// it after that section's last entry, or adds the section at the end.
void setInLines(QStringList& lines, const ProfileSetting& setting) {
    qsizetype sectionLine = -1;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (auto name = sectionHeader(lines[i]); name && sameName(*name, setting.section)) {
            sectionLine = i;
            break;
        }
    }
    const QString entry = setting.key + QLatin1Char('=') + setting.value;
    if (sectionLine < 0) {
        if (!lines.isEmpty() && !lines.last().trimmed().isEmpty()) lines.append(QString());
        lines.append(QLatin1Char('[') + setting.section + QLatin1Char(']'));
        lines.append(entry);
        return;
    }
    qsizetype end = lines.size();
    for (qsizetype i = sectionLine + 1; i < lines.size(); ++i) {
        if (sectionHeader(lines[i])) {
            end = i;
            break;
        }
    }
    qsizetype lastEntry = sectionLine;
    for (qsizetype i = sectionLine + 1; i < end; ++i) {
        auto kv = keyValue(lines[i]);
        if (!kv) continue;
        lastEntry = i;
        if (sameName(kv->first, setting.key)) {
            lines[i] = kv->first + QLatin1Char('=') + setting.value;
            return;
        }
    }
    lines.insert(lastEntry + 1, entry);
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
    // "nan" and "inf" parse, but as a limit or a coefficient they switch a check off or hide the load:
    // they are no numbers here.
    bool ok = false;
    const double v = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(v)) return std::nullopt;
    return v;
}

std::optional<float> parseProfileFloat(const QString& text) {
    const std::optional<double> v = parseProfileDouble(text);
    if (!v || std::fabs(*v) > double(std::numeric_limits<float>::max())) return std::nullopt;
    return static_cast<float>(*v);
}

ProfileSnapshot ProfileSnapshot::fromBytes(const QByteArray& bytes) {
    return fromText(rawFromBytes(bytes).lines.join(QLatin1Char('\n')));
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

float ProfileSnapshot::readFloat(const QString& section, const QString& key, float def) const {
    const auto v = value(section, key);
    if (!v) return def;
    return parseProfileFloat(*v).value_or(def);
}

bool ProfileSnapshot::readBool(const QString& section, const QString& key, bool def) const {
    return readInt(section, key, def ? 1 : 0) != 0;
}

QStringList ProfileSnapshot::sectionNames() const {
    QStringList names;
    for (const Section& s : m_sections) names.append(s.name);
    return names;
}

QStringList ProfileSnapshot::keys(const QString& section) const {
    QStringList names;
    for (const Section& s : m_sections)
        if (sameName(s.name, section))
            for (const Entry& e : s.entries) names.append(e.key);
    return names;
}

ProfileFile::ProfileFile(QString path) : m_path(std::move(path)) {}

ProfileSnapshot ProfileFile::snapshot() const {
    const std::optional<RawFile> raw = readRaw(m_path);
    return raw ? ProfileSnapshot::fromText(raw->lines.join(QLatin1Char('\n'))) : ProfileSnapshot();
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
float ProfileFile::readFloat(const QString& section, const QString& key, float def) const {
    return snapshot().readFloat(section, key, def);
}
bool ProfileFile::readBool(const QString& section, const QString& key, bool def) const {
    return snapshot().readBool(section, key, def);
}

bool ProfileFile::writeInt(const QString& section, const QString& key, int value, QString* error) {
    return writeString(section, key, QString::number(value), error);
}

bool ProfileFile::writeString(const QString& section, const QString& key, const QString& value,
                              QString* error) {
    return writeSettings({ProfileSetting{section, key, value}}, error);
}

bool ProfileFile::writeSettings(const QList<ProfileSetting>& settings, QString* error) {
    QMutexLocker lock(&writeMutex());
    std::optional<RawFile> raw = readRaw(m_path);
    if (!raw) {
        if (error)
            *error = kCannotWrite + QDir::toNativeSeparators(m_path) + QStringLiteral("：无法读取原有内容");
        return false;
    }
    for (const ProfileSetting& setting : settings) setInLines(raw->lines, setting);
    const QString text = raw->lines.join(raw->newline) + raw->newline;
    return replaceFileContents(m_path, encodeText(text, raw->encoding), error);
}

}  // namespace springtest
