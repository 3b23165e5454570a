// Object records and picture files: round trips, the older layouts, damaged
// and truncated input.
#include "common/ByteStream.h"
#include "common/Cp936.h"
#include "pictures/InstrumentStream.h"
#include "pictures/PictureFile.h"

#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QPainter>
#include <gtest/gtest.h>

using namespace scada;

namespace {

QImage testImage(int w, int h, QColor c)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(c);
    return img;
}

// Every stored attribute set away from its default.
void fillCommon(TfrView &v, int i)
{
    v.ObjectName = QString::fromUtf8("对象%1").arg(i);
    v.BindStation = 2;
    v.BindUnit = 3;
    v.BindPoint = 4;
    v.Left = 10 + i;
    v.Top = 20;
    v.Width = 30;
    v.Height = 40;
    v.Options = 0x0107;
    v.Border = 0xF;
    v.BorderWidth = 3;
    v.BorderColor = 0x123456;
    v.BorderStyle = 2;
    v.KeepRunning = 1;
    v.BackColor = systemColour(SysBtnFace);
    v.FormatCode = 0x1234;
    v.FormatText = QStringLiteral("#0.00");
    v.Lines = {QString::fromUtf8("第一行"), QString(), QStringLiteral("third")};
    v.ScriptLines = {QStringLiteral("begin"), QStringLiteral("end")};
    v.Shown = 0;
}

void fillFont(FontAttrs &f)
{
    f.FontName = QString::fromUtf8("宋体");
    f.FontSize = 14;
    f.FontStyle = 5;
    f.FontColor = 0xFF00FF;
    f.FontCharset = 134;
}

std::unique_ptr<TfrView> fullObject(int code)
{
    auto v = CreateObject(code);
    fillCommon(*v, code);
    if (auto m = dynamic_cast<TfrMemoView *>(v.get())) {
        fillFont(m->Font);
        m->Alignment = 2 | 4 | 16;
        m->LampMode = 1;
        m->LampShape = 3;
        m->ExtraLines = {QStringLiteral("x")};
        m->HighlightStyle = 7;
        m->HighlightFontColor = 0x0000FF;
        m->HighlightBackColor = 0x00FF00;
        m->HighlightCondition = QStringLiteral("Value > 0");
    } else if (auto p = dynamic_cast<TfrPictureView *>(v.get())) {
        p->Picture = Graphic::fromImage(testImage(5, 3, Qt::blue));
    } else if (auto y = dynamic_cast<TfrYxView *>(v.get())) {
        y->Shape = 2;
        y->OnColor = 0x111111;
        y->OffColor = 0x222222;
    } else if (auto h = dynamic_cast<TfrHotView *>(v.get())) {
        fillFont(h->Font);
        h->TargetPicture = QString::fromUtf8("主接线.pic");
    } else if (auto io = dynamic_cast<TfrIoCompView *>(v.get())) {
        io->InstrumentKind = 3;
        io->Instrument = {{"Tag", 65535 + 255 + 2}, {"Position", 12.5}, {"Active", true}};
    } else if (auto f = dynamic_cast<TfrFtuView *>(v.get())) {
        f->OnlineColor = 1;
        f->OfflineColor = 2;
        f->ErrorColor = 3;
        f->Symbol = Graphic::fromImage(testImage(4, 4, Qt::red));
    } else if (auto w = dynamic_cast<TfrWmfView *>(v.get())) {
        w->Metafile = Graphic(Graphic::Metafile, Emf::fromImage(testImage(2, 2, Qt::green), 20, 10));
    } else if (auto s = dynamic_cast<TfrVideoView *>(v.get())) {
        s->SoundFile = QString::fromUtf8("报警.wav");
        s->ReservedValue = -7;
        s->PlayCount = 3;
    } else if (auto ym = dynamic_cast<TfrYmView *>(v.get())) {
        fillFont(ym->Font);
        ym->ReservedFlag = 1;
        ym->LampShape = 2;
    } else if (auto c = dynamic_cast<TfrRunChartView *>(v.get())) {
        c->ChartKind = 2;
        c->Show3D = 0;
        c->ShowWalls = 0;
        c->ShowLegend = 0;
        c->ShowAxis = 0;
        c->ShowMarks = 1;
        c->MultiColor = 1;
        for (int i = 0; i < 12; ++i) {
            c->ChannelColors[i] = uint32_t(i * 1000);
            c->ChannelShown[i] = i % 2;
        }
        c->ChartBackColor = 0x010203;
        c->GridColor = 0x040506;
        c->Snapshot = Graphic(Graphic::Metafile, Emf::fromImage(testImage(3, 3, Qt::yellow), 30, 40));
    } else if (auto g = dynamic_cast<TfrGifView *>(v.get())) {
        g->StillImage = Graphic::fromImage(testImage(6, 2, Qt::cyan));
        g->GifFile = QStringLiteral("pump.gif");
    } else if (auto sh = dynamic_cast<TfrNewShapeView *>(v.get())) {
        sh->ShapeKind = 6;
    }
    return v;
}

