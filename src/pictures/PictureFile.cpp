#include "pictures/PictureFile.h"

#include "common/ByteStream.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSaveFile>

namespace scada {

QSize PageToPixels(int32_t pageWidth, int32_t pageHeight)
{
    auto px = [](int32_t v) { return int(qBound<qint64>(0, qint64(v) * 18 / 50, qint64(1) << 24)); };
    return QSize(px(pageWidth), px(pageHeight));
}

QSize PictureDocument::AreaSize() const { return PageToPixels(PageWidth, PageHeight); }

TfrView *PictureDocument::Add(int typeCode)
{
    auto v = CreateObject(typeCode);
    if (!v)
        return nullptr;
    std::vector<const TfrView *> existing;
    for (const auto &o : Objects)
        existing.push_back(o.get());
    v->ObjectName = UniqueName(v->BaseName, existing);
    Objects.push_back(std::move(v));
    return Objects.back().get();
}

PictureDocument ReadPicture(const QByteArray &data, QStringList *errors, const ObjectSetup &setup)
{
    ByteReader r(data);
    PictureDocument doc;
    doc.Version = r.u8();
    if (doc.Version < 21 || doc.Version > 24)
        throw EReadError(QStringLiteral("Unsupported picture file version %1").arg(doc.Version));
    const int32_t count = r.i32();
    doc.PageWidth = r.i32();
    doc.PageHeight = r.i32();
    doc.BackColor = r.u32();
    for (int32_t n = 0; n < count && !r.atEnd(); ++n) {
        const QString message = QStringLiteral("Object[%1] Load Error!").arg(n);
        const int code = r.u8();
        if (!IsPictureTypeCode(code)) {
            if (errors)
                errors->append(message);
            break;
        }
        auto v = CreateObject(code);
        try {
            v->ReadStream(r, doc.Version);
            if (setup)
                setup(*v);
            doc.Objects.push_back(std::move(v));
        } catch (const EStreamLost &) {
            if (errors)
                errors->append(message);
            break;
        } catch (const std::exception &) {
            if (errors)
                errors->append(message);
        }
    }
    return doc;
}

PictureDocument ReadPictureFile(const QString &path, QStringList *errors, const ObjectSetup &setup)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw EInOutError(QStringLiteral("Cannot open file \"%1\". %2").arg(path, f.errorString()));
    return ReadPicture(f.readAll(), errors, setup);
}

QByteArray WritePicture(const PictureDocument &doc)
{
    ByteWriter w;
    w.u8(kCurrentLayout);
    w.i32(int32_t(doc.Objects.size()));
    w.i32(doc.PageWidth);
    w.i32(doc.PageHeight);
    w.u32(doc.BackColor);
    for (const auto &o : doc.Objects) {
        w.u8(o->TypeCode);
        o->WriteStream(w);
    }
    return w.data();
}

void WritePictureFile(const QString &path, const PictureDocument &doc)
{
    const QByteArray data = WritePicture(doc);
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(data) != data.size() || !f.commit())
        throw EFCreateError(QStringLiteral("Cannot create file \"%1\". %2").arg(path, f.errorString()));
}

QByteArray PictureToJson(const PictureDocument &doc)
{
    QJsonObject root;
    root["version"] = doc.Version;
    root["pageWidth"] = doc.PageWidth;
    root["pageHeight"] = doc.PageHeight;
    root["backColor"] = qint64(doc.BackColor);
    QJsonArray objects;
    for (const auto &o : doc.Objects)
        objects.append(o->StoredAttributes());
    root["objects"] = objects;
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

} // namespace scada
