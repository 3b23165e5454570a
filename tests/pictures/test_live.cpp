// The picture on display: loading, the ways of opening a picture, hot spots,
// picture sounds, live chart and GIF controls, and the picture tree.
#include "pictures/PictureSound.h"
#include "pictures/ui/LiveControls.h"
#include "pictures/ui/LivePicture.h"
#include "pictures/ui/PictureSoundAdapter.h"
#include "pictures/ui/PictureTree.h"
#include "acquisition/AlarmSound.h"
#include "platform/ManualScheduler.h"
#include "platform/Prompt.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMovie>
#include <QScrollArea>
#include <QTemporaryDir>
#include <QtCharts/QBarSeries>
#include <QtCharts/QBarSet>
#include <QtCharts/QLineSeries>
#include <gtest/gtest.h>

using namespace scada;

namespace {

struct FakeSoundPlayer : PictureSoundPlayer {
    QStringList played;
    QList<int> counts;
    void PlayPictureSound(const QString &file, int playCount) override
    {
        played << file;
        counts << playCount;
    }
};

// A two-frame looping 1x1 GIF.
QByteArray tinyGif()
{
    QByteArray frame = QByteArray::fromHex("21f904000a000000" "2c000000000100010000" "0202440100");
    return QByteArray("GIF89a") + QByteArray::fromHex("0100010080000000" "000000ffffff") +
           QByteArray("\x21\xff\x0bNETSCAPE2.0\x03\x01\x00\x00\x00", 19) + frame + frame + QByteArray("\x3b");
}

struct Fixture {
    TempPlant plant;
    FakePrompt prompt;
    FakeSoundPlayer sound;
    ManualScheduler timers;
    PointModel points;
    QScrollArea scroll;
    QLineEdit edit;
    int afterLoadCalls = 0;
    bool stationLoaded = true;
    QList<QPointer<QWidget>> instruments;
    std::unique_ptr<LivePicture> picture;

    Fixture()
    {
        timers.define("Timer4", 400, [] {});
        PictureEnvironment env;
        env.ProgramDir = plant.path();
        env.prompt = &prompt;
        env.ScrollBox1 = &scroll;
        env.Edit1 = &edit;
        env.timers = &timers;
        env.soundPlayer = &sound;
        env.points = &points;
        env.stationLoaded = [this] { return stationLoaded; };
        env.afterLoad = [this] { ++afterLoadCalls; };
        env.setupInstrument = [this](TfrIoCompView &, QWidget *surface) {
            auto *w = new QWidget(surface);
            instruments << w;
            return w;
        };
        picture = std::make_unique<LivePicture>(env);
        // one station with two 10-channel units
        points.stations.resize(1);
        points.stations[0].units.resize(2);
        for (auto &u : points.stations[0].units)
            for (int i = 0; i < 20; ++i) {
                u.yc[size_t(i)].kind = "Yc";
                u.yc[size_t(i)].name = QString("P%1").arg(i);
            }
    }

    QString save(const QString &name, const PictureDocument &doc)
    {
        WritePictureFile(plant.file(name), doc);
        return plant.file(name);
    }
};

PictureDocument page(uint32_t back = 0xFFFFFF)
{
    PictureDocument d;
    d.PageWidth = 500;
    d.PageHeight = 300;
    d.BackColor = back;
    return d;
}

TfrHotView *addHot(PictureDocument &d, QRect r, const QString &target)
{
    auto *h = d.AddAs<TfrHotView>(gtHot);
    h->Left = r.left();
    h->Top = r.top();
    h->Width = r.width();
    h->Height = r.height();
    h->TargetPicture = target;
    return h;
}

} // namespace

TEST(LivePicture, EmptyPictureShowsThePageInItsBackgroundColour)
{
    Fixture f;
    PictureDocument d;
    d.PageWidth = 2100;
    d.PageHeight = 2970;
    d.BackColor = 0x0000FF;
    f.picture->LoadAllObject(WritePicture(d));
    PictureSurface *s = f.picture->PaintBox1();
    EXPECT_EQ(s->objectName(), "PaintBox1");
    EXPECT_EQ(s->geometry(), QRect(0, 0, 756, 1069));
    const QImage img = s->grab().toImage();
    EXPECT_EQ(img.pixelColor(5, 5), QColor(255, 0, 0));
    EXPECT_EQ(img.pixelColor(750, 1060), QColor(255, 0, 0));
    EXPECT_TRUE(f.picture->Objects().empty());
    EXPECT_TRUE(f.timers.isActive("Timer4"));
    EXPECT_EQ(f.afterLoadCalls, 1);
}