const int kAllCodes[] = {0, 1, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 20, 40};

std::unique_ptr<TfrView> readBack(const QByteArray &record, int code, int version, qsizetype *endPos = nullptr)
{
    ByteReader r(record);
    auto v = CreateObject(code);
    v->ReadStream(r, version);
    if (endPos)
        *endPos = r.pos();
    return v;
}

QByteArray recordOf(const TfrView &v)
{
    ByteWriter w;
    v.WriteStream(w);
    return w.data();
}

} // namespace

TEST(PictureRecords, EveryClassRoundTripsItsStoredAttributes)
{
    for (int code : kAllCodes) {
        SCOPED_TRACE(code);
        auto v = fullObject(code);
        const QByteArray rec = recordOf(*v);
        qsizetype end = 0;
        auto back = readBack(rec, code, 24, &end);
        EXPECT_EQ(end, rec.size()) << "record not read to its end";
        EXPECT_EQ(back->StoredAttributes(), v->StoredAttributes());
        const auto g1 = v->Graphics(), g2 = back->Graphics();
        ASSERT_EQ(g1.size(), g2.size());
        for (size_t i = 0; i < g1.size(); ++i)
            EXPECT_TRUE(*g1[i] == *g2[i]);
        EXPECT_EQ(recordOf(*back), rec) << "second write differs";

        // CopyFrom copies every stored attribute
        auto copy = CreateObject(code);
        copy->CopyFrom(*v);
        EXPECT_EQ(copy->StoredAttributes(), v->StoredAttributes());
    }
}

TEST(PictureRecords, MemoRecordLayoutIsByteExact)
{
    TfrMemoView m;
    m.ObjectName = QStringLiteral("M1");
    m.Left = 0x01020304;
    m.Lines = {QStringLiteral("ab"), QStringLiteral("c")};
    const QByteArray rec = recordOf(m);
    QByteArray expected;
    expected += QByteArray::fromHex("02004d3100");                 // name
    expected += QByteArray::fromHex("010001000100");               // bindings
    expected += QByteArray::fromHex("04030201" "00000000" "00000000" "00000000"); // geometry
    expected += QByteArray::fromHex("0200" "0000" "01000000" "00000000" "00" "00"); // options..keep running
    expected += QByteArray::fromHex("ffffff1f" "2e020000");       // back colour, format code 512+'.'
    expected += QByteArray::fromHex("000000");                     // format text
    expected += QByteArray::fromHex("0200" "0200616 20d" "0100630 0"); // lines
    expected += QByteArray::fromHex("000000" "ffff" "18");         // script, shown, layout 24
    expected += QByteArray::fromHex("0500417269616c00");           // "Arial"
    expected += QByteArray::fromHex("0a000000" "0000" "00000000" "00000000" "0100" "00" "00");
    expected += QByteArray::fromHex("000000");                     // extra lines
    expected += QByteArray::fromHex("0200" "00000000" "ffffff00" "000000");
    EXPECT_EQ(rec.toHex(), expected.toHex());
}

