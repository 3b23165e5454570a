#include "PicCommands.h"

#include "common/Errors.h"

#include <QFileInfo>

namespace scada::ctl {

namespace {

bool toInt(const QString &s, qint64 &v)
{
    bool ok = false;
    v = s.startsWith("0x", Qt::CaseInsensitive) ? s.mid(2).toLongLong(&ok, 16) : s.toLongLong(&ok, 10);
    return ok;
}

FontAttrs *fontOf(TfrView &v)
{
    if (auto m = dynamic_cast<TfrMemoView *>(&v))
        return &m->Font;
    if (auto h = dynamic_cast<TfrHotView *>(&v))
        return &h->Font;
    if (auto y = dynamic_cast<TfrYmView *>(&v))
        return &y->Font;
    return nullptr;
}

int usage(QTextStream &err)
{
    err << "usage: scadactl pic dump FILE\n"
           "       scadactl pic new FILE [PAGEWIDTH PAGEHEIGHT [BACKCOLOR]]\n"
           "       scadactl pic add FILE TYPECODE LEFT TOP WIDTH HEIGHT [NAME=VALUE ...]\n";
    return 2;
}

} // namespace

bool SetAttribute(TfrView &v, const QString &name, const QString &value)
{
    if (name == "ObjectName") {
        v.ObjectName = value;
        return true;
    }
    if (name == "Lines") {
        v.Lines = value.split('|');
        return true;
    }
    if (name == "FormatText") {
        v.FormatText = value;
        return true;
    }
    if (auto h = dynamic_cast<TfrHotView *>(&v); h && name == "TargetPicture") {
        h->TargetPicture = value;
        return true;
    }
    if (auto s = dynamic_cast<TfrVideoView *>(&v); s && name == "SoundFile") {
        s->SoundFile = value;
        return true;
    }
    if (auto g = dynamic_cast<TfrGifView *>(&v); g && name == "GifFile") {
        g->GifFile = value;
        return true;
    }
    FontAttrs *font = fontOf(v);
    if (font && name == "FontName") {
        font->FontName = value;
        return true;
    }
    qint64 n = 0;
    if (!toInt(value, n))
        return false;
    struct Field {
        const char *name;
        std::function<void(qint64)> set;
    };
    const std::vector<Field> common = {
        {"BindStation", [&](qint64 x) { v.BindStation = uint16_t(x); }},
        {"BindUnit", [&](qint64 x) { v.BindUnit = uint16_t(x); }},
        {"BindPoint", [&](qint64 x) { v.BindPoint = uint16_t(x); }},
        {"Options", [&](qint64 x) { v.Options = uint16_t(x); }},
        {"Border", [&](qint64 x) { v.Border = uint16_t(x); }},
        {"BorderWidth", [&](qint64 x) { v.BorderWidth = int32_t(x); }},
        {"BorderColor", [&](qint64 x) { v.BorderColor = uint32_t(x); }},
        {"KeepRunning", [&](qint64 x) { v.KeepRunning = uint8_t(x); }},
        {"BackColor", [&](qint64 x) { v.BackColor = uint32_t(x); }},
    };
    for (const auto &f : common)
        if (name == f.name) {
            f.set(n);
            return true;
        }
    if (font) {
        if (name == "FontSize") { font->FontSize = int32_t(n); return true; }
        if (name == "FontStyle") { font->FontStyle = uint16_t(n); return true; }
        if (name == "FontColor") { font->FontColor = uint32_t(n); return true; }
    }
    if (auto m = dynamic_cast<TfrMemoView *>(&v)) {
        if (name == "Alignment") { m->Alignment = int32_t(n); return true; }
        if (name == "LampMode") { m->LampMode = uint8_t(n); return true; }
        if (name == "LampShape") { m->LampShape = uint8_t(n); return true; }
    }
    if (auto y = dynamic_cast<TfrYmView *>(&v); y && name == "LampShape") {
        y->LampShape = uint8_t(n);
        return true;
    }
    if (auto y = dynamic_cast<TfrYxView *>(&v)) {
        if (name == "Shape") { y->Shape = uint8_t(n); return true; }
        if (name == "OnColor") { y->OnColor = uint32_t(n); return true; }
        if (name == "OffColor") { y->OffColor = uint32_t(n); return true; }
    }
    if (auto f = dynamic_cast<TfrFtuView *>(&v)) {
        if (name == "OnlineColor") { f->OnlineColor = uint32_t(n); return true; }
        if (name == "OfflineColor") { f->OfflineColor = uint32_t(n); return true; }
        if (name == "ErrorColor") { f->ErrorColor = uint32_t(n); return true; }
    }
    if (auto s = dynamic_cast<TfrVideoView *>(&v); s && name == "PlayCount") {
        s->PlayCount = int32_t(n);
        return true;
    }
    if (auto io = dynamic_cast<TfrIoCompView *>(&v); io && name == "InstrumentKind") {
        io->InstrumentKind = uint16_t(n);
        return true;
    }
    if (auto sh = dynamic_cast<TfrNewShapeView *>(&v); sh && name == "ShapeKind") {
        sh->ShapeKind = uint8_t(n);
        return true;
    }
    if (auto c = dynamic_cast<TfrRunChartView *>(&v)) {
        if (name == "ChartKind") { c->ChartKind = uint8_t(n); return true; }
        if (name == "ChannelShown") { // bit i: channel i
            for (int i = 0; i < 12; ++i)
                c->ChannelShown[i] = (n >> i) & 1;
            return true;
        }
    }
    return false;
}

int RunPic(const QStringList &args, QTextStream &out, QTextStream &err)
{
    if (args.size() < 2)
        return usage(err);
    const QString cmd = args[0];
    const QString file = args[1];
    try {
        if (cmd == "dump" && args.size() == 2) {
            if (!QFileInfo::exists(file)) {
                err << "scadactl: cannot read " << file << ": no such file\n";
                return 1;
            }
            QStringList errors;
            const PictureDocument doc = ReadPictureFile(file, &errors);
            for (const QString &e : errors)
                err << file << ": " << e << "\n";
            out << PictureToJson(doc);
            return errors.isEmpty() ? 0 : 1;
        }
        if (cmd == "new" && (args.size() == 2 || args.size() == 4 || args.size() == 5)) {
            PictureDocument doc;
            qint64 w = 0, h = 0, back = 0;
            if (args.size() >= 4) {
                if (!toInt(args[2], w) || !toInt(args[3], h))
                    return usage(err);
                doc.PageWidth = int32_t(w);
                doc.PageHeight = int32_t(h);
            }
            if (args.size() == 5) {
                if (!toInt(args[4], back))
                    return usage(err);
                doc.BackColor = uint32_t(back);
            }
            WritePictureFile(file, doc);
            return 0;
        }
        if (cmd == "add" && args.size() >= 7) {
            PictureDocument doc = ReadPictureFile(file);
            qint64 code, l, t, w, h;
            if (!toInt(args[2], code) || !toInt(args[3], l) || !toInt(args[4], t) || !toInt(args[5], w) ||
                !toInt(args[6], h))
                return usage(err);
            TfrView *v = doc.Add(int(code));
            if (!v) {
                err << "scadactl: no object class for type code " << code << "\n";
                return 1;
            }
            v->Left = int32_t(l);
            v->Top = int32_t(t);
            v->Width = int32_t(w);
            v->Height = int32_t(h);
            for (int i = 7; i < args.size(); ++i) {
                const qsizetype eq = args[i].indexOf('=');
                if (eq <= 0 || !SetAttribute(*v, args[i].left(eq), args[i].mid(eq + 1))) {
                    err << "scadactl: cannot set " << args[i] << "\n";
                    return 1;
                }
            }
            WritePictureFile(file, doc);
            return 0;
        }
    } catch (const ScadaError &e) {
        err << "scadactl: cannot read " << file << ": " << e.message() << "\n";
        return 1;
    }
    return usage(err);
}

} // namespace scada::ctl
