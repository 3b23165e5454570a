#pragma once
// Small INI files of the program directory ("[Section]" lines, "Key=Value"
// lines). Sections and keys are matched without regard to letter case and
// keep the order in which they were read or added. Text is code page 936.

#include <QString>
#include <QStringList>
#include <vector>

namespace scada {

class IniFile {
public:
    IniFile() = default;
    explicit IniFile(const QString &path) { load(path); }

    // Reads the file; a missing file gives an empty IniFile and returns false.
    bool load(const QString &path);
    void parse(const QByteArray &text);
    // Writes the whole file; returns false when it cannot be written.
    bool save(const QString &path) const;
    QByteArray serialise() const;

    QStringList sections() const;
    QStringList keys(const QString &section) const;
    bool contains(const QString &section, const QString &key) const;
    QString value(const QString &section, const QString &key, const QString &def = {}) const;
    int intValue(const QString &section, const QString &key, int def) const;
    void setValue(const QString &section, const QString &key, const QString &value);
    void removeKey(const QString &section, const QString &key);
    void removeSection(const QString &section);
    void clear() { m_sections.clear(); }

private:
    struct Entry {
        QString key;
        QString value;
    };
    struct Section {
        QString name;
        std::vector<Entry> entries;
    };
    Section *find(const QString &section);
    const Section *find(const QString &section) const;
    std::vector<Section> m_sections;
};

} // namespace scada