TEST(PictureRecords, FreshObjectsHaveTheirClassDefaults)
{
    struct Case {
        int code;
        uint16_t options;
        uint16_t border;
        const char *base;
    } cases[] = {{0, 2, 0, "Memo"},    {1, 5, 0, "Picture"}, {4, 0, 4, "Line"},   {5, 5, 0, "YX"},
                 {6, 2, 0, "Hot"},     {7, 0x8000, 0, "RunChart"}, {9, 2, 0, "Ftu"}, {10, 2, 0, "Gif"},
                 {11, 0, 0, "Shape"},  {12, 5, 0, "Wmf"},    {13, 2, 0, "Video"}, {20, 2, 0, "遥脉"},
                 {40, 1, 0, "Ole"}};
    int lastId = 0;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.code);
        auto v = CreateObject(c.code);
        ASSERT_TRUE(v);
        EXPECT_EQ(v->TypeCode, c.code);
        EXPECT_EQ(v->Options, c.options);
        EXPECT_EQ(v->Border, c.border);
        EXPECT_EQ(v->BaseName, QString::fromUtf8(c.base));
        EXPECT_EQ(v->BackColor, clNone);
        EXPECT_GT(v->ObjectId, lastId);
        lastId = v->ObjectId;
    }
    EXPECT_EQ(CreateObject(2), nullptr);
    EXPECT_EQ(CreateObject(3), nullptr);
    // the pulse class's base name is stored in code page 936
    EXPECT_EQ(toCp936(TfrYmView().BaseName), QByteArray("\xd2\xa3\xc2\xf6"));
    EXPECT_EQ(TfrFtuView().OfflineColor, systemColour(3));
    EXPECT_EQ(TfrRunChartView().ChannelColors[7], systemColour(24));
}

TEST(PictureRecords, UniqueNamesTakeTheFirstFreeNumber)
{
    PictureDocument doc;
    doc.Add(gtMemo);
    doc.Add(gtMemo);
    doc.Add(gtLine);
    EXPECT_EQ(doc.Objects[0]->ObjectName, "Memo1");
    EXPECT_EQ(doc.Objects[1]->ObjectName, "Memo2");
    EXPECT_EQ(doc.Objects[2]->ObjectName, "Line1");
    doc.Objects[0]->ObjectName = "Other";
    EXPECT_EQ(doc.Add(gtMemo)->ObjectName, "Memo1");
}

namespace {
// The common part in the layout of versions 21 and 22.
QByteArray oldCommon(uint16_t options)
{
    ByteWriter w;
    w.u16(2);
    w.u16(3);
    w.u16(4);
    w.i32(5);
    w.i32(6);
    w.i32(70);
    w.i32(80);
    w.u16(options);
    w.u16(0);
    w.i32(1);
    w.u32(0);
    w.u8(0);
    w.u8(0);
    w.u32(0xFFFFFF);
    w.i32(0);
    w.bytes(QByteArray("fmt", 4));                  // string ended by 0
    w.bytes(QByteArray("one\rtwo", 8));             // lines ended by 0
    return w.data();
}
} // namespace

TEST(PictureRecords, OldLayoutsReadWithDefaultsAndTheirRules)
{
    for (int version : {21, 22}) {
        SCOPED_TRACE(version);
        ByteWriter w;
        w.bytes(oldCommon(0));
        w.bytes(QByteArray("Courier", 8));
        w.i32(12);
        w.u16(2);
        w.u32(0xFF);
        w.i32(8);
        w.u16(134); // character set: replaced before version 23
        w.u8(1);
        w.u8(4);
        w.bytes(QByteArray("x\ry", 4));
        w.u16(2);
        w.u32(0);
        w.u32(0xFFFFFF);
        w.bytes(QByteArray("cond", 5));
        w.u8(0xAB); // the next record's first byte
        qsizetype end = 0;
        auto v = readBack(w.data(), gtMemo, version, &end);
        auto &m = static_cast<TfrMemoView &>(*v);
        EXPECT_EQ(end, w.size() - 1);
        EXPECT_EQ(m.ObjectName, "Memo");
        EXPECT_EQ(m.BindPoint, 4);
        EXPECT_EQ(m.Height, 80);
        EXPECT_EQ(m.FormatText, "fmt");
        EXPECT_EQ(m.Lines, QStringList({"one", "two"}));
        EXPECT_TRUE(m.ScriptLines.isEmpty());
        EXPECT_EQ(m.Shown, 0xFFFF);
        EXPECT_EQ(m.LayoutVersion, 24);
        EXPECT_EQ(m.Font.FontName, "Courier");
        EXPECT_EQ(m.Font.FontCharset, 1);
        EXPECT_EQ(m.ExtraLines, QStringList({"x", "y"}));
        EXPECT_EQ(m.HighlightCondition, "cond");
        EXPECT_EQ(m.Options, version == 21 ? 2 : 0);
    }
}

