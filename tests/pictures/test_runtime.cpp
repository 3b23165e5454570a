// The live picture at run time: data replies move objects and instruments,
// instruments are prepared from their blocks, hints, menus and the
// selection, and the instrument controls themselves.
#include "pictures/instruments/Instruments.h"
#include "pictures/PictureFile.h"
#include "pictures/ui/LivePicture.h"
#include "pictures/ui/PictureRuntime.h"
#include "acquisition/BlockProgram.h"
#include "acquisition/RemoteControl.h"
#include "acquisition/StationRuntime.h"
#include "platform/BytePort.h"
#include "platform/ManualScheduler.h"
#include "platform/Prompt.h"
#include "support/TempDir.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollArea>
#include <QTest>
#include <gtest/gtest.h>

using namespace scada;

namespace {

// Units: 0 "Intake" (address 1, 20 channels, polled), 1 "Feeder" (address
// 2, 10 channels, mark 0). Blocks of unit 0: 0 timer in minutes set to
// 1000, 1 comparator 57, 2 up counter 1234, 3 timer in minutes 1500.
PointModel plantModel()
{
    PointModel m;
    m.stationCount = 1;
    m.stations.resize(1);
    m.stations[0].name = "Riverside";
    m.stations[0].portName = "COM1";
    TFtuRec a;
    a.name = "Intake";
    a.address = 1;
    a.mark = 1;
    a.size = 1;
    for (int i = 0; i < 20; ++i) {
        a.yc[i].name = QString("Level%1").arg(i);
        a.yc[i].kind = i < 12 ? "Yc" : "";
        a.yc[i].coefficientA = 10; // engineering value = raw byte
        a.yx[i].name = QString("Pump%1").arg(i);
    }
    a.ym[0].name = "Energy";
    TFtuRec f;
    f.name = "Feeder";
    f.address = 2;
    f.mark = 0;
    m.stations[0].units = {a, f};
    m.blocks.resize(2);
    m.blocks[0] = {{7, 0, 2, 1000}, {17, 1, 0, 57}, {14, 2, 0, 1234}, {8, 3, 2, 1500}};
    return m;
}

// A data reply of unit address 1: digital bytes 5, 6 and analog bytes.
QByteArray reply(uint8_t b5, uint8_t b6, uint8_t analog0 = 0)
{
    Frame f{};
    f[0] = 0xAA;
    f[1] = 1;
    f[2] = 0x09;
    f[5] = b5;
    f[6] = b6;
    f[18] = analog0; // analog point 0
    SealFrame(f);
    return toBytes(f);
}

template <class T> T *add(PictureDocument &doc, int code, int left, int top, int w, int h, int unit = 1, int point = 1)
{
    T *o = doc.AddAs<T>(code);
    o->Left = left, o->Top = top, o->Width = w, o->Height = h;
    o->BindStation = 1, o->BindUnit = uint16_t(unit), o->BindPoint = uint16_t(point);
    return o;
}

TfrIoCompView *instrument(PictureDocument &doc, int kind, int left, int top, int unit, int point,
                          QVariantMap settings = {})
{
    auto *o = add<TfrIoCompView>(doc, gtIoComp, left, top, 60, 60, unit, point);
    o->InstrumentKind = uint16_t(kind);
    o->Instrument = settings;
    return o;
}

struct Live {
    TempPlant plant;
    FakePrompt prompt;
    ManualScheduler sched;
    FakeBytePort port;
    QWidget window;
    QScrollArea scroll{&window};
    QLineEdit edit;
    bool loggedIn = false;
    QList<QPair<QString, PictureSelection>> opened;
    std::unique_ptr<StationRuntime> rt;
    std::unique_ptr<PictureRuntime> live;
    std::unique_ptr<LivePicture> picture;