TEST(LivePicture, ObjectsArePaintedInFileOrder)
{
    Fixture f;
    PictureDocument d = page();
    for (uint32_t colour : {0x0000FFu, 0x00FF00u}) {
        auto *m = d.AddAs<TfrMemoView>(gtMemo);
        m->Left = 10;
        m->Top = 10;
        m->Width = 40;
        m->Height = 20;
        m->BackColor = colour;
    }
    f.picture->LoadAllObject(WritePicture(d));
    const QImage img = f.picture->PaintBox1()->grab().toImage();
    EXPECT_EQ(img.pixelColor(30, 20), QColor(0, 255, 0));
}

TEST(LivePicture, SecondPictureLeavesNothingOfTheFirst)
{
    Fixture f;
    QDir(f.plant.path()).mkdir("giflib");
    f.plant.write("giflib/a.gif", tinyGif());
    PictureDocument first = page();
    first.AddAs<TfrGifView>(gtGif)->GifFile = "a.gif";
    first.Add(gtRunChart);
    first.Add(gtIoComp);
    f.picture->LoadAllObject(WritePicture(first));
    ASSERT_EQ(f.picture->GifControls().size(), 1);
    ASSERT_EQ(f.picture->Charts().size(), 1);
    ASSERT_EQ(f.instruments.size(), 1);
    QPointer<GifControl> gif = f.picture->GifControls().first();
    QPointer<ChartControl> chart = f.picture->Charts().first();

    PictureDocument second = page();
    second.Add(gtLine);
    f.picture->LoadAllObject(WritePicture(second));
    EXPECT_TRUE(gif.isNull());
    EXPECT_TRUE(chart.isNull());
    EXPECT_TRUE(f.instruments.first().isNull());
    EXPECT_TRUE(f.picture->GifControls().isEmpty());
    EXPECT_TRUE(f.picture->Charts().isEmpty());
    EXPECT_TRUE(f.picture->PaintBox1()->findChildren<QWidget *>().isEmpty());
    ASSERT_EQ(f.picture->Objects().size(), 1u);
    EXPECT_EQ(f.picture->Objects()[0]->TypeCode, gtLine);
}

TEST(LivePicture, DamagedRecordsAreReportedAndUnreadableFilesKeepThePicture)
{
    Fixture f;
    PictureDocument d = page();
    d.Add(gtMemo);
    d.AddAs<TfrPictureView>(gtPicture)->Picture = Graphic(Graphic::Bitmap, QByteArray("BM") + QByteArray(60, 'x'));
    d.Add(gtLine);
    QByteArray data = WritePicture(d);
    data[data.indexOf("BM")] = 'Q';
    f.picture->LoadAllObject(data);
    EXPECT_EQ(f.prompt.texts(), QStringList{"Object[1] Load Error!"});
    EXPECT_EQ(f.picture->Objects().size(), 2u);

    // a file whose header cannot be read changes nothing
    EXPECT_THROW(f.picture->LoadAllObject(QByteArray("\x18\x01", 2)), EReadError);
    EXPECT_EQ(f.picture->Objects().size(), 2u);
}

TEST(LivePicture, MainPictureAndChosenFiles)
{
    Fixture f;
    EXPECT_EQ(f.edit.text(), "Main.pic");
    const QString main = QDir(f.plant.path()).filePath("Main.pic");
    EXPECT_FALSE(f.picture->LoadMainPicture());
    EXPECT_EQ(f.prompt.lastText(), "not found the file " + main);

    PictureDocument d = page();
    d.Add(gtMemo);
    f.save("Main.pic", d);
    EXPECT_TRUE(f.picture->LoadMainPicture());
    EXPECT_EQ(f.edit.text(), main);
    EXPECT_EQ(f.picture->Objects().size(), 1u);

    const QString missing = f.plant.file("none.pic");
    EXPECT_FALSE(f.picture->OpenPictureFile(missing));
    EXPECT_EQ(f.prompt.lastText(), QString("The file : %1 is not exit!").arg(missing));
    EXPECT_EQ(f.picture->Objects().size(), 1u) << "the previous picture stays";
    EXPECT_EQ(f.edit.text(), main);

    f.save("Other.pic", page());
    f.picture->OpenChosenPicture(QString()); // cancelled dialog
    EXPECT_EQ(f.picture->Objects().size(), 1u);
    f.picture->OpenChosenPicture(f.plant.file("Other.pic"));
    EXPECT_TRUE(f.picture->Objects().empty());
    EXPECT_EQ(f.edit.text(), f.plant.file("Other.pic"));
}

