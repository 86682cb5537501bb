#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace springtest {

// One INI profile file, read and written with the semantics operators' installations rely on:
// section and key names compare without regard to case, a missing file or key gives the default,
// a value that is not a finite number gives the default (no "nan" or "inf" can switch a limit off), and
// every write reaches the disk at once and atomically. Files from older installations are GB18030; a file
// keeps its encoding when written.
//
// There is no cached copy: every read opens the file. For a reader that needs many keys at once,
// `snapshot()` reads the file once and answers from that reading.
class ProfileSnapshot;

// One key a write sets.
struct ProfileSetting {
    QString section;
    QString key;
    QString value;
};

class ProfileFile {
public:
    explicit ProfileFile(QString path);

    const QString& path() const { return m_path; }

    ProfileSnapshot snapshot() const;

    QString readString(const QString& section, const QString& key, const QString& def) const;
    int readInt(const QString& section, const QString& key, int def) const;
    double readDouble(const QString& section, const QString& key, double def) const;
    // For a value kept in single precision: one beyond its range is no number either.
    float readFloat(const QString& section, const QString& key, float def) const;
    bool readBool(const QString& section, const QString& key, bool def) const;

    // Returns false when the file could not be written, with the operator's message in `error`; the file
    // is then left whole as it was. A file that exists but cannot be read is not written either: the
    // settings it holds would be lost.
    bool writeString(const QString& section, const QString& key, const QString& value,
                     QString* error = nullptr);
    bool writeInt(const QString& section, const QString& key, int value, QString* error = nullptr);
    // All of them in one replacement of the file: a reader, or the next start after a kill, sees every
    // one of them or none.
    bool writeSettings(const QList<ProfileSetting>& settings, QString* error = nullptr);

private:
    QString m_path;
};

// The contents of a profile file as read at one moment.
class ProfileSnapshot {
public:
    struct Entry {
        QString key;
        QString value;
    };
    struct Section {
        QString name;
        QList<Entry> entries;
    };

    static ProfileSnapshot fromText(const QString& text);
    // The contents of a profile file in either of its encodings and any of its line ends.
    static ProfileSnapshot fromBytes(const QByteArray& bytes);

    std::optional<QString> value(const QString& section, const QString& key) const;

    QString readString(const QString& section, const QString& key, const QString& def) const;
    int readInt(const QString& section, const QString& key, int def) const;
    double readDouble(const QString& section, const QString& key, double def) const;
    float readFloat(const QString& section, const QString& key, float def) const;
    bool readBool(const QString& section, const QString& key, bool def) const;

    QStringList sectionNames() const;
    // The keys of a section as written in the file, in file order.
    QStringList keys(const QString& section) const;

private:
    QList<Section> m_sections;
};

// Text-to-number rules of the profile layer, shared with everything that reads numbers typed by an operator
// into a configuration file.
std::optional<int> parseProfileInt(const QString& text);
std::optional<double> parseProfileDouble(const QString& text);
std::optional<float> parseProfileFloat(const QString& text);

}  // namespace springtest
