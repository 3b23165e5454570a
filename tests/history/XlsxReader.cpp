#include "history/XlsxReader.h"

#include <QFile>
#include <QXmlStreamReader>

#include <stdexcept>
#include <zlib.h>

namespace testxlsx {

namespace {

quint32 u32(const QByteArray &b, qsizetype at)
{
    if (at < 0 || at + 4 > b.size())
        throw std::runtime_error("zip: read past end");
    const auto *p = reinterpret_cast<const uchar *>(b.constData() + at);
    return quint32(p[0]) | quint32(p[1]) << 8 | quint32(p[2]) << 16 | quint32(p[3]) << 24;
}

quint16 u16(const QByteArray &b, qsizetype at)
{
    if (at < 0 || at + 2 > b.size())
        throw std::runtime_error("zip: read past end");
    const auto *p = reinterpret_cast<const uchar *>(b.constData() + at);
    return quint16(p[0] | p[1] << 8);
}

QByteArray inflateRaw(const QByteArray &in, quint32 expected)
{
    QByteArray out(qsizetype(expected), '\0');
    z_stream zs{};
    if (inflateInit2(&zs, -MAX_WBITS) != Z_OK)
        throw std::runtime_error("zip: inflateInit2 failed");
    zs.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(in.constData()));
    zs.avail_in = uInt(in.size());
    zs.next_out = reinterpret_cast<Bytef *>(out.data());
    zs.avail_out = uInt(out.size());
    const int rc = inflate(&zs, Z_FINISH);
    inflateEnd(&zs);
    if (rc != Z_STREAM_END || zs.total_out != expected)
        throw std::runtime_error("zip: bad deflate stream");
    return out;
}

QString attr(const QXmlStreamReader &x, const char *name)
{
    return x.attributes().value(QLatin1String(name)).toString();
}

// "BC12" -> (12, 55)
std::pair<int, int> cellRef(const QString &ref)
{
    int col = 0;
    qsizetype i = 0;
    for (; i < ref.size() && ref.at(i).isLetter(); ++i)
        col = col * 26 + (ref.at(i).toUpper().unicode() - 'A' + 1);
    bool ok = false;
    const int row = ref.mid(i).toInt(&ok);
    if (!ok || col == 0)
        throw std::runtime_error("xlsx: bad cell reference");
    return {row, col};
}

// Text of the current element's <t> children (plain or rich text).
QString collectText(QXmlStreamReader &x, const QString &endTag)
{
    QString text;
    while (!x.atEnd()) {
        x.readNext();
        if (x.isStartElement() && x.name() == QLatin1String("t"))
            text += x.readElementText();
        else if (x.isEndElement() && x.name() == endTag)
            break;
    }
    return text;
}

QByteArray entry(const QMap<QString, QByteArray> &zip, const QString &name)
{
    auto it = zip.find(name);
    if (it == zip.end())
        throw std::runtime_error(("xlsx: missing " + name).toStdString());
    return *it;
}

} // namespace

QStringList Sheet::row(int r) const
{
    QStringList out;
    const auto it = cells.find(r);
    if (it == cells.end() || it->isEmpty())
        return out;
    for (int c = 1; c <= it->lastKey(); ++c)
        out.append(it->value(c));
    return out;
}