TEST(LivePicture, HotSpots)
{
    Fixture f;
    PictureDocument target = page(0x00FF00);
    target.Add(gtLine);
    f.save("Target.pic", target);

    PictureDocument d = page();
    addHot(d, QRect(10, 10, 50, 20), "");          // swallows clicks
    addHot(d, QRect(10, 10, 100, 100), "Target.pic");
    f.picture->LoadAllObject(WritePicture(d));

    EXPECT_TRUE(f.picture->HotSpotPress(QPoint(20, 20)));
    EXPECT_EQ(f.picture->Objects().size(), 2u) << "empty target: nothing loaded, later spots not examined";
    EXPECT_FALSE(f.picture->HotSpotPress(QPoint(10, 50))) << "on the edge is not inside";

    f.stationLoaded = false;
    EXPECT_FALSE(f.picture->HotSpotPress(QPoint(50, 80)));
    f.stationLoaded = true;
    EXPECT_TRUE(f.picture->HotSpotPress(QPoint(50, 80)));
    EXPECT_EQ(f.edit.text(), QDir(f.plant.path()).filePath("Target.pic"));
    ASSERT_EQ(f.picture->Objects().size(), 1u);
    EXPECT_EQ(f.picture->Document().BackColor, 0x00FF00u);

    // a missing target is reported and the picture stays
    PictureDocument broken = page();
    addHot(broken, QRect(0, 0, 50, 50), "Gone.pic");
    f.picture->LoadAllObject(WritePicture(broken));
    f.prompt.clear();
    EXPECT_TRUE(f.picture->HotSpotPress(QPoint(5, 5)));
    EXPECT_EQ(f.prompt.shown.size(), 1);
    EXPECT_EQ(f.picture->Objects().size(), 1u);
}

TEST(LivePicture, OnlyTheFirstExistingSoundPlays)
{
    Fixture f;
    QDir(f.plant.path()).mkdir("Sound");
    f.plant.write("Sound/b.wav", "RIFF");
    f.plant.write("Sound/c.wav", "RIFF");
    PictureDocument d = page();
    d.AddAs<TfrVideoView>(gtVideo)->SoundFile = "a.wav"; // missing
    auto *b = d.AddAs<TfrVideoView>(gtVideo);
    b->SoundFile = "b.wav";
    b->PlayCount = 3;
    d.AddAs<TfrVideoView>(gtVideo)->SoundFile = "c.wav";
    f.save("Main.pic", d);
    ASSERT_TRUE(f.picture->LoadMainPicture());
    ASSERT_EQ(f.sound.played.size(), 1);
    EXPECT_EQ(QFileInfo(f.sound.played[0]).fileName(), "b.wav");
    EXPECT_EQ(f.sound.counts[0], 3);

    f.picture->LoadAllObject(WritePicture(page()));
    EXPECT_FALSE(f.picture->PlayPictureSound());
    EXPECT_EQ(f.sound.played.size(), 1);
}

TEST(LiveCharts, LineChartSeriesAndTheThousandPointRule)
{
    Fixture f;
    PictureDocument d = page();
    auto *c = d.AddAs<TfrRunChartView>(gtRunChart);
    c->BindUnit = 2;
    c->ChannelShown[0] = 1;
    c->ChannelShown[7] = 1; // beyond the 6 channels of a 10-channel unit
    c->ChannelColors[0] = 0xFF0000;
    f.picture->LoadAllObject(WritePicture(d));
    ChartControl *chart = f.picture->Charts().value(0);
    ASSERT_TRUE(chart);
    EXPECT_EQ(chart->Tag, 255);
    ASSERT_EQ(chart->Series().size(), 1);
    auto *line = qobject_cast<QLineSeries *>(chart->Series()[0]);
    ASSERT_TRUE(line);
    EXPECT_EQ(line->property("Tag").toInt(), 0);
    EXPECT_EQ(line->color(), QColor(0, 0, 255));

    auto &unit = f.points.stations[0].units[1];
    for (int i = 0; i < 1001; ++i) {
        unit.yc[0].value = i;
        f.picture->RefreshCharts(1);
    }
    f.picture->RefreshCharts(0); // another unit: no change
    ASSERT_EQ(line->count(), 1001);
    EXPECT_EQ(line->at(1000), QPointF(1000, 1000));
    unit.yc[0].value = 42;
    f.picture->RefreshCharts(1);
    ASSERT_EQ(line->count(), 1);
    EXPECT_EQ(line->at(0), QPointF(0, 42));
}