namespace {
// A record in the layout of version 23: the common part has no layout byte.
QByteArray asVersion23(const TfrView &v)
{
    const QByteArray full = recordOf(v);
    ByteWriter common;
    v.TfrView::WriteStream(common);
    return full.left(common.size() - 1) + full.mid(common.size());
}
} // namespace

TEST(PictureRecords, OldStringListsEndAtTheirZeroByte)
{
    struct Case {
        QByteArray bytes;
        QStringList lines;
    } cases[] = {
        {QByteArray("\0", 1), {}},
        {QByteArray("a\0", 2), {"a"}},
        {QByteArray("a\r\0", 3), {"a"}},
        {QByteArray("a\r\rb\0", 5), {"a", "", "b"}},
    };
    for (const auto &c : cases) {
        QByteArray rec = oldCommon(0);
        rec.chop(8); // replace the lines of the common part
        rec += c.bytes;
        rec += QByteArray(1, '\x42');
        qsizetype end = 0;
        auto v = readBack(rec, gtLine, 22, &end);
        EXPECT_EQ(v->Lines, c.lines) << c.bytes.toHex().constData();
        EXPECT_EQ(end, rec.size() - 1);
    }
}

TEST(PictureRecords, VersionRulesOfYxFtuAndCharset)
{
    // before 24 the digital lamp has no class part and keeps its defaults
    TfrYxView y;
    y.Shape = 2;
    y.OnColor = 1;
    ByteWriter w23;
    y.TfrView::WriteStream(w23);
    QByteArray rec = w23.data();
    rec.chop(1);
    qsizetype end = 0;
    auto back = readBack(rec + QByteArray(1, '\x55'), gtYx, 23, &end);
    EXPECT_EQ(end, rec.size());
    auto &yb = static_cast<TfrYxView &>(*back);
    EXPECT_EQ(yb.Shape, 1);
    EXPECT_EQ(yb.OnColor, 255u);
    EXPECT_EQ(yb.OffColor, 65280u);

    // a unit symbol of version 23 is only its bitmap
    TfrFtuView f;
    ByteWriter wf;
    f.TfrView::WriteStream(wf);
    QByteArray frec = wf.data();
    frec.chop(1);
    const QByteArray bmp = encodeBmp(testImage(3, 3, Qt::red));
    auto fb = readBack(frec + bmp, gtFtu, 23, &end);
    EXPECT_EQ(end, frec.size() + bmp.size());
    EXPECT_EQ(static_cast<TfrFtuView &>(*fb).Symbol.bytes(), bmp);
    EXPECT_EQ(static_cast<TfrFtuView &>(*fb).OfflineColor, systemColour(3));

    // version 23 keeps the character set of text objects
    for (int code : {gtMemo, gtHot, gtYm}) {
        auto v = fullObject(code);
        auto b = readBack(asVersion23(*v), code, 23);
        EXPECT_EQ(b->StoredAttributes()["FontCharset"].toInt(), 134) << code;
        EXPECT_EQ(b->Options, v->Options) << code;
    }
}

