#include "pictures/ui/PictureRuntime.h"

#include "acquisition/BlockProgram.h"
#include "acquisition/RemoteControl.h"
#include "pictures/PictureObjects.h"
#include "pictures/instruments/Instruments.h"
#include "pictures/ui/LivePicture.h"
#include "platform/TimerService.h"

#include <QAction>
#include <QCursor>
#include <QLabel>
#include <QMenu>
#include <QScrollArea>
#include <cmath>

namespace scada {

namespace {
const QString kTimer3 = QStringLiteral("Timer3");
const QChar CR(13);

QString f72(double v) { return QString::asprintf("%7.2f", v); }

QAction *addItem(QMenu *menu, const char *objectName, const QString &text)
{
    QAction *a = menu->addAction(text);
    a->setObjectName(QLatin1String(objectName));
    return a;
}

QRect objectRect(const TfrView &o) { return o.ClipRegion(true).boundingRect().adjusted(-1, -1, 1, 1); }
} // namespace

double TimeFactor(double timeUnit)
{
    if (timeUnit == 1)
        return 36;
    if (timeUnit == 2)
        return 0.6;
    if (timeUnit == 4)
        return 0.01;
    return 0;
}

PictureRuntime::PictureRuntime(PictureRuntimeEnvironment env, QObject *parent) : QObject(parent), m_env(std::move(env))
{
    if (m_env.timers)
        m_env.timers->define(kTimer3, 1000, [this] { Timer3Timer(); });
    buildMenus();
}

PictureRuntime::~PictureRuntime()
{
    delete m_hint.data();
    delete m_knobDisplay.data();
    for (QMenu *m : {m_popupYx.data(), m_popupYm.data(), m_popupYc.data(), m_popupFtu.data()})
        delete m;
}

void PictureRuntime::buildMenus()
{
    m_popupYx = new QMenu(m_env.window);
    m_popupYx->setObjectName(QStringLiteral("PopupYx"));
    QAction *control = addItem(m_popupYx, "YxYaoKong", QStringLiteral("Control"));
    addItem(m_popupYx, "YxGuaPai", QStringLiteral("Mark"));
    m_popupYx->addSeparator();
    QAction *yxProp = addItem(m_popupYx, "PopYxShuXin", QStringLiteral("Property"));
    connect(control, &QAction::triggered, this, [this] {
        // switches the selected digital point to the opposite of its state,
        // as a rotary switch on that point would
        if (m_control)
            m_control->ControlPointClick(m_sel.station, m_sel.unit, m_sel.point);
    });
    connect(yxProp, &QAction::triggered, this, &PictureRuntime::digitalPropertyRequested);

    m_popupYm = new QMenu(m_env.window);
    m_popupYm->setObjectName(QStringLiteral("PopupYm"));
    connect(addItem(m_popupYm, "PopYmProperty", QStringLiteral("Property")), &QAction::triggered, this,
            &PictureRuntime::pulsePropertyRequested);

    m_popupYc = new QMenu(m_env.window);
    m_popupYc->setObjectName(QStringLiteral("PopupYc"));
    connect(addItem(m_popupYc, "YcShuXing", QStringLiteral("Property")), &QAction::triggered, this,
            &PictureRuntime::analogPropertyRequested);

    m_popupFtu = new QMenu(m_env.window);
    m_popupFtu->setObjectName(QStringLiteral("PopupFtu"));
    connect(addItem(m_popupFtu, "PopBiaoDan", QStringLiteral("Table")), &QAction::triggered, this,
            &PictureRuntime::unitTableRequested);
    addItem(m_popupFtu, "PopQuXian", QStringLiteral("Line"));
    addItem(m_popupFtu, "PopBangTu", QStringLiteral("Bar"));
    m_popupFtu->addSeparator();
    addItem(m_popupFtu, "BiJiaoSheZhi", QStringLiteral("Compare"))->setEnabled(false);
    m_popupFtu->addSeparator();
    connect(addItem(m_popupFtu, "PopYcShuXin", QStringLiteral("Property")), &QAction::triggered, this,
            &PictureRuntime::unitPropertyRequested);
}

void PictureRuntime::attach(LivePicture &picture)
{
    m_picture = &picture;
    PictureSurface *surface = picture.PaintBox1();
    surface->setMouseTracking(true);
    connect(surface, &PictureSurface::moved, this, &PictureRuntime::PaintBox1MouseMove);
    connect(surface, &PictureSurface::pressed, this, &PictureRuntime::PaintBox1MouseDown);
    connect(&picture, &LivePicture::pictureLoaded, this, &PictureRuntime::pictureLoaded);
}

void PictureRuntime::setBlockProgram(BlockProgram *program)
{
    if (m_blocks)
        disconnect(m_blocks, nullptr, this, nullptr);
    m_blocks = program;
    if (!program)
        return;
    connect(program, &BlockProgram::blockValueShown, this, [this](int reference, double value, const QString &units) {
        for (TiInstrument *w : Controls())
            if (w->Kind() == 11 && w->Tag() == reference) {
                w->setValue(value);
                w->setUnitsText(units);
            }
    });
}

void PictureRuntime::pictureLoaded()
{
    m_controls.clear();
    if (!m_picture)
        return;
    const ObjectList &objects = m_picture->Objects();
    m_controls.resize(objects.size());
    for (size_t i = 0; i < objects.size(); ++i)
        if (auto it = m_made.constFind(objects[i].get()); it != m_made.constEnd())
            m_controls[i] = it.value();
    m_made.clear();
}

TiInstrument *PictureRuntime::Control(int i) const
{
    return i >= 0 && size_t(i) < m_controls.size() ? m_controls[size_t(i)].data() : nullptr;
}

QList<TiInstrument *> PictureRuntime::Controls() const
{
    QList<TiInstrument *> out;
    for (const auto &c : m_controls)
        if (c)
            out << c.data();
    return out;
}

// ---- bindings ----------------------------------------------------------------

const TFtuRec *PictureRuntime::unitOf(const TfrView &o) const
{
    const PointModel *pm = m_env.points;
    if (!pm)
        return nullptr;
    const int s = int(o.BindStation) - 1, u = int(o.BindUnit) - 1;
    if (s < 0 || s >= pm->stationCount || size_t(s) >= pm->stations.size())
        return nullptr;
    const auto &units = pm->stations[size_t(s)].units;
    if (u < 0 || size_t(u) >= units.size())
        return nullptr;
    return &units[size_t(u)];
}

bool PictureRuntime::validBinding(const TfrView &o) const { return unitOf(o) != nullptr; }

const TBlockRec *PictureRuntime::block(int unitIndex, int position) const
{
    const PointModel *pm = m_env.points;
    if (!pm || unitIndex < 0 || size_t(unitIndex) >= pm->blocks.size())
        return nullptr;
    const TBlocks &list = pm->blocks[size_t(unitIndex)];
    if (position < 0 || size_t(position) >= list.size())
        return nullptr;
    return &list[size_t(position)];
}

// ---- instrument set-up -----------------------------------------------------------

TiInstrument *PictureRuntime::SetUpInstrument(TfrIoCompView &obj, QWidget *surface)
{
    if (!obj.HasInstrument)
        return nullptr;
    TiInstrument *w = CreateInstrument(obj, surface);
    if (!w)
        return nullptr;
    w->move(obj.Left, obj.Top);
    w->show();
    const int reference = EncodeReference(obj.BindStation - 1, obj.BindUnit - 1, obj.BindPoint - 1);
    QPointer<TiInstrument> guard(w);
    switch (obj.InstrumentKind) {
    case 0:
    case 1: {
        const int kind = obj.InstrumentKind;
        connect(w, &TiInstrument::clicked, this, [this, guard, kind] {
            if (guard && m_control)
                m_control->iSwitchKindClick(guard->Tag(), kind, guard->Active());
        });
        connect(w, &TiInstrument::mouseDown, this, [this, guard] {
            if (guard && m_control)
                m_control->iSwitchKindMouseDown(guard->Tag());
        });
        connect(w, &TiInstrument::mouseUp, this, [this, guard] {
            if (guard && m_control)
                m_control->iSwitchKindMouseUp(guard->Tag());
        });
        w->setTag(reference);
        break;
    }
    case 3:
        connect(w, &TiInstrument::positionChangeFinished, this, [this, guard] { knobFinished(guard); });
        connect(w, &TiInstrument::positionChanged, this, [this, guard] {
            if (guard && guard->property("operated").toBool())
                knobChanging(guard);
        });
        connect(w, &TiInstrument::mouseDown, this, [this, guard] {
            if (!guard)
                return;
            guard->setProperty("operated", true);
            if (m_control)
                m_control->iKnob1MouseDown(guard->Position());
        });
        connect(w, &TiInstrument::mouseUp, this, [guard] {
            if (guard)
                guard->setProperty("operated", false);
        });
        w->setShowPostionDisplay(true);
        w->setTag(reference);
        scaleKnob(*w, obj);
        break;
    case 9:
        w->setSectionCount(1);
        w->setSegmentDirection(idRight);
        w->setSectionEnd2((w->Tag() - 1) & 0xFF);
        w->setTag(reference);
        scaleLedBar(*w, obj.BindUnit - 1);
        break;
    case 11:
        connect(w, &TiInstrument::mouseDown, this, [this, guard] {
            if (guard && m_blocks)
                m_blocks->ReadSingleBlock(guard->Tag());
        });
        connect(w, &TiInstrument::mouseUp, this, [guard] {
            if (guard)
                guard->setBorderStyle(ibsLowered);
        });
        w->setBorderStyle(ibsRaised);
        w->setTag(reference);
        scaleAnalogDisplay(*w, obj);
        break;
    default:
        break;
    }
    m_made.insert(&obj, w);
    return w;
}

void PictureRuntime::scaleKnob(TiInstrument &w, const TfrIoCompView &obj)
{
    const TBlockRec *b = block(obj.BindUnit - 1, obj.BindPoint - 1);
    if (!b) // no such block: the knob keeps its stored range and shows no value
        return;
    double top = 99.99;
    if (b->type == kComparatorBlock)
        top = 10;
    else if (IsCounterBlock(b->type))
        top = 999999;
    if (w.PositionMax() > top)
        w.setPositionMax(top);
    if (w.PositionMin() < 0)
        w.setPositionMin(0);
    const int decimals = KnobDecimals(b->type);
    w.setTickLabelPrecision(decimals);
    w.setPositionDisplayPrecision(decimals);
    w.setPosition(KnobSetupFor(*b).position);
}

void PictureRuntime::scaleAnalogDisplay(TiInstrument &w, const TfrIoCompView &obj)
{
    const TBlockRec *b = block(obj.BindUnit - 1, obj.BindPoint - 1);
    if (!b)
        return;
    const BlockDisplay d = BlockDisplayValue(*b);
    w.setPrecision(KnobDecimals(b->type));
    w.setValue(d.value);
    w.setUnitsText(d.units);
}

void PictureRuntime::scaleLedBar(TiInstrument &w, int unitIndex)
{
    const TBlockRec *b = block(unitIndex, int(std::lround(w.SectionEnd2())) & 0xFF);
    if (!b) { // no block chosen or beyond the list: unscaled and empty
        w.setPositionMax(0);
        w.setPosition(0);
        return;
    }
    const double factor = TimeFactor(b->timeUnit);
    if (factor > 0)
        w.setPositionMax(b->parameter * factor);
}

void PictureRuntime::knobChanging(TiInstrument *knob)
{
    if (!knob || !m_control)
        return;
    const RemoteControl::KnobDisplay d = m_control->iIoCompKnobPositionChange(knob->Tag(), knob->Position());
    if (!m_knobDisplay) {
        m_knobDisplay = new TiSevenSegmentAnalog(knob->parentWidget());
        m_knobDisplay->setObjectName(QStringLiteral("KnobValueDisplay"));
        m_knobDisplay->resize(100, 34);
        connect(m_control, &RemoteControl::knobDisplayHidden, m_knobDisplay.data(), &QWidget::hide,
                Qt::UniqueConnection);
    }
    if (m_knobDisplay->parentWidget() != knob->parentWidget())
        m_knobDisplay->setParent(knob->parentWidget());
    m_knobDisplay->setPrecision(d.decimals);
    m_knobDisplay->setValue(knob->Position());
    m_knobDisplay->move(knob->x(), knob->y() - 40);
    m_knobDisplay->show();
    m_knobDisplay->raise();
}

void PictureRuntime::knobFinished(TiInstrument *knob)
{
    if (!knob)
        return;
    knob->setProperty("operated", false);
    if (m_picture && m_picture->PaintBox1())
        m_picture->PaintBox1()->setFocus();
    if (!m_control)
        return;
    if (!m_control->iIoCompKnobPositionChangeFinished(knob->Tag(), knob->Position())) {
        knob->setPosition(m_control->knobDownPosition());
        if (m_knobDisplay)
            m_knobDisplay->hide();
    }
}

// ---- refresh pass ----------------------------------------------------------------

void PictureRuntime::refreshInstrument(TiInstrument &w, const TfrIoCompView &obj, const TFtuRec &unit, int unitIndex)
{
    const int p = obj.BindPoint - 1;
    switch (obj.InstrumentKind) {
    case 0:
        if (!unit.switchHeld)
            w.setActive(unit.yx.at(size_t(p)).state);
        break;
    case 1:
        if (!unit.switchHeld)
            w.setPosition(unit.yx.at(size_t(p)).state ? 1 : 0);
        break;
    case 2:
    case 4:
    case 7:
        w.setPosition(unit.yc.at(size_t(p)).value);
        break;
    case 5:
    case 6:
        w.setValue(unit.yc.at(size_t(p)).value);
        break;
    case 9: {
        if (!unit.yx.at(size_t(p)).state)
            break;
        const TBlockRec *b = block(unitIndex, int(std::lround(w.SectionEnd2())) & 0xFF);
        if (!b)
            break; // unscaled: stays empty
        const double factor = TimeFactor(b->timeUnit);
        if (factor > 0)
            w.setPositionMax(b->parameter * factor);
        if (w.PositionMax() >= w.Position() && m_env.clock)
            w.setPosition((m_env.clock->tickMs() - w.SectionEnd1()) / 1000.0);
        break;
    }
    default:
        break;
    }
}

void PictureRuntime::RefreshPicture(int unit)
{
    m_lastRepaints = 0;
    if (!m_picture)
        return;
    m_picture->RefreshGifControls();
    m_picture->RefreshCharts(unit);
    if (m_env.designerBusy && m_env.designerBusy())
        return;
    QRegion dirty;
    const ObjectList &objects = m_picture->Objects();
    try {
        for (size_t i = 0; i < objects.size(); ++i) {
            TfrView *o = objects[i].get();
            if (!o)
                continue;
            const TFtuRec *u = unitOf(*o);
            if (!u)
                continue;
            const int p = o->BindPoint - 1;
            bool changed = false;
            switch (o->TypeCode) {
            case gtIoComp: {
                TiInstrument *w = Control(int(i));
                if (!w || w->OPCItemCount() > 0)
                    break;
                refreshInstrument(*w, static_cast<const TfrIoCompView &>(*o), *u, o->BindUnit - 1);
                break; // the control repaints itself when a property changes
            }
            case gtMemo: {
                auto *m = static_cast<TfrMemoView *>(o);
                if (m->LampMode != 1)
                    break;
                const QString text = f72(u->yc.at(size_t(p)).value);
                m->LampOn = false;
                if (m->Lines.isEmpty())
                    m->Lines << text, changed = true;
                else if (m->Lines.first() != text)
                    m->Lines.first() = text, changed = true;
                break;
            }
            case gtYx: {
                auto *y = static_cast<TfrYxView *>(o);
                const int state = u->yx.at(size_t(p)).state ? 1 : 0;
                changed = y->State != state;
                y->State = state;
                break;
            }
            case gtYm: {
                const QString text = QString::asprintf("%15.2f", u->ym.at(size_t(p)).value);
                if (o->Lines.isEmpty())
                    o->Lines << text, changed = true;
                else if (o->Lines.first() != text)
                    o->Lines.first() = text, changed = true;
                break;
            }
            case gtFtu: {
                if (u->mark < 1)
                    break;
                auto *f = static_cast<TfrFtuView *>(o);
                const int state = u->yx[11].state ? 2 : 1;
                changed = f->UnitState != state;
                f->UnitState = state;
                break;
            }
            default:
                break;
            }
            if (changed) {
                dirty += objectRect(*o);
                ++m_lastRepaints;
            }
        }
    } catch (const std::exception &) {
        // the pass ends here; the next reply starts a new one
    }
    if (!dirty.isEmpty() && m_picture->PaintBox1())
        m_picture->PaintBox1()->update(dirty);
}

void PictureRuntime::NotifyEventInstruments(int station, int unit, int point)
{
    if (!m_picture || !m_env.points)
        return;
    const ObjectList &objects = m_picture->Objects();
    for (size_t i = 0; i < objects.size(); ++i) {
        const TfrView *o = objects[i].get();
        if (!o || o->TypeCode != gtIoComp || static_cast<const TfrIoCompView *>(o)->InstrumentKind != 9)
            continue;
        if (o->BindStation - 1 != station || o->BindUnit - 1 != unit || o->BindPoint - 1 != point)
            continue;
        TiInstrument *w = Control(int(i));
        const TFtuRec *u = unitOf(*o);
        if (!w || !u || point < 0 || point >= kDigitalSlots)
            continue;
        w->setPosition(0);
        if (u->yx[size_t(point)].state && m_env.clock)
            w->setSectionEnd1(double(m_env.clock->tickMs()));
    }
}

// ---- hints --------------------------------------------------------------------------

PictureRuntime::Hint PictureRuntime::HintFor(const TfrView &o) const
{
    Hint h;
    if (auto *hot = dynamic_cast<const TfrHotView *>(&o)) {
        h.text = hot->TargetPicture;
        h.size = QSize(8 * int(h.text.size()), 20);
        return h;
    }
    const TFtuRec *u = unitOf(o);
    if (!u)
        return h;
    const int p = o.BindPoint - 1;
    auto checked = [](int i, int n) {
        if (i < 0 || i >= n)
            throw std::out_of_range("point");
        return size_t(i);
    };
    try {
        switch (o.TypeCode) {
        case gtMemo:
            if (static_cast<const TfrMemoView &>(o).LampMode != 1)
                break;
            {
                const TYcRec &yc = u->yc[checked(p, kAnalogSlots)];
                h.text = u->name + CR + CR + yc.name + f72(yc.value);
                h.size = QSize(120, 50);
            }
            break;
        case gtYx:
            h.text = u->name + CR + CR + u->yx[checked(p, kDigitalSlots)].name;
            h.size = QSize(80, 50);
            break;
        case gtFtu:
            h.text = u->name + CR + CR;
            for (int i = 0; i < 10; ++i)
                h.text += u->yc[size_t(i)].name + f72(u->yc[size_t(i)].value) + CR;
            h.size = QSize(120, 180);
            break;
        case gtYm: {
            const TYmRec &ym = u->ym[checked(p, kPulseSlots)];
            h.text = u->name + CR + CR + ym.name + QString::asprintf("%14.2f", ym.value);
            h.size = QSize(120, 50);
            break;
        }
        default:
            break;
        }
    } catch (const std::out_of_range &) {
        h = Hint{}; // a point the unit does not have: no hint
    }
    return h;
}

void PictureRuntime::showHint(const Hint &h, const QPoint &pos)
{
    delete m_hint.data();
    QWidget *surface = m_picture ? m_picture->PaintBox1() : nullptr;
    auto *label = new QLabel(m_env.window, Qt::ToolTip | Qt::FramelessWindowHint);
    label->setObjectName(QStringLiteral("HintWindow"));
    QString shown = h.text;
    shown.replace(CR, QLatin1Char('\n'));
    label->setText(shown);
    label->setProperty("HintText", h.text);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setAutoFillBackground(true);
    QPalette pal = label->palette();
    pal.setColor(QPalette::Window, toQColor(0xB5FDD7));
    pal.setColor(QPalette::WindowText, Qt::black);
    label->setPalette(pal);
    label->setMargin(2);
    label->setFrameShape(QFrame::Box);
    label->setGeometry(QRect(surface ? surface->mapToGlobal(pos) : pos, h.size));
    label->show();
    m_hint = label;
}

void PictureRuntime::PaintBox1MouseMove(const QPoint &pos)
{
    if (!m_picture || m_picture->Objects().empty())
        return;
    if (m_env.stationLoaded && !m_env.stationLoaded())
        return;
    QWidget *surface = m_picture->PaintBox1();
    const ObjectList &objects = m_picture->Objects();
    for (size_t i = 0; i < objects.size(); ++i) {
        const TfrView *o = objects[i].get();
        if (!o || !o->Contains(pos))
            continue;
        if (!m_hintShowing) {
            const Hint h = HintFor(*o);
            if (!h.size.isEmpty() || (o->TypeCode == gtHot)) {
                showHint(h, pos);
                m_hintShowing = true;
                if (m_env.timers)
                    m_env.timers->start(kTimer3);
                if (o->TypeCode == gtMemo || o->TypeCode == gtYx || o->TypeCode == gtYm || o->TypeCode == gtFtu) {
                    m_sel.station = uint16_t(o->BindStation - 1);
                    m_sel.unit = uint16_t(o->BindUnit - 1);
                    if (o->TypeCode != gtFtu)
                        m_sel.point = uint16_t(o->BindPoint - 1);
                }
            }
        }
        if (surface)
            surface->setCursor(o->TypeCode == gtHot ? Qt::PointingHandCursor : Qt::ArrowCursor);
    }
}

void PictureRuntime::Timer3Timer()
{
    delete m_hint.data();
    if (m_env.timers)
        m_env.timers->stop(kTimer3);
    m_hintShowing = false;
}

// ---- mouse press and menus ---------------------------------------------------------

void PictureRuntime::openMenu(QMenu *menu, const QPoint &globalPos)
{
    if (!menu)
        return;
    if (m_env.openMenu)
        m_env.openMenu(menu, globalPos);
    else
        menu->exec(globalPos);
}

void PictureRuntime::PaintBox1MouseDown(const QPoint &pos, Qt::MouseButton button)
{
    if (!m_picture)
        return;
    QWidget *surface = m_picture->PaintBox1();
    for (QWidget *w = surface; w; w = w->parentWidget())
        if (auto *scroll = qobject_cast<QScrollArea *>(w)) {
            scroll->setFocus();
            break;
        }
    if (button != Qt::RightButton) // left presses on hot spots are the picture's own
        return;
    if (m_picture->Objects().empty() || (m_env.stationLoaded && !m_env.stationLoaded()))
        return;
    // the menus to open, decided before any opens: an item's action may
    // change the picture
    struct Pending {
        QMenu *menu;
        PictureSelection sel;
    };
    QList<Pending> pending;
    const ObjectList &objects = m_picture->Objects();
    for (size_t i = 0; i < objects.size(); ++i) {
        const TfrView *o = objects[i].get();
        if (!o || !o->Contains(pos))
            continue;
        QMenu *menu = nullptr;
        if (o->TypeCode == gtYx)
            menu = m_popupYx;
        else if (o->TypeCode == gtYm)
            menu = m_popupYm;
        else if (o->TypeCode == gtMemo && static_cast<const TfrMemoView *>(o)->LampMode == 1)
            menu = m_popupYc;
        else if (o->TypeCode == gtFtu)
            menu = m_popupFtu;
        if (!menu || !validBinding(*o))
            continue;
        PictureSelection sel;
        sel.station = uint16_t(o->BindStation - 1);
        sel.unit = uint16_t(o->BindUnit - 1);
        sel.point = uint16_t(o->BindPoint - 1);
        sel.object = uint16_t(i);
        pending << Pending{menu, sel};
    }
    const QPoint global = surface ? surface->mapToGlobal(pos) : pos;
    for (const Pending &p : pending) {
        m_sel = p.sel;
        if (p.menu == m_popupYx)
            if (QAction *control = m_popupYx->findChild<QAction *>(QStringLiteral("YxYaoKong")))
                control->setEnabled(m_env.loggedIn && m_env.loggedIn());
        openMenu(p.menu, global);
    }
}

} // namespace scada