    Live()
    {
        sched.define("Timer4", 400, [] {});
        rt = std::make_unique<StationRuntime>(plant.path(), nullptr, &port, &sched, &sched, &prompt);
        rt->InstallPointModel(plantModel());
        PictureRuntimeEnvironment le;
        le.window = &window;
        le.points = &rt->model();
        le.timers = &sched;
        le.clock = &sched;
        le.loggedIn = [this] { return loggedIn; };
        le.openMenu = [this](QMenu *m, const QPoint &) { opened << qMakePair(m->objectName(), live->Selection()); };
        live = std::make_unique<PictureRuntime>(le);
        PictureEnvironment env;
        env.ProgramDir = plant.path();
        env.prompt = &prompt;
        env.ScrollBox1 = &scroll;
        env.Edit1 = &edit;
        env.timers = &sched;
        env.points = &rt->model();
        env.setupInstrument = [this](TfrIoCompView &o, QWidget *s) -> QWidget * { return live->SetUpInstrument(o, s); };
        picture = std::make_unique<LivePicture>(env);
        live->attach(*picture);
        QObject::connect(rt.get(), &StationRuntime::unitRefreshed, live.get(),
                         [this](int, int u) { live->RefreshPicture(u); });
    }
    void load(const PictureDocument &doc) { picture->LoadAllObject(WritePicture(doc)); }
    TfrView &obj(int i) { return *picture->Objects()[size_t(i)]; }
    TiInstrument &ctl(int i)
    {
        TiInstrument *w = live->Control(i);
        EXPECT_NE(w, nullptr) << "no control for object " << i;
        return *w;
    }
    void feed(const QByteArray &bytes) { rt->HandleDataReply(reinterpret_cast<const uint8_t *>(bytes.constData()), 26); }
    void rightClick(QPoint p) { live->PaintBox1MouseDown(p, Qt::RightButton); }
};

} // namespace

TEST(LiveRefresh, RepliesMoveObjectsByTheirBinding)
{
    Live t;
    PictureDocument doc;
    // 0: an instrument with OPC items first: it is passed over, the rest refresh
    instrument(doc, 2, 0, 0, 1, 1, {{"OPCItemCount", 1}});
    auto *lamp = add<TfrMemoView>(doc, gtMemo, 100, 0, 60, 20);           // 1
    lamp->LampMode = 1;
    lamp->Lines = QStringList{"title"};
    auto *text = add<TfrMemoView>(doc, gtMemo, 100, 30, 60, 20);          // 2 text mode
    text->Lines = QStringList{"Intake pumps"};
    add<TfrYxView>(doc, gtYx, 200, 0, 20, 20, 1, 3);                      // 3
    add<TfrYmView>(doc, gtYm, 200, 30, 120, 20);                          // 4
    add<TfrFtuView>(doc, gtFtu, 300, 0, 40, 40, 1);                        // 5 polled
    add<TfrFtuView>(doc, gtFtu, 350, 0, 40, 40, 2);                        // 6 mark 0
    add<TfrYxView>(doc, gtYx, 400, 0, 20, 20, 7, 1);                      // 7 no such unit
    instrument(doc, 2, 0, 100, 1, 1);                                      // 8 gauge
    instrument(doc, 5, 0, 200, 1, 1);                                      // 9 seven segments
    t.load(doc);
    t.rt->model().stations[0].units[0].ym[0].value = 1234.5;

    t.feed(reply(0x04, 0x00, 42)); // digital point 2 on, analog 0 = 42
    EXPECT_EQ(t.ctl(0).Position(), 1); // OPC-fed: untouched (stored default)
    auto &memo = static_cast<TfrMemoView &>(t.obj(1));
    EXPECT_EQ(memo.Lines.first(), "  42.00");
    EXPECT_FALSE(memo.LampOn);
    EXPECT_EQ(t.obj(2).Lines, QStringList{"Intake pumps"});
    EXPECT_EQ(static_cast<TfrYxView &>(t.obj(3)).State, 1);
    EXPECT_EQ(t.obj(4).Lines.first(), "        1234.50");
    EXPECT_EQ(static_cast<TfrFtuView &>(t.obj(5)).UnitState, 1);
    EXPECT_EQ(static_cast<TfrFtuView &>(t.obj(6)).UnitState, 0);
    EXPECT_EQ(static_cast<TfrYxView &>(t.obj(7)).State, 0);
    EXPECT_EQ(t.ctl(8).Position(), 42);
    EXPECT_EQ(t.ctl(9).Value(), 42);
    EXPECT_EQ(t.live->LastRepaintCount(), 4);

    // digital point 11 (bit 3 of byte 6) on: the unit symbol shows its error
    t.feed(reply(0x00, 0x08, 42));
    EXPECT_EQ(static_cast<TfrFtuView &>(t.obj(5)).UnitState, 2);
    EXPECT_EQ(static_cast<TfrYxView &>(t.obj(3)).State, 0);
    EXPECT_EQ(t.live->LastRepaintCount(), 2); // only what changed
}