QMap<QString, QByteArray> readZip(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw std::runtime_error("zip: cannot open file");
    const QByteArray b = f.readAll();

    qsizetype eocd = -1;
    for (qsizetype at = b.size() - 22; at >= 0 && at >= b.size() - 22 - 65535; --at)
        if (u32(b, at) == 0x06054b50) {
            eocd = at;
            break;
        }
    if (eocd < 0)
        throw std::runtime_error("zip: no end of central directory");

    const int count = u16(b, eocd + 10);
    qsizetype at = u32(b, eocd + 16);
    QMap<QString, QByteArray> entries;
    for (int i = 0; i < count; ++i) {
        if (u32(b, at) != 0x02014b50)
            throw std::runtime_error("zip: bad central directory entry");
        const quint16 method = u16(b, at + 10);
        const quint32 csize = u32(b, at + 20);
        const quint32 usize = u32(b, at + 24);
        const quint16 nameLen = u16(b, at + 28);
        const quint16 extraLen = u16(b, at + 30);
        const quint16 commentLen = u16(b, at + 32);
        const quint32 local = u32(b, at + 42);
        const QString name = QString::fromUtf8(b.mid(at + 46, nameLen));

        if (u32(b, local) != 0x04034b50)
            throw std::runtime_error("zip: bad local header");
        const qsizetype data = local + 30 + u16(b, local + 26) + u16(b, local + 28);
        if (data + qsizetype(csize) > b.size())
            throw std::runtime_error("zip: entry past end");
        const QByteArray raw = b.mid(data, csize);
        if (method == 0)
            entries.insert(name, raw);
        else if (method == 8)
            entries.insert(name, inflateRaw(raw, usize));
        else
            throw std::runtime_error("zip: unsupported method");
        at += 46 + nameLen + extraLen + commentLen;
    }
    return entries;
}

QList<Sheet> readWorkbook(const QString &path)
{
    const QMap<QString, QByteArray> zip = readZip(path);

    // Relationship id -> part path.
    QMap<QString, QString> targets;
    {
        QXmlStreamReader x(entry(zip, QStringLiteral("xl/_rels/workbook.xml.rels")));
        while (!x.atEnd()) {
            x.readNext();
            if (x.isStartElement() && x.name() == QLatin1String("Relationship")) {
                QString target = attr(x, "Target");
                if (target.startsWith(QLatin1Char('/')))
                    target = target.mid(1);
                else
                    target = QStringLiteral("xl/") + target;
                targets.insert(attr(x, "Id"), target);
            }
        }
    }

    QStringList shared;
    if (zip.contains(QStringLiteral("xl/sharedStrings.xml"))) {
        QXmlStreamReader x(zip.value(QStringLiteral("xl/sharedStrings.xml")));
        while (!x.atEnd()) {
            x.readNext();
            if (x.isStartElement() && x.name() == QLatin1String("si"))
                shared.append(collectText(x, QStringLiteral("si")));
        }
        if (x.hasError())
            throw std::runtime_error("xlsx: bad sharedStrings.xml");
    }

    QList<Sheet> sheets;
    QXmlStreamReader wb(entry(zip, QStringLiteral("xl/workbook.xml")));
    QList<std::pair<QString, QString>> order;  // name, part
    while (!wb.atEnd()) {
        wb.readNext();
        if (wb.isStartElement() && wb.name() == QLatin1String("sheet")) {
            const QString rid = wb.attributes().value(
                QStringLiteral("http://schemas.openxmlformats.org/officeDocument/2006/relationships"),
                QStringLiteral("id")).toString();
            order.append({attr(wb, "name"), targets.value(rid)});
        }
    }
    if (wb.hasError())
        throw std::runtime_error("xlsx: bad workbook.xml");

    for (const auto &[name, part] : order) {
        Sheet sheet;
        sheet.name = name;
        QXmlStreamReader x(entry(zip, part));
        while (!x.atEnd()) {
            x.readNext();
            if (!(x.isStartElement() && x.name() == QLatin1String("c")))
                continue;
            const auto [row, col] = cellRef(attr(x, "r"));
            const QString type = attr(x, "t");
            QString value;
            if (type == QLatin1String("inlineStr")) {
                value = collectText(x, QStringLiteral("c"));
            } else {
                while (!x.atEnd()) {
                    x.readNext();
                    if (x.isStartElement() && x.name() == QLatin1String("v"))
                        value = x.readElementText();
                    else if (x.isEndElement() && x.name() == QLatin1String("c"))
                        break;
                }
                if (type == QLatin1String("s")) {
                    bool ok = false;
                    const int i = value.toInt(&ok);
                    if (!ok || i < 0 || i >= shared.size())
                        throw std::runtime_error("xlsx: bad shared string index");
                    value = shared.at(i);
                }
            }
            sheet.cells[row][col] = value;
        }
        if (x.hasError())
            throw std::runtime_error("xlsx: bad worksheet xml");
        sheets.append(sheet);
    }
    return sheets;
}

} // namespace testxlsx