TEST(PictureRecords, SnapshotAndStillImageAreWrittenEvenWhenEmpty)
{
    TfrRunChartView c;
    c.Width = 120;
    c.Height = 80;
    TfrGifView g;
    g.Width = 30;
    g.Height = 20;
    g.GifFile = "a.gif";
    for (TfrView *v : std::initializer_list<TfrView *>{&c, &g}) {
        const QByteArray rec = recordOf(*v);
        qsizetype end = 0;
        auto back = readBack(rec, v->TypeCode, 24, &end);
        EXPECT_EQ(end, rec.size());
        const Graphic *img = back->Graphics().front();
        ASSERT_FALSE(img->isEmpty());
        EXPECT_EQ(img->size(), QSize(v->Width, v->Height));
    }
}

TEST(PictureRecords, RecordsWithoutSnapshotOrStillImageFromElsewhereStillRead)
{
    // a chart and a GIF record that lack their images, each followed by
    // another record's bytes
    TfrRunChartView c;
    QByteArray crec = recordOf(c);
    const QByteArray blank = Emf::blank(c.Width, c.Height);
    ASSERT_TRUE(crec.endsWith(blank));
    crec.chop(blank.size());
    auto cb = readBack(crec, gtRunChart, 24);
    EXPECT_TRUE(static_cast<TfrRunChartView &>(*cb).Snapshot.isEmpty());

    ByteWriter gw;
    TfrGifView g;
    g.TfrView::WriteStream(gw);
    gw.string("x.gif");
    qsizetype end = 0;
    auto gb = readBack(gw.data(), gtGif, 24, &end);
    EXPECT_EQ(end, gw.size());
    EXPECT_TRUE(static_cast<TfrGifView &>(*gb).StillImage.isEmpty());
    EXPECT_EQ(static_cast<TfrGifView &>(*gb).GifFile, "x.gif");
}

TEST(PictureRecords, ComponentStreamOfAnInstrumentIsSkippedAndItsPropertiesTaken)
{
    auto ss = [](const char *s) { return QByteArray(1, char(strlen(s))) + QByteArray(s); };
    QByteArray tpf = "TPF0";
    tpf += ss("TiKnob") + ss("iKnob1");
    tpf += ss("Left") + QByteArray::fromHex("0364 00");                 // Int16 100
    tpf += ss("Tag") + QByteArray::fromHex("04 70110100");              // Int32 70000
    tpf += ss("Position") + QByteArray::fromHex("05") + QByteArray::fromHex("0000000000000080ff3f"); // 1.0
    tpf += ss("PositionMax") + QByteArray::fromHex("02 64");            // Int8 100
    tpf += ss("Active") + QByteArray::fromHex("09");                    // true
    tpf += ss("BackGroundColor") + QByteArray::fromHex("07") + ss("clRed");
    tpf += ss("Font.Style") + QByteArray::fromHex("0b") + ss("fsBold") + QByteArray(1, 0);
    tpf += ss("Data") + QByteArray::fromHex("0a 03000000 010203");
    tpf += ss("Items") + QByteArray::fromHex("0e 01") + ss("Caption") + QByteArray::fromHex("06") + ss("a") +
           QByteArray(1, 0) + QByteArray(1, 0);
    tpf += QByteArray(1, 0);                                          // end of properties
    tpf += ss("TLabel") + ss("L1") + ss("Caption") + QByteArray::fromHex("06") + ss("x") + QByteArray(1, 0) +
           QByteArray(1, 0);                                          // a child
    tpf += QByteArray(1, 0);                                          // end of children

    TfrIoCompView io;
    ByteWriter w;
    io.TfrView::WriteStream(w);
    w.u16(3);
    w.bytes(tpf);
    w.u8(0x77);
    qsizetype end = 0;
    auto back = readBack(w.data(), gtIoComp, 24, &end);
    EXPECT_EQ(end, w.size() - 1);
    auto &b = static_cast<TfrIoCompView &>(*back);
    EXPECT_TRUE(b.HasInstrument);
    EXPECT_EQ(b.InstrumentKind, 3);
    EXPECT_EQ(b.Instrument["ClassName"].toString(), "TiKnob");
    EXPECT_EQ(b.Instrument["Tag"].toInt(), 70000);
    EXPECT_DOUBLE_EQ(b.Instrument["Position"].toDouble(), 1.0);
    EXPECT_EQ(b.Instrument["PositionMax"].toInt(), 100);
    EXPECT_TRUE(b.Instrument["Active"].toBool());
    EXPECT_EQ(b.Instrument["BackGroundColor"].toUInt(), 0xFFu);
    EXPECT_EQ(b.Instrument["Left"].toInt(), 100);

    // written back in our own block, it reads to the same settings
    auto again = readBack(recordOf(b), gtIoComp, 24);
    EXPECT_EQ(static_cast<TfrIoCompView &>(*again).Instrument, b.Instrument);

    // every truncation of the component stream is an error, never a crash
    for (int cut = 4; cut < tpf.size(); ++cut) {
        ByteReader r(tpf.left(cut));
        EXPECT_THROW(ReadComponentStream(r), EReadError) << cut;
    }
}