TEST(LiveRefresh, AnObjectThatFailsEndsThePassSilently)
{
    Live t;
    PictureDocument doc;
    add<TfrYxView>(doc, gtYx, 0, 0, 20, 20, 1, 1);
    add<TfrYxView>(doc, gtYx, 30, 0, 20, 20, 1, 40); // no digital point 40
    add<TfrYxView>(doc, gtYx, 60, 0, 20, 20, 1, 1);
    t.load(doc);
    t.feed(reply(0x01, 0));
    EXPECT_EQ(static_cast<TfrYxView &>(t.obj(0)).State, 1);
    EXPECT_EQ(static_cast<TfrYxView &>(t.obj(2)).State, 0);
    EXPECT_TRUE(t.prompt.texts().isEmpty());
}

TEST(LiveRefresh, SwitchesFollowTheirPointUnlessHeld)
{
    Live t;
    PictureDocument doc;
    instrument(doc, 0, 0, 0, 1, 2);
    instrument(doc, 1, 100, 0, 1, 2);
    t.load(doc);
    EXPECT_EQ(t.ctl(0).Tag(), EncodeReference(0, 0, 1));
    t.feed(reply(0x02, 0));
    EXPECT_TRUE(t.ctl(0).Active());
    EXPECT_EQ(t.ctl(1).Position(), 1);
    t.rt->model().stations[0].units[0].switchHeld = true;
    t.feed(reply(0x00, 0));
    EXPECT_TRUE(t.ctl(0).Active());
    EXPECT_EQ(t.ctl(1).Position(), 1);
    t.rt->model().stations[0].units[0].switchHeld = false;
    t.feed(reply(0x00, 0));
    EXPECT_FALSE(t.ctl(0).Active());
    EXPECT_EQ(t.ctl(1).Position(), 0);
}

