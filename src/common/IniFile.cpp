#include "common/IniFile.h"

#include "common/Cp936.h"

#include <QFile>
#include <QSaveFile>

namespace scada {

bool IniFile::load(const QString &path)
{
    m_sections.clear();
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    parse(f.readAll());
    return true;
}

void IniFile::parse(const QByteArray &text)
{
    m_sections.clear();
    Section *current = nullptr;
    for (QByteArray raw : text.split('\n')) {
        QString line = fromCp936(raw).trimmed();
        if (line.isEmpty() || line.startsWith(u';'))
            continue;
        if (line.startsWith(u'[') && line.endsWith(u']')) {
            QString name = line.mid(1, line.size() - 2).trimmed();
            current = find(name);
            if (!current) {
                m_sections.push_back({name, {}});
                current = &m_sections.back();
            }
            continue;
        }
        if (!current)
            continue;
        qsizetype eq = line.indexOf(u'=');
        if (eq < 0)
            continue;
        QString key = line.left(eq).trimmed();
        QString value = line.mid(eq + 1).trimmed();
        bool replaced = false;
        for (auto &e : current->entries) {
            if (e.key.compare(key, Qt::CaseInsensitive) == 0) {
                e.value = value;
                replaced = true;
            }
        }
        if (!replaced)
            current->entries.push_back({key, value});
    }
}

QByteArray IniFile::serialise() const
{
    QByteArray out;
    for (const auto &s : m_sections) {
        out += toCp936(u'[' + s.name + u']') + "\r\n";
        for (const auto &e : s.entries)
            out += toCp936(e.key + u'=' + e.value) + "\r\n";
        out += "\r\n";
    }
    return out;
}

bool IniFile::save(const QString &path) const
{
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    f.write(serialise());
    return f.commit();
}

IniFile::Section *IniFile::find(const QString &section)
{
    for (auto &s : m_sections)
        if (s.name.compare(section, Qt::CaseInsensitive) == 0)
            return &s;
    return nullptr;
}

const IniFile::Section *IniFile::find(const QString &section) const
{
    return const_cast<IniFile *>(this)->find(section);
}

QStringList IniFile::sections() const
{
    QStringList out;
    for (const auto &s : m_sections)
        out << s.name;
    return out;
}

QStringList IniFile::keys(const QString &section) const
{
    QStringList out;
    if (const Section *s = find(section))
        for (const auto &e : s->entries)
            out << e.key;
    return out;
}

bool IniFile::contains(const QString &section, const QString &key) const
{
    return keys(section).contains(key, Qt::CaseInsensitive);
}

QString IniFile::value(const QString &section, const QString &key, const QString &def) const
{
    if (const Section *s = find(section))
        for (const auto &e : s->entries)
            if (e.key.compare(key, Qt::CaseInsensitive) == 0)
                return e.value;
    return def;
}

int IniFile::intValue(const QString &section, const QString &key, int def) const
{
    bool ok = false;
    int v = value(section, key).toInt(&ok);
    return ok ? v : def;
}

void IniFile::setValue(const QString &section, const QString &key, const QString &value)
{
    Section *s = find(section);
    if (!s) {
        m_sections.push_back({section, {}});
        s = &m_sections.back();
    }
    for (auto &e : s->entries) {
        if (e.key.compare(key, Qt::CaseInsensitive) == 0) {
            e.value = value;
            return;
        }
    }
    s->entries.push_back({key, value});
}

void IniFile::removeKey(const QString &section, const QString &key)
{
    if (Section *s = find(section))
        std::erase_if(s->entries, [&](const Entry &e) { return e.key.compare(key, Qt::CaseInsensitive) == 0; });
}

void IniFile::removeSection(const QString &section)
{
    std::erase_if(m_sections, [&](const Section &s) { return s.name.compare(section, Qt::CaseInsensitive) == 0; });
}

} // namespace scada