TEST(LiveCharts, BarChartAndUnboundCharts)
{
    Fixture f;
    f.points.stations[0].units[0].yc[1].kind = "Yx"; // not an analog channel
    PictureDocument d = page();
    auto *c = d.AddAs<TfrRunChartView>(gtRunChart);
    c->ChartKind = 2;
    for (int i = 0; i < 4; ++i)
        c->ChannelShown[i] = 1;
    auto *unbound = d.AddAs<TfrRunChartView>(gtRunChart);
    unbound->BindUnit = 9;
    unbound->ChannelShown[0] = 1;
    f.picture->LoadAllObject(WritePicture(d));
    ASSERT_EQ(f.picture->Charts().size(), 2);
    EXPECT_TRUE(f.picture->Charts()[1]->Series().isEmpty());
    ChartControl *chart = f.picture->Charts()[0];
    const auto series = chart->Series();
    ASSERT_EQ(series.size(), 3);
    QList<int> xs;
    QStringList labels;
    for (auto *s : series) {
        xs << s->property("X").toInt();
        labels << qobject_cast<QBarSeries *>(s)->barSets()[0]->label();
    }
    EXPECT_EQ(xs, QList<int>({0, 100, 150}));
    EXPECT_EQ(labels, QStringList({"P0", "P2", "P3"}));

    auto value = [&](int k) {
        auto *s = qobject_cast<QBarSeries *>(series[k]);
        return s->barSets()[0]->at(s->property("BarIndex").toInt());
    };
    f.points.stations[0].units[0].yc[2].value = 7.5;
    f.picture->RefreshCharts(1);
    EXPECT_EQ(value(1), 0.0);
    f.picture->RefreshCharts(0);
    EXPECT_EQ(value(1), 7.5);
}

TEST(LiveGifs, KeepRunningAndPointDrivenAnimation)
{
    Fixture f;
    QDir(f.plant.path()).mkdir("giflib");
    f.plant.write("giflib/a.gif", tinyGif());
    PictureDocument d = page();
    auto *keep = d.AddAs<TfrGifView>(gtGif);
    keep->GifFile = "a.gif";
    keep->KeepRunning = 1;
    auto *follow = d.AddAs<TfrGifView>(gtGif);
    follow->GifFile = "a.gif";
    follow->BindUnit = 2;
    follow->BindPoint = 3;
    auto *missing = d.AddAs<TfrGifView>(gtGif);
    missing->GifFile = "none.gif";
    f.picture->LoadAllObject(WritePicture(d));
    const auto gifs = f.picture->GifControls();
    ASSERT_EQ(gifs.size(), 3);
    EXPECT_TRUE(gifs[0]->Animate());
    EXPECT_EQ(gifs[0]->Speed(), 60);
    EXPECT_FALSE(gifs[1]->Animate());
    EXPECT_EQ(gifs[1]->Tag, 255 + 2);
    EXPECT_TRUE(gifs[2]->IsEmpty());

    auto &point = f.points.stations[0].units[1].yx[2];
    point.state = true;
    f.picture->RefreshGifControls();
    EXPECT_TRUE(gifs[0]->Animate());
    EXPECT_TRUE(gifs[1]->Animate());
    EXPECT_FALSE(gifs[2]->Animate()) << "an empty control never animates";
    point.state = false;
    f.picture->RefreshGifControls();
    EXPECT_TRUE(gifs[0]->Animate()) << "a GIF that keeps running is never stopped";
    EXPECT_FALSE(gifs[1]->Animate());
}

// ---- picture tree -----------------------------------------------------------

