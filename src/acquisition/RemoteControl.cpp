#include "acquisition/RemoteControl.h"

#include "acquisition/StationRuntime.h"
#include "platform/Prompt.h"
#include "platform/TimerService.h"

#include <QMetaObject>

#include <algorithm>
#include <cfenv>
#include <cmath>

namespace scada {

namespace {
const QString kTimer4 = QStringLiteral("Timer4");
const QString kTimer6 = QStringLiteral("Timer6");

// Nearest integer, halves to even, saturated to the 32-bit range.
int32_t roundEven(double v)
{
    if (!std::isfinite(v))
        return 0;
    const int saved = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const double r = std::nearbyint(v);
    std::fesetround(saved);
    return int32_t(std::clamp(r, -2147483648.0, 2147483647.0));
}
} // namespace

bool IsTimerBlock(int type)
{
    return type == 7 || type == 8 || type == 9 || type == 11 || type == 12;
}

bool IsCounterBlock(int type)
{
    return type == 14 || type == 15;
}

// ------------------------------------------------------------ password --

void PasswordCheck::reset()
{
    m_attempts = 0;
    m_mayClose = false;
}

PasswordCheck::Result PasswordCheck::submit(const QString &typed, Prompt &prompt)
{
    ++m_attempts;
    if (typed == m_password) {
        m_mayClose = true;
        return Result::Accepted;
    }
    prompt.information(QStringLiteral("Password is invalid !"));
    m_mayClose = false;
    if (m_attempts == 2)
        prompt.information(QStringLiteral("You have only once !"));
    if (m_attempts >= 3) {
        prompt.information(QStringLiteral("You have no chance !"));
        m_mayClose = true; // closes through Close
        return Result::Exhausted;
    }
    return Result::Invalid;
}

// ------------------------------------------------------------- helpers --

int FirstOutputPoint(const TFtuRec &unit)
{
    return unit.size == 1 ? 12 : 6;
}

std::optional<Frame> BuildControlFrame(const TFtuRec &unit, int point)
{
    const int first = FirstOutputPoint(unit);
    if (point < first || point >= unit.channels())
        return std::nullopt;
    const uint8_t bit = uint8_t(1u << (point - first));
    const bool on = unit.yx[size_t(point)].state;
    return BuildSwitchFrame(unit.address, bit, on ? 0 : bit);
}

int KnobDecimals(int blockType)
{
    if (IsCounterBlock(blockType))
        return 0;
    if (blockType == kComparatorBlock)
        return 1;
    return 2;
}

KnobSetup KnobSetupFor(const TBlockRec &block)
{
    KnobSetup s;
    s.decimals = KnobDecimals(block.type);
    if (block.type == kComparatorBlock) {
        s.maximum = 10;
        s.position = block.parameter / 10.0;
    } else if (IsCounterBlock(block.type)) {
        s.maximum = 999999;
        s.position = block.parameter;
    } else {
        s.maximum = 99.99;
        s.position = block.parameter / 100.0;
    }
    return s;
}

std::optional<int32_t> KnobValueFor(int blockType, double position)
{
    if (IsTimerBlock(blockType))
        return roundEven(position * 100);
    if (IsCounterBlock(blockType))
        return roundEven(position);
    if (blockType == kComparatorBlock)
        return std::min(roundEven(position * 10), 100);
    return std::nullopt;
}

void PutTimerValue(Frame &record, int32_t value)
{
    const int v = int(uint32_t(value) & 0xFFFF);
    record[10] = ToBcd(v / 100);
    record[11] = ToBcd(v % 100);
}

void PutCounterValue(Frame &record, int32_t value)
{
    record[9] = ToBcd(value / 10000);
    record[10] = ToBcd((value % 10000) / 100);
    record[11] = ToBcd(value % 100);
}

bool PutComparatorValue(Frame &record, int32_t value)
{
    if (record[4] != kComparatorBlock)
        return false;
    auto threshold = [](uint8_t b) { return b == 0x00 || b == 0xFF; };
    int at = -1;
    if (threshold(record[5]))
        at = 10;
    else if (threshold(record[7]))
        at = 11;
    if (at < 0)
        return false;
    record[size_t(at)] = uint8_t(value & 0xFF);
    return true;
}

// -------------------------------------------------------- RemoteControl --

RemoteControl::RemoteControl(StationRuntime &rt, TimerService &timers, Clock &clock, Prompt &prompt,
                             QObject *parent)
    : QObject(parent), m_rt(rt), m_timers(timers), m_clock(clock), m_prompt(prompt)
{
    m_rt.hooks.paramReply = [this](const Frame &f) { HandleParamReply(f); };
    m_rt.hooks.blockRecordWhilePolling = [this](const Frame &f) { HandleRecordWhilePolling(f); };
}

RemoteControl::~RemoteControl()
{
    m_rt.hooks.paramReply = nullptr;
    m_rt.hooks.blockRecordWhilePolling = nullptr;
}

bool RemoteControl::select(int reference)
{
    if (reference < 0)
        return false;
    const PointRef r = DecodeReference(reference);
    return select(r.station, r.unit, r.item);
}

bool RemoteControl::select(int station, int unit, int item)
{
    if (station < 0 || unit < 0 || item < 0 || station > 0xFFFF || unit > 0xFFFF || item > 0xFFFF)
        return false;
    m_sel.station = uint16_t(station);
    m_sel.unit = uint16_t(unit);
    m_sel.item = uint16_t(item);
    return selectedUnit() != nullptr;
}

TFtuRec *RemoteControl::selectedUnit()
{
    // The model holds one station.
    auto *units = m_rt.model().units();
    if (m_sel.station != 0 || !units || m_sel.unit >= units->size())
        return nullptr;
    return &(*units)[m_sel.unit];
}

TBlockRec *RemoteControl::selectedBlock()
{
    if (!selectedUnit())
        return nullptr;
    auto &lists = m_rt.model().blocks;
    if (m_sel.unit >= lists.size() || m_sel.item >= lists[m_sel.unit].size())
        return nullptr;
    return &lists[m_sel.unit][m_sel.item];
}

uint8_t RemoteControl::selectedAddress()
{
    const TFtuRec *u = selectedUnit();
    return u ? u->address : 0;
}

// A block's record lives at its stored position, which differs from its
// list index once a block spans several records.
int RemoteControl::selectedRecordPosition()
{
    const TBlockRec *b = selectedBlock();
    return b ? b->position : m_sel.item;
}

// ------------------------------------------------------------- switch --

bool RemoteControl::iSwitchKindClick(int reference, int kind, bool active)
{
    if (!select(reference))
        return false;
    return YxYaoKongClick(kind, active);
}

void RemoteControl::iSwitchKindMouseDown(int reference)
{
    if (select(reference))
        selectedUnit()->switchHeld = true;
}

void RemoteControl::iSwitchKindMouseUp(int reference)
{
    if (select(reference))
        selectedUnit()->switchHeld = false;
}

bool RemoteControl::ControlPointClick(int station, int unit, int point)
{
    if (!select(station, unit, point))
        return false;
    return YxYaoKongClick(InstrumentKind::Rotary, false);
}

bool RemoteControl::YxYaoKongClick(int kind, bool active)
{
    TFtuRec *u = selectedUnit();
    if (!u || m_sel.item >= kDigitalSlots)
        return false;
    TYxRec &p = u->yx[m_sel.item];
    if (kind == InstrumentKind::Rocker)
        p.state = active;
    else if (kind != InstrumentKind::Rotary)
        return false;
    // Only an enabled output of the unit can be switched: a point below the
    // first output has no bit in the switch frame.
    if (!p.controlEnabled || !BuildControlFrame(*u, m_sel.item)) {
        m_prompt.information(QStringLiteral("Not a control point"));
        return false;
    }
    if (!m_passwordDialog || !m_passwordDialog(PasswordRequest{p.name, u->password, p.state}))
        return false;
    // The dialog may have run the event loop: the model can have been
    // reloaded meanwhile, so the unit and point are looked up again.
    u = selectedUnit();
    if (!u)
        return false;
    const std::optional<Frame> frame = BuildControlFrame(*u, m_sel.item);
    if (!frame)
        return false;
    m_timers.stop(kTimer4);
    m_rt.QueueControl(*frame);
    return true;
}

// -------------------------------------------------------- parameters --

RemoteControl::KnobDisplay RemoteControl::iIoCompKnobPositionChange(int reference, double value)
{
    select(reference);
    const TBlockRec *b = selectedBlock();
    KnobDisplay d;
    d.decimals = KnobDecimals(b ? b->type : 0);
    d.text = QString::number(value, 'f', d.decimals);
    return d;
}

bool RemoteControl::iIoCompKnobPositionChangeFinished(int reference, double position)
{
    if (ApplyKnobValue(reference, position))
        return true;
    emit knobDisplayHidden();
    m_rt.setMode(StationRuntime::ModePolling);
    m_timers.start(kTimer4);
    return false;
}

bool RemoteControl::ApplyKnobValue(int reference, double position)
{
    if (!m_prompt.yesNo(QStringLiteral("Are you sure ?")))
        return false;
    m_timers.stop(kTimer4);
    emit knobDisplayHidden();
    select(reference);
    TBlockRec *b = selectedBlock();
    if (!b)
        return false; // no block behind the knob: nothing to write
    if (const std::optional<int32_t> v = KnobValueFor(b->type, position)) {
        m_value = *v;
        if (b->type == kComparatorBlock) {
            if (b->timeUnit == 0)
                b->timeUnit = 1;
        } else {
            b->parameter = m_value;
        }
    }
    m_valueCopy = m_value;
    m_writePending = true;
    m_rt.setMode(StationRuntime::ModeParamWrite);
    ReadBlockParam();
    return true;
}

void RemoteControl::ReadBlockParam()
{
    const int pos = selectedRecordPosition();
    m_rt.SendFrame(BuildReadRecordFrame(selectedAddress(), pos, pos));
}

void RemoteControl::endWrite()
{
    m_writePending = false;
    m_timers.stop(kTimer6);
    m_timers.start(kTimer4);
    m_rt.setMode(StationRuntime::ModePolling);
}

void RemoteControl::HandleParamReply(const Frame &f)
{
    if (f[0] == kFrameStart && m_rt.lastSent()[2] == Cmd::WriteRecord) {
        // A record or data reply here answers an earlier request (a read
        // repeated while a poll reply was still on the line): the unit's
        // answer to the write is still to come.
        if (f[2] == Cmd::ReadRecord || f[2] == Cmd::ReadData)
            return;
        m_writePending = false;
        if (f[2] == Cmd::Ack)
            QMetaObject::invokeMethod(this, &RemoteControl::ParamWritten, Qt::QueuedConnection);
        else
            m_rt.InsertMessage(QStringLiteral("set data error"));
        m_rt.setMode(StationRuntime::ModePolling);
        m_timers.start(kTimer4);
        return;
    }
    if (f[0] == kFrameStart && f[2] == Cmd::ReadRecord) {
        writeByType(f[4], f);
        return;
    }
    ReadBlockParam();
}

void RemoteControl::HandleRecordWhilePolling(const Frame &f)
{
    // Only the record of a confirmed write that is still open is written
    // back: any other record would put the value into the wrong block.
    const TBlockRec *b = selectedBlock();
    const int address = (f[23] << 8) | f[24];
    if (b && m_writePending && address == RecordAddress(selectedRecordPosition()))
        writeByType(b->type, f);
}

void RemoteControl::writeByType(int type, const Frame &record)
{
    if (IsTimerBlock(type))
        WriteTimerParam(record);
    else if (IsCounterBlock(type))
        WriteCounterParam(record);
    else if (type == kComparatorBlock)
        WriteComparatorParam(record);
    else if (m_rt.mode() == StationRuntime::ModeParamWrite)
        endWrite(); // a record without a writable parameter ends the write
}

void RemoteControl::writeRecord(Frame record)
{
    m_rt.SendFrame(BuildWriteRecordFrame(record, selectedRecordPosition()));
}

void RemoteControl::WriteTimerParam(const Frame &record)
{
    Frame r = record;
    PutTimerValue(r, m_value);
    writeRecord(r);
}

void RemoteControl::WriteCounterParam(const Frame &record)
{
    Frame r = record;
    PutCounterValue(r, m_value);
    writeRecord(r);
}

void RemoteControl::WriteComparatorParam(const Frame &record)
{
    Frame r = record;
    if (!PutComparatorValue(r, m_value)) {
        endWrite();
        return;
    }
    writeRecord(r);
}

void RemoteControl::ParamWritten()
{
    m_rt.InsertMessage(QStringLiteral("set data ok"));
    emit parameterWritten();
    m_prompt.information(QStringLiteral("set data ok"));
}

// -------------------------------------------------------------- clock --

bool RemoteControl::SysSetTimeCmdExecute()
{
    if (!m_prompt.yesNo(QStringLiteral("Set all %1 time?").arg(m_unitWord)))
        return false;
    return m_rt.SendFrame(BuildSetClockFrame(m_clock.now()));
}

} // namespace scada