// ---- picture files --------------------------------------------------------

namespace {
PictureDocument sampleDocument()
{
    PictureDocument doc;
    doc.PageWidth = 2100;
    doc.PageHeight = 2970;
    doc.BackColor = 0x00FF00;
    for (int code : kAllCodes)
        doc.Objects.push_back(fullObject(code));
    return doc;
}
} // namespace

TEST(PictureFiles, HeaderAndObjectsRoundTrip)
{
    const PictureDocument doc = sampleDocument();
    const QByteArray data = WritePicture(doc);
    EXPECT_EQ(uint8_t(data[0]), 24);
    QStringList errors;
    const PictureDocument back = ReadPicture(data, &errors);
    EXPECT_TRUE(errors.isEmpty()) << errors.join(",").toStdString();
    EXPECT_EQ(back.AreaSize(), QSize(756, 1069));
    EXPECT_EQ(back.BackColor, 0x00FF00u);
    ASSERT_EQ(back.Objects.size(), doc.Objects.size());
    for (size_t i = 0; i < doc.Objects.size(); ++i)
        EXPECT_EQ(back.Objects[i]->StoredAttributes(), doc.Objects[i]->StoredAttributes());
    EXPECT_EQ(WritePicture(back), data);
}

TEST(PictureFiles, EmptyPictureAndPageSizes)
{
    PictureDocument doc;
    doc.PageWidth = 1000;
    doc.PageHeight = 51;
    const PictureDocument back = ReadPicture(WritePicture(doc));
    EXPECT_TRUE(back.Objects.empty());
    EXPECT_EQ(back.AreaSize(), QSize(360, 18));
    EXPECT_EQ(PageToPixels(-5, 2970), QSize(0, 1069));
}

TEST(PictureFiles, DamagedRecordIsReportedAndLaterRecordsLoad)
{
    PictureDocument doc;
    doc.AddAs<TfrMemoView>(gtMemo)->Lines = {"before"};
    doc.AddAs<TfrPictureView>(gtPicture)->Picture = Graphic::fromImage(testImage(4, 4, Qt::red));
    doc.AddAs<TfrMemoView>(gtMemo)->Lines = {"after"};
    QByteArray data = WritePicture(doc);
    const qsizetype bm = data.indexOf("BM");
    ASSERT_GT(bm, 0);
    data[bm] = 'X'; // the bitmap no longer decodes
    QStringList errors;
    const PictureDocument back = ReadPicture(data, &errors);
    EXPECT_EQ(errors, QStringList{"Object[1] Load Error!"});
    ASSERT_EQ(back.Objects.size(), 2u);
    EXPECT_EQ(back.Objects[1]->Lines, QStringList{"after"});
}

