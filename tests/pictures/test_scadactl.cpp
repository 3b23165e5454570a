// scadactl's picture commands: dump prints every stored attribute, new and
// add write pictures from code.
#include "PicCommands.h"
#include "support/TempDir.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

using namespace scada;

namespace {
int run(const QStringList &args, QString *out = nullptr, QString *err = nullptr)
{
    QString o, e;
    QTextStream os(&o), es(&e);
    const int rc = ctl::RunPic(args, os, es);
    os.flush();
    es.flush();
    if (out)
        *out = o;
    if (err)
        *err = e;
    return rc;
}
} // namespace

TEST(ScadactlPic, DumpPrintsEveryStoredAttribute)
{
    TempPlant plant;
    PictureDocument doc;
    doc.PageWidth = 2100;
    doc.PageHeight = 1000;
    doc.BackColor = 0xC0C0C0;
    auto *m = doc.AddAs<TfrMemoView>(gtMemo);
    m->Lines = {QString::fromUtf8("电压"), "kV"};
    m->Font.FontCharset = 134;
    auto *c = doc.AddAs<TfrRunChartView>(gtRunChart);
    c->Width = 100;
    c->Height = 50;
    doc.Add(gtIoComp);
    const QString path = plant.file("Dump.pic");
    WritePictureFile(path, doc);

    QString out;
    ASSERT_EQ(run({"dump", path}, &out), 0);
    const QJsonObject root = QJsonDocument::fromJson(out.toUtf8()).object();
    EXPECT_EQ(root["version"].toInt(), 24);
    EXPECT_EQ(root["pageWidth"].toInt(), 2100);
    EXPECT_EQ(root["backColor"].toInteger(), 0xC0C0C0);
    const QJsonArray objects = root["objects"].toArray();
    ASSERT_EQ(objects.size(), 3);
    // every attribute of the model appears under its name
    // (the chart's empty snapshot was written as a blank image of its size)
    for (int i = 0; i < 3; ++i) {
        QJsonObject dumped = objects[i].toObject(), model = doc.Objects[size_t(i)]->StoredAttributes();
        dumped.remove("Snapshot");
        model.remove("Snapshot");
        EXPECT_TRUE(dumped == model) << i;
    }
    const QJsonObject memo = objects[0].toObject();
    EXPECT_EQ(memo["class"].toString(), "TfrMemoView");
    EXPECT_EQ(memo["Lines"].toArray()[0].toString(), QString::fromUtf8("电压"));
    for (const char *key : {"ObjectName", "BindStation", "BindUnit", "BindPoint", "Left", "Options", "Border",
                            "BorderWidth", "BorderColor", "BorderStyle", "KeepRunning", "BackColor",
                            "FormatCode", "FormatText", "ScriptLines", "Shown", "LayoutVersion", "FontName",
                            "FontSize", "FontStyle", "FontColor", "Alignment", "FontCharset", "LampMode",
                            "LampShape", "ExtraLines", "HighlightStyle", "HighlightFontColor",
                            "HighlightBackColor", "HighlightCondition"})
        EXPECT_TRUE(memo.contains(key)) << key;
    const QJsonObject snapshot = objects[1].toObject()["Snapshot"].toObject();
    EXPECT_EQ(snapshot["kind"].toString(), "metafile");
    EXPECT_GT(snapshot["bytes"].toInt(), 0);
}

TEST(ScadactlPic, UnreadableFilesExitWithStatusOne)
{
    TempPlant plant;
    QString err;
    EXPECT_EQ(run({"dump", plant.file("none.pic")}, nullptr, &err), 1);
    EXPECT_TRUE(err.contains("none.pic"));
    plant.write("bad.pic", QByteArray("\x18\x01", 2));
    EXPECT_EQ(run({"dump", plant.file("bad.pic")}, nullptr, &err), 1);
    EXPECT_FALSE(err.isEmpty());
}

TEST(ScadactlPic, NewAndAddWritePictures)
{
    TempPlant plant;
    const QString path = plant.file("Main.pic");
    ASSERT_EQ(run({"new", path, "2100", "2970", "0xFFFFFF"}), 0);
    ASSERT_EQ(run({"add", path, "6", "10", "20", "80", "16", "Lines=Feeder 1", "TargetPicture=Feeder1.pic"}), 0);
    ASSERT_EQ(run({"add", path, "0", "10", "40", "80", "16", "LampMode=1", "BindPoint=3"}), 0);
    QString err;
    EXPECT_EQ(run({"add", path, "0", "1", "1", "1", "1", "NoSuch=1"}, nullptr, &err), 1);
    EXPECT_EQ(run({"add", path, "2", "1", "1", "1", "1"}, nullptr, &err), 1);

    const PictureDocument doc = ReadPictureFile(path);
    ASSERT_EQ(doc.Objects.size(), 2u);
    auto &hot = static_cast<const TfrHotView &>(*doc.Objects[0]);
    EXPECT_EQ(hot.ObjectName, "Hot1");
    EXPECT_EQ(hot.Caption(), "Feeder 1");
    EXPECT_EQ(hot.TargetPicture, "Feeder1.pic");
    EXPECT_EQ(hot.Width, 80);
    auto &memo = static_cast<const TfrMemoView &>(*doc.Objects[1]);
    EXPECT_EQ(memo.LampMode, 1);
    EXPECT_EQ(memo.BindPoint, 3);
}
