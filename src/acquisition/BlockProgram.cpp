#include "acquisition/BlockProgram.h"

#include "acquisition/RemoteControl.h"
#include "acquisition/StationRuntime.h"
#include "common/Errors.h"
#include "platform/Prompt.h"
#include "platform/TimerService.h"

#include <QDir>
#include <QFile>
#include <QMetaObject>

namespace scada {

namespace {
const QString kTimer4 = QStringLiteral("Timer4");
const QString kTimer6 = QStringLiteral("Timer6");
constexpr uint8_t kEndOfProgram = 0xFF;
constexpr int kTimeClock = 16;

int bcdParameter(const Frame &r)
{
    return FromBcd(r[10]) * 100 + FromBcd(r[11]);
}
int counterParameter(const Frame &r)
{
    return FromBcd(r[9]) * 10000 + FromBcd(r[10]) * 100 + FromBcd(r[11]);
}
} // namespace

QString BlockTypeName(int code)
{
    static const char *const names[] = {
        "AND", "OR", "NOT", "XOR", "NAND", "NOR", "On Delay", "Off Delay", "Puls Shaping",
        "Step On/ Step Off Relays", "Blinker", "On delay", "RS relay", "Up counter", "Down counter",
        "Time Clock", "Analog comperator", "Telephone Generator", "Playing Block", "Recording Block"};
    if (code < 1 || code > 20)
        return QString();
    return QString::fromLatin1(names[code - 1]);
}

int SpanOfBlock(const QList<Frame> &records, int b)
{
    if (b < 0 || b >= records.size())
        return 1;
    if (records[b][4] != kTimeClock)
        return 1;
    int span = 1;
    for (qsizetype i = b + 1; i < records.size(); ++i)
        if (records[i][8] == records[b][8])
            ++span;
    return span;
}

std::vector<TAnalyzeResult> AnalyzeRecords(const QList<Frame> &records)
{
    std::vector<TAnalyzeResult> out;
    int b = 0;
    int number = 0;
    while (b < records.size()) {
        ++number;
        const Frame &r = records[b];
        TAnalyzeResult a;
        a.number = number;
        a.position = b;
        a.type = r[4];
        if (a.type == kComparatorBlock) {
            a.timeUnit = 0;
            a.parameter = r[11];
        } else if (IsCounterBlock(a.type)) {
            a.timeUnit = 0;
            a.parameter = counterParameter(r);
        } else {
            a.timeUnit = r[9];
            a.parameter = bcdParameter(r);
        }
        out.push_back(a);
        b += SpanOfBlock(records, b);
    }
    return out;
}

QString BlockListLine(const TAnalyzeResult &r)
{
    return QStringLiteral("B%1 [%2]").arg(r.number).arg(BlockTypeName(r.type));
}

BlockDisplay BlockDisplayValue(const TBlockRec &block)
{
    BlockDisplay d;
    if (IsCounterBlock(block.type)) {
        d.value = block.parameter;
    } else if (block.type == kComparatorBlock) {
        d.value = block.parameter / 10.0;
        d.units = QStringLiteral(" V");
    } else {
        d.value = block.parameter / 100.0;
        const int unit = int(block.timeUnit);
        if (unit == 1)
            d.units = QStringLiteral(" H");
        else if (unit == 2)
            d.units = QStringLiteral(" M");
        else if (unit == 4)
            d.units = QStringLiteral(" S");
    }
    return d;
}

// ------------------------------------------------------- BlockProgram --

BlockProgram::BlockProgram(StationRuntime &rt, RemoteControl &control, TimerService &timers, Prompt &prompt,
                           const QString &programDir, QObject *parent)
    : QObject(parent), m_rt(rt), m_control(control), m_timers(timers), m_prompt(prompt),
      m_programDir(programDir)
{
    m_rt.hooks.programReply = [this](const Frame &f) { HandleProgramReply(f); };
    m_rt.hooks.blockReply = [this](const Frame &f) { HandleBlockReply(f); };
    m_rt.hooks.programReadError = [this] { ReadError(); };
}

BlockProgram::~BlockProgram()
{
    m_rt.hooks.programReply = nullptr;
    m_rt.hooks.blockReply = nullptr;
    m_rt.hooks.programReadError = nullptr;
}

void BlockProgram::ReadProgram(uint8_t address, int unitPosition)
{
    m_address = address;
    m_unitPosition = unitPosition;
    m_reading = true;
    m_rt.setMode(StationRuntime::ModeProgramRead);
    BuildReadQueue(address);
    BeginProgramAccess(address);
}

void BlockProgram::BuildReadQueue(uint8_t address)
{
    m_records.clear();
    m_queue.clear();
    // Request i asks for the record at i * 20 + 12, i.e. records 0..127.
    for (int i = 1; i <= kQueueLength; ++i)
        m_queue.append(BuildReadRecordFrame(address, i - 1));
    m_cursor = 0;
    emit progressChanged(0, kQueueLength);
}

void BlockProgram::BeginProgramAccess(uint8_t address)
{
    m_rt.SendFrame(BuildProgramAccessFrame(address, true));
}

void BlockProgram::EndProgramAccess(uint8_t address)
{
    m_rt.SendFrame(BuildProgramAccessFrame(address, false));
}

void BlockProgram::SendNextRead()
{
    if (m_cursor >= m_queue.size()) {
        // A full program without an end record: what was read is the program.
        AnalyzeProgram();
        return;
    }
    m_rt.SendFrame(m_queue[m_cursor]);
}

void BlockProgram::HandleProgramReply(const Frame &f)
{
    m_timers.stop(kTimer6);
    if (f[0] != kFrameStart)
        return;
    if (f[2] == Cmd::Ack) {
        const Frame &last = m_rt.lastSent();
        if (m_reading && last[2] == Cmd::ProgramAccess && last[3] == 0xFF)
            SendNextRead();
        m_rt.setPanelText(1, QStringLiteral("read ok!"));
        return;
    }
    if (f[2] != Cmd::ReadRecord || !m_reading)
        return;
    m_rt.setPanelText(1, QStringLiteral(" read !"));
    if (f[4] == kEndOfProgram) {
        emit progressChanged(kQueueLength, kQueueLength);
        AnalyzeProgram();
        m_cursor = 0;
        return;
    }
    m_records.append(f);
    emit progressChanged(m_cursor, kQueueLength);
    ++m_cursor;
    SendNextRead();
}

void BlockProgram::AnalyzeProgram()
{
    m_reading = false;
    m_results.clear();
    QFile debug(QDir(m_programDir).filePath(QStringLiteral("debug.txt")));
    if (debug.open(QIODevice::WriteOnly | QIODevice::Append)) {
        for (qsizetype i = 0; i < m_records.size(); ++i) {
            QByteArray line = QByteArray::number(i) + " :";
            for (uint8_t b : m_records[i])
                line += ' ' + QByteArray::number(b, 16).rightJustified(2, '0').toUpper();
            debug.write(line + '\n');
        }
    }
    m_results = AnalyzeRecords(m_records);

    QStringList lines;
    for (const TAnalyzeResult &r : m_results)
        lines << BlockListLine(r);
    auto &lists = m_rt.model().blocks;
    if (m_unitPosition >= 0 && size_t(m_unitPosition) < lists.size()) {
        TBlocks blocks;
        for (const TAnalyzeResult &r : m_results) {
            if (blocks.size() >= size_t(kMaxBlocksPerUnit))
                break;
            TBlockRec b;
            b.type = r.type;
            b.position = uint8_t(r.position);
            b.timeUnit = float(r.timeUnit);
            b.parameter = r.parameter;
            blocks.push_back(b);
        }
        lists[size_t(m_unitPosition)] = std::move(blocks);
    }
    emit programRead(m_unitPosition, lines);
    const uint8_t address = m_address;
    QMetaObject::invokeMethod(this, [this, address] { EndProgramAccess(address); }, Qt::QueuedConnection);
}

void BlockProgram::ReadError()
{
    // After the analysis only the release of the access can go unanswered:
    // the blocks were read, so there is no read error to report.
    if (!m_reading)
        return;
    m_reading = false;
    emit readFailed();
    m_prompt.information(QStringLiteral("Read block error!"));
}

// ------------------------------------------------------- single block --

bool BlockProgram::ReadSingleBlock(int reference)
{
    if (!m_prompt.yesNo(QStringLiteral("Are you sure read block ?"))) {
        m_rt.setMode(StationRuntime::ModePolling);
        m_timers.start(kTimer4);
        return false;
    }
    m_timers.stop(kTimer4);
    if (!m_control.select(reference)) {
        m_rt.setMode(StationRuntime::ModePolling);
        m_timers.start(kTimer4);
        return false;
    }
    m_rt.setMode(StationRuntime::ModeSingleBlockRead);
    m_control.ReadBlockParam();
    return true;
}

void BlockProgram::HandleBlockReply(const Frame &f)
{
    if (f[0] != kFrameStart || f[2] != Cmd::ReadRecord)
        return;
    m_rt.setPanelText(1, QStringLiteral(" read !"));
    if (TBlockRec *b = m_control.selectedBlock()) {
        b->type = f[4];
        if (b->type == kComparatorBlock) {
            b->timeUnit = 0;
            b->parameter = (f[5] == 0x00 || f[5] == 0xFF) ? f[10] : f[11];
        } else if (IsCounterBlock(b->type)) {
            b->timeUnit = 0;
            b->parameter = counterParameter(f);
        } else {
            b->timeUnit = f[9];
            b->parameter = bcdParameter(f);
        }
        try {
            m_rt.SaveBlocks();
        } catch (const ScadaError &e) {
            m_prompt.error(e.message());
        }
        const ControlSelection s = m_control.selection();
        ShowBlockValue(EncodeReference(s.station, s.unit, s.item));
    }
    m_rt.setMode(StationRuntime::ModePolling);
}

void BlockProgram::ShowBlockValue(int reference)
{
    const PointRef r = DecodeReference(reference);
    auto &lists = m_rt.model().blocks;
    if (r.station != 0 || r.unit < 0 || size_t(r.unit) >= lists.size() || r.item < 0
        || size_t(r.item) >= lists[size_t(r.unit)].size())
        return;
    const BlockDisplay d = BlockDisplayValue(lists[size_t(r.unit)][size_t(r.item)]);
    emit blockValueShown(reference, d.value, d.units);
}

} // namespace scada