TEST(LiveSetUp, KnobsAndDisplaysTakeTheirBlock)
{
    Live t;
    PictureDocument doc;
    instrument(doc, 3, 0, 0, 1, 2, {{"PositionMax", 100}, {"PositionMin", -5}}); // comparator 57
    instrument(doc, 3, 100, 0, 1, 3, {{"PositionMax", 2e6}});                     // up counter 1234
    instrument(doc, 3, 200, 0, 1, 4, {{"PositionMax", 50}});                      // timer 1500
    instrument(doc, 11, 0, 100, 1, 4);                                            // timer, minutes
    instrument(doc, 11, 100, 100, 1, 2);                                          // comparator
    instrument(doc, 3, 200, 100, 1, 9, {{"PositionMax", 70}, {"Position", 3}});   // beyond the list
    instrument(doc, 11, 300, 100, 1, 9, {{"Value", 7}});                          // beyond the list
    t.load(doc);

    TiInstrument &cmp = t.ctl(0);
    EXPECT_DOUBLE_EQ(cmp.Position(), 5.7);
    EXPECT_EQ(cmp.PositionMax(), 10);
    EXPECT_EQ(cmp.PositionMin(), 0);
    EXPECT_EQ(cmp.PositionDisplayPrecision(), 1);
    EXPECT_EQ(cmp.TickLabelPrecision(), 1);
    EXPECT_TRUE(cmp.ShowPostionDisplay());
    EXPECT_EQ(cmp.Tag(), EncodeReference(0, 0, 1));
    EXPECT_EQ(t.ctl(1).Position(), 1234);
    EXPECT_EQ(t.ctl(1).PositionMax(), 999999);
    EXPECT_EQ(t.ctl(1).PositionDisplayPrecision(), 0);
    EXPECT_EQ(t.ctl(2).PositionMax(), 50); // already below 99.99
    EXPECT_DOUBLE_EQ(t.ctl(2).Position(), 15);

    TiInstrument &disp = t.ctl(3);
    EXPECT_EQ(disp.ValueText(), "15.00");
    EXPECT_EQ(disp.UnitsText(), " M");
    EXPECT_EQ(disp.BorderStyle(), ibsRaised);
    EXPECT_EQ(t.ctl(4).ValueText(), "5.7");
    EXPECT_EQ(t.ctl(4).UnitsText(), " V");

    // no block at position 8: left as stored
    EXPECT_EQ(t.ctl(5).PositionMax(), 70);
    EXPECT_EQ(t.ctl(5).Position(), 3);
    EXPECT_EQ(t.ctl(6).Value(), 7);

    // a release on the display lowers its frame
    QTest::mouseRelease(&disp, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(disp.BorderStyle(), ibsLowered);
}

TEST(LiveSetUp, RunningTimeBarCountsSecondsSinceItsPointTurnedOn)
{
    Live t;
    PictureDocument doc;
    instrument(doc, 9, 0, 0, 1, 5, {{"Tag", 1}, {"PositionMax", 10}}); // block 0: 1000 in minutes
    instrument(doc, 9, 0, 40, 1, 5, {{"Tag", 0}, {"PositionMax", 10}}); // no block chosen
    t.load(doc);
    TiInstrument &bar = t.ctl(0);
    EXPECT_EQ(bar.PositionMax(), 600);
    EXPECT_EQ(bar.SectionEnd2(), 0);
    EXPECT_EQ(bar.SectionCount(), 1);
    EXPECT_EQ(bar.SegmentDirection(), idRight);
    EXPECT_EQ(bar.Tag(), EncodeReference(0, 0, 4));
    EXPECT_EQ(t.ctl(1).PositionMax(), 0);

    t.sched.advance(5000);
    t.feed(reply(0x10, 0)); // digital point 4 on
    t.live->NotifyEventInstruments(0, 0, 4);
    EXPECT_EQ(bar.SectionEnd1(), 5000);
    t.sched.advance(30000);
    t.feed(reply(0x10, 0));
    EXPECT_EQ(bar.Position(), 30);
    EXPECT_EQ(static_cast<TiLedBar &>(bar).LitSegments(), 1); // 30 of 600 on 20 segments
    EXPECT_EQ(t.ctl(1).Position(), 0);

    // off: reset and held at 0
    t.feed(reply(0x00, 0));
    t.live->NotifyEventInstruments(0, 0, 4);
    t.sched.advance(10000);
    t.feed(reply(0x00, 0));
    EXPECT_EQ(bar.Position(), 0);
}

TEST(LiveSetUp, InstrumentEventsReachTheControlCommands)
{
    Live t;
    RemoteControl rc(*t.rt, t.sched, t.sched, t.prompt);
    BlockProgram bp(*t.rt, rc, t.sched, t.prompt, t.plant.path());
    t.live->setRemoteControl(&rc);
    t.live->setBlockProgram(&bp);
    PictureDocument doc;
    instrument(doc, 0, 0, 0, 1, 13);                           // Pump12: no control point
    instrument(doc, 3, 100, 0, 1, 2, {{"PositionMax", 10}});  // comparator 57
    instrument(doc, 11, 0, 200, 1, 4);                         // timer block
    add<TfrYxView>(doc, gtYx, 300, 0, 20, 20, 1, 13);
    t.load(doc);
    const TFtuRec &unit = t.rt->model().stations[0].units[0];

    TiInstrument &rocker = t.ctl(0);
    QTest::mousePress(&rocker, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(unit.switchHeld);
    QTest::mouseRelease(&rocker, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_FALSE(unit.switchHeld);
    EXPECT_TRUE(t.prompt.saw("Not a control point"));

    // a turn the operator does not confirm goes back to where it started
    TiInstrument &knob = t.ctl(1);
    knob.resize(100, 120);
    QTest::mousePress(&knob, Qt::LeftButton, {}, QPoint(10, 50));
    QMouseEvent move(QEvent::MouseMove, QPointF(50, 5), knob.mapToGlobal(QPointF(50, 5)), Qt::NoButton,
                     Qt::LeftButton, {});
    QApplication::sendEvent(&knob, &move);
    ASSERT_NE(t.live->KnobValueDisplay(), nullptr);
    EXPECT_FALSE(t.live->KnobValueDisplay()->isHidden());
    EXPECT_EQ(t.live->KnobValueDisplay()->y(), knob.y() - 40);
    EXPECT_EQ(t.live->KnobValueDisplay()->Precision(), 1);
    QTest::mouseRelease(&knob, Qt::LeftButton, {}, QPoint(50, 5));
    EXPECT_TRUE(t.prompt.saw("Are you sure ?"));
    EXPECT_DOUBLE_EQ(knob.Position(), 5.7);
    EXPECT_TRUE(t.live->KnobValueDisplay()->isHidden());

    TiInstrument &display = t.ctl(2);
    QTest::mousePress(&display, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(t.prompt.saw("Are you sure read block ?"));
    emit bp.blockValueShown(display.Tag(), 7.25, " S");
    EXPECT_EQ(display.ValueText(), "7.25");
    EXPECT_EQ(display.UnitsText(), " S");

    // "Control" of the digital menu switches the selected point
    t.prompt.clear();
    t.loggedIn = true;
    t.rightClick({310, 10});
    t.live->PopupYx()->findChild<QAction *>("YxYaoKong")->trigger();
    EXPECT_EQ(t.prompt.texts(), QStringList{"Not a control point"});
}

TEST(LiveMenus, RightClicksOpenTheMenuOfEachObjectUnderTheMouse)
{
    Live t;
    PictureDocument doc;
    add<TfrYxView>(doc, gtYx, 10, 10, 40, 40, 1, 3);
    add<TfrFtuView>(doc, gtFtu, 30, 30, 60, 60, 1);
    auto *lamp = add<TfrMemoView>(doc, gtMemo, 200, 0, 60, 20, 1, 2);
    lamp->LampMode = 1;
    add<TfrMemoView>(doc, gtMemo, 300, 0, 60, 20); // text mode: no menu
    add<TfrYmView>(doc, gtYm, 400, 0, 60, 20, 1, 1);
    add<TfrYxView>(doc, gtYx, 500, 0, 20, 20, 9, 1); // no such unit
    t.load(doc);
    QAction *control = t.live->PopupYx()->findChild<QAction *>("YxYaoKong");
    ASSERT_NE(control, nullptr);

    t.rightClick({40, 40}); // lamp and unit symbol overlap
    ASSERT_EQ(t.opened.size(), 2);
    EXPECT_EQ(t.opened[0].first, "PopupYx");
    EXPECT_EQ(t.opened[0].second.point, 2);
    EXPECT_EQ(t.opened[0].second.object, 0);
    EXPECT_EQ(t.opened[1].first, "PopupFtu");
    EXPECT_EQ(t.opened[1].second.object, 1);
    EXPECT_FALSE(control->isEnabled()); // nobody logged in

    t.opened.clear();
    t.loggedIn = true;
    t.rightClick({20, 20});
    EXPECT_TRUE(control->isEnabled());
    t.rightClick({230, 10});
    t.rightClick({330, 10});
    t.rightClick({430, 10});
    t.rightClick({510, 10});
    t.live->PaintBox1MouseDown({20, 20}, Qt::LeftButton);
    QStringList names;
    for (const auto &o : t.opened)
        names << o.first;
    EXPECT_EQ(names, (QStringList{"PopupYx", "PopupYc", "PopupYm"}));
    EXPECT_EQ(t.live->Selection().object, 4);

    QAction *compare = t.live->PopupFtu()->findChild<QAction *>("BiJiaoSheZhi");
    ASSERT_NE(compare, nullptr);
    EXPECT_FALSE(compare->isEnabled());
}

TEST(LiveMenus, HotSpotWithoutTargetSwallowsTheClick)
{
    Live t;
    t.plant.write("Other.pic", WritePicture(PictureDocument{}));
    PictureDocument doc;
    add<TfrHotView>(doc, gtHot, 0, 0, 50, 50);
    add<TfrHotView>(doc, gtHot, 0, 0, 50, 50)->TargetPicture = "Other.pic";
    t.load(doc);
    t.edit.setText("Main.pic");
    QTest::mouseClick(t.picture->PaintBox1(), Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(t.picture->Objects().size(), 2u);
    EXPECT_EQ(t.edit.text(), "Main.pic");
}

TEST(LiveHints, OneHintPerSecondWithTheObjectsText)
{
    Live t;
    PictureDocument doc;
    auto *lamp = add<TfrMemoView>(doc, gtMemo, 0, 0, 50, 50, 1, 2);
    lamp->LampMode = 1;
    add<TfrYxView>(doc, gtYx, 100, 0, 50, 50, 1, 3);
    add<TfrHotView>(doc, gtHot, 200, 0, 50, 50)->TargetPicture = "Pumps.pic";
    add<TfrYmView>(doc, gtYm, 300, 0, 50, 50, 1, 1);
    t.load(doc);
    t.rt->model().stations[0].units[0].yc[1].value = 3.14159;
    t.rt->model().stations[0].units[0].ym[0].value = 7;

    t.live->PaintBox1MouseMove({10, 10});
    t.live->PaintBox1MouseMove({110, 10});
    t.live->PaintBox1MouseMove({210, 10});
    QLabel *hint = t.live->HintWindow();
    ASSERT_NE(hint, nullptr);
    EXPECT_EQ(hint->property("HintText").toString(), QString("Intake\r\rLevel1   3.14"));
    EXPECT_EQ(hint->size(), QSize(120, 50));
    EXPECT_EQ(hint->palette().color(QPalette::Window), QColor(0xD7, 0xFD, 0xB5));
    EXPECT_EQ(t.live->Selection().point, 1);
    EXPECT_EQ(t.picture->PaintBox1()->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_TRUE(t.sched.isActive("Timer3"));

    t.sched.advance(1000);
    EXPECT_EQ(t.live->HintWindow(), nullptr);
    EXPECT_FALSE(t.live->HintShowing());
    EXPECT_FALSE(t.sched.isActive("Timer3"));

    const struct {
        QPoint at;
        QString text;
        QSize size;
    } cases[] = {
        {{110, 10}, "Intake\r\rPump2", {80, 50}},
        {{210, 10}, "Pumps.pic", {72, 20}},
        {{310, 10}, "Intake\r\rEnergy          7.00", {120, 50}},
    };
    for (const auto &c : cases) {
        t.live->PaintBox1MouseMove(c.at);
        ASSERT_NE(t.live->HintWindow(), nullptr) << c.text.toStdString();
        EXPECT_EQ(t.live->HintWindow()->property("HintText").toString(), c.text);
        EXPECT_EQ(t.live->HintWindow()->size(), c.size);
        t.sched.advance(1000);
    }
}

TEST(LiveHints, UnitSymbolListsItsFirstTenAnalogPoints)
{
    Live t;
    t.rt->model().stations[0].units[0].yc[9].value = 12.5;
    TfrFtuView ftu;
    ftu.BindStation = 1, ftu.BindUnit = 1;
    const PictureRuntime::Hint h = t.live->HintFor(ftu);
    EXPECT_TRUE(h.text.startsWith("Intake\r\rLevel0   0.00\r"));
    EXPECT_TRUE(h.text.endsWith("Level9  12.50\r"));
    EXPECT_EQ(h.text.count('\r'), 12);
    EXPECT_EQ(h.size, QSize(120, 180));
    ftu.BindUnit = 3;
    EXPECT_TRUE(t.live->HintFor(ftu).text.isEmpty());
}

TEST(LivePaint, InstrumentsAndGifsAreLeftToTheirControls)
{
    Live t;
    int painted = 0;
    TfrIoCompView::SetInstrumentPainter([&](QPainter &, const TfrIoCompView &, const QRect &) { ++painted; });
    PictureDocument doc;
    instrument(doc, 10, 0, 0, 1, 1);
    add<TfrMemoView>(doc, gtMemo, 100, 0, 50, 20)->Lines = QStringList{"x"};
    t.load(doc);
    t.picture->PaintBox1()->resize(300, 100);
    const QImage shot = t.picture->PaintBox1()->grab().toImage();
    EXPECT_EQ(painted, 0);
    EXPECT_FALSE(shot.isNull());
    // the standalone painter draws an instrument object with its control's look
    InstallInstrumentPainter();
    QImage img(60, 60, QImage::Format_ARGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    TfrIoCompView led;
    led.InstrumentKind = 10;
    led.Left = 0, led.Top = 0, led.Width = 60, led.Height = 60;
    led.Instrument = {{"Active", true}, {"ActiveColor", 0x0000FF}}; // red
    led.Paint(p);
    p.end();
    EXPECT_GT(qRed(img.pixel(30, 30)), 150);
    EXPECT_LT(qGreen(img.pixel(30, 30)), 150);
    TfrIoCompView::SetInstrumentPainter({});
}

namespace {
struct Probe : TfrView {
    Probe(uint8_t code, QStringList *log, bool fails) : TfrView(code, "Probe"), log(log), fails(fails)
    {
        Width = Height = 10;
    }
    const char *ClassName() const override { return "Probe"; }
    void Paint(QPainter &) override
    {
        *log << QString::number(Left);
        if (fails)
            throw EConvertError("bad value");
    }
    QStringList *log;
    bool fails;
};
} // namespace

TEST(LivePaint, AFailingObjectIsReportedAndTheRestArePainted)
{
    QStringList painted;
    QList<int> failed;
    ObjectList objects;
    auto probe = [&](uint8_t code, int left, bool fails) {
        objects.push_back(std::make_unique<Probe>(code, &painted, fails));
        objects.back()->Left = left;
    };
    probe(gtMemo, 0, false);
    probe(gtYx, 1, true);
    probe(gtGif, 2, false);
    probe(gtIoComp, 3, false);
    probe(gtMemo, 4, true);
    probe(gtFtu, 5, false);
    probe(gtMemo, 500, false); // outside the exposed area
    QImage img(100, 100, QImage::Format_ARGB32);
    QPainter p(&img);
    PaintObjects(p, objects, QRegion(0, 0, 100, 100), [&](int i) { failed << i; });
    EXPECT_EQ(painted, (QStringList{"0", "1", "4", "5"}));
    EXPECT_EQ(failed, (QList<int>{1, 4}));
}

TEST(Instruments, EveryKindDrawsAtAnySizeAndKeepsItsSettings)
{
    for (int kind = 0; kind < 12; ++kind) {
        std::unique_ptr<TiInstrument> w(CreateInstrument(kind));
        ASSERT_NE(w, nullptr) << kind;
        EXPECT_EQ(w->objectName(), InstrumentClassName(kind));
        EXPECT_EQ(w->OPCItemCount(), 0);
        for (QSize size : {QSize(200, 160), QSize(12, 9)}) {
            w->resize(size);
            const QImage img = w->grab().toImage();
            EXPECT_EQ(img.size(), size) << kind;
        }
        w->setPositionMax(50);
        w->setPosition(20);
        w->SetLook("PointerColor", 0x00FF00);
        w->SetLook("Title", "bar");
        w->setUnitsText(" m3");
        w->resize(90, 70);
        // through the object's settings block in a picture file
        PictureDocument doc;
        auto *o = doc.AddAs<TfrIoCompView>(gtIoComp);
        o->InstrumentKind = uint16_t(kind);
        o->Instrument = w->Settings();
        const PictureDocument back = ReadPicture(WritePicture(doc));
        std::unique_ptr<TiInstrument> r(CreateInstrument(static_cast<const TfrIoCompView &>(*back.Objects[0])));
        EXPECT_EQ(r->Position(), 20) << kind;
        EXPECT_EQ(r->PositionMax(), 50);
        EXPECT_EQ(r->UnitsText(), " m3");
        EXPECT_EQ(r->LookColor("PointerColor", Qt::black), QColor(0, 255, 0));
        EXPECT_EQ(r->LookText("Title", ""), "bar");
    }
    EXPECT_EQ(CreateInstrument(12), nullptr);
    // stored XY points are plotted; a malformed pair is skipped
    TiXYPlot plot;
    plot.ApplySettings({{"Points", QVariantList{QVariantList{1, 2}, QVariantList{3, "x"}, QVariantList{4}, QVariantList{5, 6}}}});
    EXPECT_EQ(plot.PointCount(), 2);
}

TEST(Instruments, KnobFollowsTheMouseAndReportsTheEnd)
{
    TiKnob knob;
    knob.resize(100, 120);
    knob.setPositionMin(0);
    knob.setPositionMax(10);
    QList<double> changes, finished;
    QObject::connect(&knob, &TiInstrument::positionChanged, [&](double v) { changes << v; });
    QObject::connect(&knob, &TiInstrument::positionChangeFinished, [&](double v) { finished << v; });
    const QPointF c = QRectF(0, 0, 100, 120).center(); // no position display: the dial fills the control
    // straight up is the middle of the 270 degree sweep
    EXPECT_NEAR(knob.PositionAt(QPoint(int(c.x()), 5)), 5, 0.2);
    EXPECT_NEAR(knob.PositionAt(QPoint(95, int(c.y()))), 8.33, 0.2);
    QTest::mousePress(&knob, Qt::LeftButton, {}, QPoint(10, 50));
    QMouseEvent move(QEvent::MouseMove, QPointF(int(c.x()), 5), knob.mapToGlobal(QPointF(int(c.x()), 5)),
                     Qt::NoButton, Qt::LeftButton, {});
    QApplication::sendEvent(&knob, &move);
    QTest::mouseRelease(&knob, Qt::LeftButton, {}, QPoint(int(c.x()), 5));
    ASSERT_FALSE(changes.isEmpty());
    ASSERT_EQ(finished.size(), 1);
    EXPECT_NEAR(finished[0], 5, 0.2);
    EXPECT_NEAR(knob.Position(), 5, 0.2);
    // a click without a turn finishes nothing
    QTest::mouseClick(&knob, Qt::LeftButton, {}, QPoint(50, 50));
    EXPECT_EQ(finished.size(), 1);
}