TEST(PictureFiles, UnknownTypeCodeOrEmbeddedOleEndsReadingAfterItsMessage)
{
    PictureDocument doc;
    doc.Add(gtMemo);
    doc.Add(gtOle);
    doc.Add(gtLine);
    QByteArray data = WritePicture(doc);
    {
        // type code 3 (sub-report) in place of the OLE object
        QByteArray bad = data;
        const qsizetype at = 17 + 1 + recordOf(*doc.Objects[0]).size();
        ASSERT_EQ(uint8_t(bad[at]), 40);
        bad[at] = 3;
        QStringList errors;
        const auto back = ReadPicture(bad, &errors);
        EXPECT_EQ(errors, QStringList{"Object[1] Load Error!"});
        EXPECT_EQ(back.Objects.size(), 1u);
    }
    {
        // an OLE object with content: its storage gives no length
        QByteArray bad = data;
        const qsizetype lineAt = bad.size() - recordOf(*doc.Objects[2]).size() - 1;
        ASSERT_EQ(uint8_t(bad[lineAt - 1]), 0);
        bad[lineAt - 1] = 1;
        QStringList errors;
        const auto back = ReadPicture(bad, &errors);
        EXPECT_EQ(errors, QStringList{"Object[1] Load Error!"});
        EXPECT_EQ(back.Objects.size(), 1u);
    }
}

TEST(PictureFiles, TruncatedFilesNeverCrash)
{
    const QByteArray data = WritePicture(sampleDocument());
    for (qsizetype cut = 0; cut < data.size(); cut += (cut < 200 ? 1 : 7)) {
        const QByteArray part = data.left(cut);
        try {
            QStringList errors;
            const PictureDocument doc = ReadPicture(part, &errors);
            EXPECT_GE(cut, 17);
            EXPECT_LT(doc.Objects.size(), std::size(kAllCodes));
        } catch (const EReadError &) {
            EXPECT_LT(cut, 17) << "only a short header is an error of the whole file";
        }
    }
    // damaged bytes anywhere read (and paint) without a crash
    QImage img(300, 300, QImage::Format_RGB32);
    for (qsizetype at = 17; at < data.size(); at += 5) {
        QByteArray bad = data;
        bad[at] = char(bad[at] ^ 0xA5);
        const PictureDocument doc = ReadPicture(bad);
        QPainter p(&img);
        for (const auto &o : doc.Objects)
            o->Paint(p);
    }
    // a wrong version is not read as a picture; a huge count stops at the end
    QByteArray bad = data;
    bad[0] = 30;
    EXPECT_THROW(ReadPicture(bad), EReadError);
    QByteArray huge = data.left(17);
    huge[1] = huge[2] = huge[3] = '\x7f';
    EXPECT_TRUE(ReadPicture(huge).Objects.empty());
}

TEST(PictureFiles, OldFileVersionReadsEveryRecord)
{
    // a version 22 file with a memo, a line and a hot spot
    ByteWriter w;
    w.u8(22);
    w.i32(3);
    w.i32(500);
    w.i32(500);
    w.u32(0xFFFFFF);
    w.u8(gtMemo);
    w.bytes(oldCommon(0));
    w.bytes(QByteArray("Arial", 6));
    w.i32(10);
    w.u16(0);
    w.u32(0);
    w.i32(0);
    w.u16(0);
    w.u8(0);
    w.u8(0);
    w.u8(0);
    w.u16(2);
    w.u32(0);
    w.u32(0);
    w.u8(0);
    w.u8(gtLine);
    w.bytes(oldCommon(0));
    w.u8(gtHot);
    w.bytes(oldCommon(0));
    w.bytes(QByteArray("Arial", 6));
    w.bytes(QByteArray("Next.pic", 9));
    w.i32(9);
    w.u16(0);
    w.u32(0);
    w.u16(134);
    QStringList errors;
    const auto doc = ReadPicture(w.data(), &errors);
    EXPECT_TRUE(errors.isEmpty());
    ASSERT_EQ(doc.Objects.size(), 3u);
    EXPECT_EQ(doc.Objects[1]->ObjectName, "Line");
    auto &hot = static_cast<TfrHotView &>(*doc.Objects[2]);
    EXPECT_EQ(hot.TargetPicture, "Next.pic");
    EXPECT_EQ(hot.Font.FontCharset, 1);
    EXPECT_EQ(hot.Font.FontSize, 9);
}

TEST(PictureFiles, SavedFileReadsBack)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("a.pic");
    WritePictureFile(path, sampleDocument());
    EXPECT_EQ(ReadPictureFile(path).Objects.size(), std::size(kAllCodes));
    EXPECT_THROW(ReadPictureFile(dir.filePath("missing.pic")), EInOutError);
}