namespace {
struct TreeFixture {
    TempPlant plant;
    FakePrompt prompt;
    QString chosen;
    QStringList opened;
    std::unique_ptr<PictureTreeView> tree;
    TreeFixture()
    {
        PictureTreeView::Environment env;
        env.ProgramDir = plant.path();
        env.prompt = &prompt;
        env.choosePictureFile = [this] { return chosen; };
        env.openPicture = [this](const QString &p) { opened << p; };
        tree = std::make_unique<PictureTreeView>(env);
        tree->resize(300, 400);
        tree->show();
    }
    QTreeWidgetItem *find(const QString &text)
    {
        auto items = tree->findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
        return items.value(0);
    }
    QPoint at(QTreeWidgetItem *item) { return tree->visualItemRect(item).center(); }
};
} // namespace

TEST(PictureTree, FileFormatReadsAndWritesTabIndentedLines)
{
    const QByteArray text = QByteArray("GroupState\r\n\t") + QByteArray("\xd5\xbe") + "1\r\n\t\tPicture\r\n"
                            "\t\t\tMain.pic\r\n\t\t\tsub\\Feeder.pic\r\n\tS2\r\n\t\tPicture\r\n";
    const TreeNodes nodes = ParseTreeText(text);
    ASSERT_EQ(nodes.size(), 1u);
    ASSERT_EQ(nodes[0].children.size(), 2u);
    EXPECT_EQ(nodes[0].children[0].text, QString::fromUtf8("站1"));
    EXPECT_EQ(nodes[0].children[0].children[0].children.size(), 2u);
    EXPECT_EQ(FormatTreeText(nodes), text);
    // unix line ends and a jump of two levels lose no line
    const TreeNodes loose = ParseTreeText("A\n\t\t\tB\n");
    ASSERT_EQ(loose[0].children.size(), 1u);
    EXPECT_EQ(loose[0].children[0].text, "B");
}

TEST(PictureTree, PopupMenuFollowsTheNodeUnderTheMouse)
{
    TreeFixture t;
    t.tree->SetNodes(ParseTreeText("GroupState\n\tS1\n\t\tPicture\n\t\t\tMain.pic\n"));
    // without a selected node a right press does nothing
    EXPECT_FALSE(t.tree->TreePress(t.at(t.find("Picture")), Qt::RightButton));
    t.tree->setCurrentItem(t.find("GroupState"));

    struct Case {
        const char *node;
        bool shown, append, insertDelete;
    } cases[] = {{"Picture", true, true, false}, {"Main.pic", true, false, true}, {"S1", false, false, false}};
    for (const auto &c : cases) {
        EXPECT_EQ(t.tree->TreePress(t.at(t.find(c.node)), Qt::RightButton), c.shown) << c.node;
        EXPECT_EQ(t.tree->currentItem(), t.find(c.node));
        if (c.shown) {
            EXPECT_EQ(t.tree->AppendItem()->isEnabled(), c.append) << c.node;
            EXPECT_EQ(t.tree->InsertItem()->isEnabled(), c.insertDelete) << c.node;
            EXPECT_EQ(t.tree->DeleteItem()->isEnabled(), c.insertDelete) << c.node;
        }
    }
    EXPECT_EQ(t.tree->PopupTreeView()->objectName(), "PopupTreeView");
}

TEST(PictureTree, AppendInsertDeleteSaveTheTree)
{
    TreeFixture t;
    t.tree->RebuildPictureTree({"S1"});
    t.tree->setCurrentItem(t.find("Picture"));
    t.chosen = t.plant.file("Main.pic");
    t.tree->AppendClick();
    t.tree->setCurrentItem(t.find("Main.pic"));
    t.chosen = t.plant.file("Feeder.pic");
    t.tree->InsertClick();
    t.chosen.clear(); // cancelled
    t.tree->AppendClick();
    EXPECT_EQ(t.find("Picture")->childCount(), 2);
    EXPECT_EQ(t.plant.read("TreeView"),
              QByteArray("GroupState\r\n\tS1\r\n\t\tPicture\r\n\t\t\tFeeder.pic\r\n\t\t\tMain.pic\r\n"));

    t.tree->setCurrentItem(t.find("Feeder.pic"));
    t.tree->DeleteClick(); // answered No
    EXPECT_TRUE(t.find("Feeder.pic"));
    t.prompt.queue(PromptAnswer::Yes);
    t.tree->DeleteClick();
    EXPECT_EQ(t.prompt.texts(), QStringList({"Delete this picture?", "Delete this picture?"}));
    EXPECT_FALSE(t.find("Feeder.pic"));
    EXPECT_FALSE(t.plant.read("TreeView").contains("Feeder"));

    // a fresh tree reads the saved file
    TreeFixture other;
    other.plant.write("TreeView", t.plant.read("TreeView"));
    PictureTreeView::Environment env;
    env.ProgramDir = other.plant.path();
    PictureTreeView reread(env);
    reread.LoadTree();
    EXPECT_EQ(reread.Nodes(), t.tree->Nodes());
    PictureTreeView empty(PictureTreeView::Environment{t.plant.file("nowhere"), nullptr, {}, {}});
    EXPECT_THROW(empty.LoadTree(), EInOutError);
}

TEST(PictureTree, PicturesOutsideTheProgramDirectoryStayReachable)
{
    TreeFixture t;
    QTemporaryDir elsewhere;
    t.tree->RebuildPictureTree({"S1"});
    t.tree->setCurrentItem(t.find("Picture"));
    t.chosen = QDir(elsewhere.path()).filePath("Far.pic");
    t.tree->AppendClick();
    QTreeWidgetItem *entry = t.find("Picture")->child(0);
    ASSERT_TRUE(entry);
    t.tree->setCurrentItem(entry);
    t.tree->OpenCurrent();
    ASSERT_EQ(t.opened.size(), 1);
    EXPECT_EQ(QDir::cleanPath(t.opened[0]), QDir::cleanPath(QDir(elsewhere.path()).filePath("Far.pic")));
}

TEST(PictureTree, RebuildDropsPictureEntriesAndDoubleClickOpensPictures)
{
    TreeFixture t;
    t.tree->SetNodes(ParseTreeText("GroupState\n\tS1\n\t\tPicture\n\t\t\tMain.pic\n"));
    t.tree->setCurrentItem(t.find("Main.pic"));
    t.tree->OpenCurrent();
    ASSERT_EQ(t.opened.size(), 1);
    EXPECT_EQ(t.opened[0], QDir(t.plant.path()).filePath("Main.pic"));
    t.tree->setCurrentItem(t.find("S1"));
    t.tree->OpenCurrent();
    EXPECT_EQ(t.opened.size(), 1);

    t.tree->RebuildPictureTree({"S1", "S2"});
    EXPECT_FALSE(t.find("Main.pic"));
    EXPECT_TRUE(t.find("S2"));
    EXPECT_EQ(t.plant.read("TreeView"),
              QByteArray("GroupState\r\n\tS1\r\n\t\tPicture\r\n\tS2\r\n\t\tPicture\r\n"));
}

TEST(LivePicture, WindowFreedBeforeThePictureLeavesNothingToFreeTwice)
{
    TempPlant plant;
    QDir(plant.path()).mkdir("giflib");
    plant.write("giflib/a.gif", tinyGif());
    auto *scroll = new QScrollArea;
    PictureEnvironment env;
    env.ProgramDir = plant.path();
    env.ScrollBox1 = scroll;
    auto picture = std::make_unique<LivePicture>(env);
    PictureDocument d = page();
    d.AddAs<TfrGifView>(gtGif)->GifFile = "a.gif";
    d.Add(gtRunChart);
    picture->LoadAllObject(WritePicture(d));
    ASSERT_EQ(picture->GifControls().size(), 1);
    delete scroll;
    EXPECT_EQ(picture->PaintBox1(), nullptr);
    picture->LoadAllObject(WritePicture(d));
    EXPECT_NE(picture->PaintBox1(), nullptr);
    picture.reset();
}

TEST(LivePicture, PictureSoundsPlayThroughTheSoundWindow)
{
    TempPlant plant;
    QDir(plant.path()).mkdir("Sound");
    plant.write("Sound/open.wav", "RIFF");
    FakeAlarmSound device;
    ManualScheduler timers;
    TFormPlaySound form(device, timers);
    PlaySoundFormPlayer player(form);
    PictureEnvironment env;
    env.ProgramDir = plant.path();
    env.soundPlayer = &player;
    LivePicture picture(env);
    PictureDocument d = page();
    d.AddAs<TfrVideoView>(gtVideo)->SoundFile = "open.wav";
    WritePictureFile(plant.file("Main.pic"), d);
    ASSERT_TRUE(picture.LoadMainPicture());
    EXPECT_TRUE(form.pictureSoundFlag()) << "the alarm sound waits while it plays";
    timers.advance(1);
    EXPECT_EQ(device.opened, QStringList{QDir(plant.path()).filePath("Sound/open.wav")});
    EXPECT_TRUE(device.isPlaying());
}
