#include "acquisition/StationRuntime.h"

#include "common/Errors.h"
#include "platform/Prompt.h"
#include "platform/SerialBytePort.h"
#include "store/Database.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QSaveFile>

#include <algorithm>
#include <cstring>

namespace scada {

namespace {
const QString kTimer1 = QStringLiteral("Timer1");
const QString kTimer2 = QStringLiteral("Timer2");
const QString kTimer4 = QStringLiteral("Timer4");
const QString kTimer6 = QStringLiteral("Timer6");
constexpr int kPollInterval = 400;
constexpr int kSupervisionInterval = 500;
constexpr int kConnectionInterval = 1000;
} // namespace

StationRuntime::StationRuntime(const QString &programDir, Database *db, BytePort *port,
                               TimerService *timers, Clock *clock, Prompt *prompt, QObject *parent)
    : QObject(parent), m_programDir(programDir), m_db(db), m_port(port), m_timers(timers),
      m_clock(clock), m_prompt(prompt)
{
    m_timers->define(kTimer4, kPollInterval, [this] { Timer4Timer(); });
    m_timers->define(kTimer6, kSupervisionInterval, [this] { Timer6Timer(); });
    m_timers->define(kTimer1, kConnectionInterval, [this] { Timer1Timer(); });
    connect(m_port, &BytePort::received, this, &StationRuntime::OnReceiveBytes);
    connect(m_port, &BytePort::lineEvent, this, &StationRuntime::MSCommComm);
}

StationRuntime::~StationRuntime()
{
    for (int id : std::as_const(m_pendingShots))
        m_timers->cancelSingleShot(id);
    m_timers->stop(kTimer1);
    m_timers->stop(kTimer4);
    m_timers->stop(kTimer6);
}

// Schedules a continuation that is cancelled if the runtime goes away first.
static int scheduleOn(TimerService *timers, QList<int> &pending, int ms, std::function<void()> fn)
{
    auto id = std::make_shared<int>(0);
    *id = timers->singleShot(ms, [&pending, id, fn = std::move(fn)] {
        pending.removeOne(*id);
        fn();
    });
    pending.append(*id);
    return *id;
}

// ---------------------------------------------------------------- model --

QString StationRuntime::blocksPath() const
{
    return QDir(m_programDir).filePath(QStringLiteral("Blocks.inf"));
}

void StationRuntime::ClearBlocks()
{
    const TStationRec *st = m_model.station();
    m_model.blocks.assign(st ? st->units.size() : 0, TBlocks());
}

void StationRuntime::LoadBlocks()
{
    ClearBlocks();
    QFile f(blocksPath());
    if (!f.exists())
        return;
    if (!f.open(QIODevice::ReadOnly))
        throw EInOutError(QStringLiteral("Cannot open file \"%1\". %2").arg(f.fileName(), f.errorString()));
    m_model.blocks = DecodeBlocksFile(f.readAll());
}

void StationRuntime::SaveBlocks()
{
    QSaveFile f(blocksPath());
    if (!f.open(QIODevice::WriteOnly))
        throw EFCreateError(QStringLiteral("Cannot create file \"%1\". %2").arg(f.fileName(), f.errorString()));
    f.write(EncodeBlocksFile(m_model.blocks));
    if (!f.commit())
        throw EFCreateError(QStringLiteral("Cannot create file \"%1\". %2").arg(f.fileName(), f.errorString()));
}

void StationRuntime::InstallPointModel(PointModel model)
{
    m_model = std::move(model);
    if (TStationRec *st = m_model.station()) {
        if (st->units.size() > size_t(kMaxUnits))
            st->units.resize(kMaxUnits);
        st->unitCount = uint8_t(st->units.size());
        m_model.useModem = st->useModem;
        if (st->useModem)
            m_dialReady = true;
    }
    if (m_model.blocks.empty())
        ClearBlocks();
    finishLoad();
}

void StationRuntime::finishLoad()
{
    // Fresh cycle state for the new model.
    m_pollCursor = 0;
    m_timers->stop(kTimer4);
    ClearMessages();
    m_openFailureShown = false;
    m_portResult = OpenPort();
    m_waitForTimer = false;
    const TStationRec *st = m_model.station();
    if (st && !st->useModem && st->linkOption) {
        m_timers->setInterval(kTimer4, std::max(1, int(st->delayOrCycle)));
        m_waitForTimer = true;
    } else if (m_timers->interval(kTimer4) != kPollInterval) {
        // A station without a cycle of its own polls at the standard step.
        m_timers->setInterval(kTimer4, kPollInterval);
    }
}

// ----------------------------------------------------------------- link --

QString StationRuntime::portName() const
{
    const TStationRec *st = m_model.station();
    return st ? st->portName : QString();
}

bool StationRuntime::portOpen() const
{
    return m_port->isOpen();
}

bool StationRuntime::OpenPort()
{
    m_timers->stop(kTimer4);
    if (m_port->isOpen())
        m_port->close();
    const QString name = portName();
    if (!name.isEmpty()) {
        const int n = ComPortNumber(name);
        if (n > 0) {
            m_device = ComPortDevice(m_programDir, n);
            if (!m_port->open(m_device))
                m_port->close();
        }
    }
    const bool open = m_port->isOpen();
    if (open) {
        m_openFailureShown = false;
        m_timers->start(kTimer4);
    } else if (!name.isEmpty()) {
        reportOpenFailure(name);
    }
    return open;
}

void StationRuntime::RestartLink()
{
    m_timers->stop(kTimer4);
    m_portResult = OpenPort();
}

void StationRuntime::ReopenPort()
{
    if (m_port->isOpen())
        m_port->close();
    if (m_device.isEmpty())
        return;
    if (!m_port->open(m_device)) {
        m_port->close();
        return;
    }
    m_port->discardInput();
    m_port->discardOutput();
}

void StationRuntime::ClosePort()
{
    if (m_port->isOpen())
        m_port->close();
}

void StationRuntime::DialUnit(const QString &phone)
{
    m_modemConnected = false;
    m_rxCount = 0;
    SendFrame(QByteArray("ATX2DT") + phone.toLatin1() + '\r');
    setPanelText(0, QStringLiteral("Dialog..."));
    setPanelText(3, QStringLiteral("send: ") + phone);
}

void StationRuntime::Timer1Timer()
{
    const TStationRec *st = m_model.station();
    if (!st)
        return;
    // The counter is wide enough for every delay the station form accepts.
    ++m_connTick;
    if (st->linkOption) {
        if (m_connTick >= 4) {
            m_connTick = 4;
            SendFrame(m_pollFrame);
        }
        return;
    }
    const int d = st->delayOrCycle;
    if (m_connTick >= 4 && m_connTick <= d - 1)
        SendFrame(m_pollFrame);
    if (m_connTick == d + 1)
        SendFrame(QByteArray("+++"));
    else if (m_connTick == d + 2)
        SendFrame(QByteArray("ATH0\r"));
    else if (m_connTick == d + 3)
        setPanelText(0, QStringLiteral("DisConnected!"));
    else if (m_connTick == d + 6)
        m_portResult = OpenPort();
    else if (m_connTick == d + 13) {
        m_connTick = 0;
        m_dialReady = true;
        m_timers->stop(kTimer1);
    }
}

void StationRuntime::MSCommComm(BytePort::LineEvent e)
{
    switch (e) {
    case BytePort::LineEvent::Framing:
    case BytePort::LineEvent::RxParity:
    case BytePort::LineEvent::DcbError:
        ReopenPort();
        break;
    case BytePort::LineEvent::RxOverflow:
    case BytePort::LineEvent::Overrun:
        ReopenPort();
        m_port->discardInput();
        break;
    case BytePort::LineEvent::TxFull:
        m_port->discardOutput();
        break;
    default:
        break;
    }
}

void StationRuntime::PauseAcquisition()
{
    m_mode = ModePaused;
    m_timers->stop(kTimer2);
    m_timers->stop(kTimer4);
    m_timers->stop(kTimer6);
}

void StationRuntime::ResumeAcquisition()
{
    LoadPointModel();
    RestartLink();
    if (m_timers->interval(kTimer2) > 0)
        m_timers->start(kTimer2);
    m_timers->start(kTimer4);
    m_mode = ModePolling;
}

void StationRuntime::ShutdownLink()
{
    m_timers->stop(kTimer2);
    m_timers->stop(kTimer4);
    // A closed line is not reopened only to be closed again.
    if (m_port->isOpen()) {
        SendFrame(QByteArray("+++"));
        SendFrame(QByteArray("ATH0\r"));
    }
    m_closing = true;
    m_timers->stop(kTimer1);
    m_timers->stop(kTimer4);
    m_timers->stop(kTimer6);
    ClosePort();
    // Nothing may reopen or write to the port after this.
    for (int id : std::as_const(m_pendingShots))
        m_timers->cancelSingleShot(id);
    m_pendingShots.clear();
}

// ---------------------------------------------------------- frame layer --

bool StationRuntime::SendFrame(const QByteArray &bytes)
{
    if (bytes.size() > kRxCapacity)
        return true;
    if (!m_port->isOpen()) {
        RestartLink();
        // The line gets 100 ms to settle before the bytes go out.
        scheduleOn(m_timers, m_pendingShots, 100, [this, bytes] { sendNow(bytes); });
        return true;
    }
    return sendNow(bytes);
}

bool StationRuntime::sendNow(const QByteArray &bytes)
{
    m_rxCount = 0;
    m_port->discardInput();
    m_timers->stop(kTimer4);
    std::memcpy(m_lastSent.data(), bytes.constData(), std::min<size_t>(bytes.size(), kFrameSize));
    if (m_monitorEcho)
        emit monitorLine(QString::fromUtf8("发送：")
                         + HexText(reinterpret_cast<const uint8_t *>(bytes.constData()), int(bytes.size())));
    setPanelText(1, m_panels[1] == QLatin1String("send") ? QStringLiteral("send...") : QStringLiteral("send"));
    if (m_port->isOpen() && !m_port->write(bytes)) {
        setPanelText(1, QStringLiteral("send error  "));
        m_port->close();
        ReopenPort();
        m_timers->stop(kTimer6);
        m_timers->start(kTimer4);
        return false;
    }
    m_awaitingReply = true;
    m_lastSendTick = m_clock->tickMs();
    m_timers->start(kTimer6);
    return true;
}

void StationRuntime::OnReceiveBytes(const QByteArray &batch)
{
    if (batch.size() > 1024)
        return;
    const auto *b = reinterpret_cast<const uint8_t *>(batch.constData());
    const int n = int(batch.size());
    if (m_monitorEcho && (n <= 2 || b[2] != Cmd::ReadData)) {
        QString line = QString::fromUtf8("收到：");
        const QString hex = HexText(b, n);
        for (int i = 0; i < n; ++i)
            line += QLatin1Char(' ') + hex.mid(i * 3, 2);
        emit monitorLine(line);
    }
    AssembleFrame(b, n);
}

void StationRuntime::connectDetection(const uint8_t *bytes, int n)
{
    if (n == kFrameSize)
        return;
    const QByteArray text(reinterpret_cast<const char *>(bytes), n);
    if (!text.contains("CONNECT"))
        return;
    m_dialAttempt = 0;
    m_connTick = 0;
    setPanelText(0, QStringLiteral("Connected !"));
    m_modemConnected = true;
    m_awaitingReply = false;
    m_timers->stop(kTimer4);
    m_timers->stop(kTimer6);
    m_timers->start(kTimer1);
}

void StationRuntime::AssembleFrame(const uint8_t *bytes, int n)
{
    setPanelText(1, QStringLiteral("send  Receive"));
    if (m_mode == ModePaused || n <= 0)
        return;
    if (m_model.useModem && !m_modemConnected) {
        connectDetection(bytes, n);
        return;
    }
    if (m_rxCount + n <= kRxCapacity) {
        const bool wasEmpty = m_rxCount == 0;
        std::memcpy(m_rx.data() + m_rxCount, bytes, size_t(n));
        if (wasEmpty && m_rx[0] != kFrameStart) {
            // Noise: dropped batch by batch until one starts a frame.
            m_rxCount = 0;
            m_timers->restart(m_switchPending ? kTimer6 : kTimer4);
            return;
        }
        m_rxCount += n;
    }
    // A connected modem call keeps its schedule: it polls until its hang-up
    // and only then may the next unit be dialled.
    const bool inCall = m_model.useModem && m_modemConnected;
    if (!inCall)
        m_timers->stop(kTimer1);
    while (m_rxCount >= kFrameSize) {
        // Each complete frame leaves the buffer as it is handed on; what
        // follows stays only when it starts another frame.
        Frame f;
        std::memcpy(f.data(), m_rx.data(), kFrameSize);
        const int rest = m_rxCount - kFrameSize;
        if (rest > 0 && m_rx[kFrameSize] == kFrameStart) {
            std::memmove(m_rx.data(), m_rx.data() + kFrameSize, size_t(rest));
            m_rxCount = rest;
        } else {
            m_rxCount = 0;
        }
        dispatch(f);
        if (!inCall)
            m_dialReady = true;
    }
}

void StationRuntime::dispatch(const Frame &f)
{
    switch (m_mode) {
    case ModePolling:
        HandleDataReply(f.data(), kFrameSize);
        break;
    case ModeProgramRead:
        if (hooks.programReply)
            hooks.programReply(f);
        break;
    case ModeParamWrite:
        if (hooks.paramReply)
            hooks.paramReply(f);
        break;
    case ModeSwitchPending:
        SendFrame(m_switchFrame);
        m_switchSentTick = m_clock->tickMs();
        m_mode = ModePolling;
        break;
    case ModeSingleBlockRead:
        if (hooks.blockReply)
            hooks.blockReply(f);
        break;
    default:
        break;
    }
}

void StationRuntime::QueueControl(const Frame &frame)
{
    m_mode = ModeSwitchPending;
    m_awaitingReply = true;
    m_timers->start(kTimer6);
    m_retryCount = 0;
    m_switchFrame = frame;
    m_rxCount = 0;
    setPanelText(1, QStringLiteral("Control Send .."));
    m_switchPending = true;
    m_retryDelay = 800;
    m_switchSentTick = -1; // not sent yet
}

// ----------------------------------------------------------- poll cycle --

void StationRuntime::showClock()
{
    setPanelText(5, clockText());
}

QString StationRuntime::clockText() const
{
    return QLocale(QLocale::English).toString(m_clock->now(), QStringLiteral("yyyy-M-d  dddd  hh:mm:ss AP"));
}

void StationRuntime::pollStep()
{
    if (m_model.useModem)
        PollModem();
    else
        PollDirect();
}

void StationRuntime::Timer4Timer()
{
    if (m_mode == ModePolling)
        pollStep();
    showClock();
}

void StationRuntime::NextPoll()
{
    m_mode = ModePolling;
    if (m_recovering)
        return; // the time-out recovery restarts the poll timer itself
    if (m_waitForTimer) {
        m_timers->start(kTimer4);
        return;
    }
    pollStep();
    showClock();
}

void StationRuntime::PollDirect()
{
    TStationRec *st = m_model.station();
    if (!st)
        return;
    m_rxCount = 0;
    m_pollFrame.fill(0);
    auto &units = st->units;
    if (units.empty())
        return;
    const int last = int(units.size()) - 1;
    m_pollCursor = uint8_t(m_pollCursor + 1);
    if (m_pollCursor > last) {
        m_pollCursor = 0;
    } else {
        while (units[m_pollCursor].mark < 1) {
            m_pollCursor = uint8_t(m_pollCursor + 1);
            if (m_pollCursor > last) {
                m_pollCursor = 0;
                break;
            }
        }
    }
    m_pollFrame[0] = kFrameStart;
    const TFtuRec &u = units[m_pollCursor];
    if (u.name.isEmpty())
        return;
    m_pollFrame[1] = u.address;
    setPanelText(3, u.name);
    m_polledName = u.name;
    m_polledPos = m_pollCursor;
    m_pollFrame[2] = Cmd::ReadData;
    SealFrame(m_pollFrame);
    if (!SendFrame(m_pollFrame))
        setPanelText(1, QStringLiteral("Comm Error!"));
}

void StationRuntime::PollModem()
{
    if (++m_idleCounter > 600) {
        m_idleCounter = 0;
        m_dialReady = true;
        if (++m_dialAttempt > 2)
            m_dialAttempt = 0;
    }
    TStationRec *st = m_model.station();
    if (!st)
        return;
    auto &units = st->units;
    if (!m_dialReady)
        return;
    m_idleCounter = 0;
    m_dialReady = false;
    if (m_dialAttempt == 0 && !units.empty()) {
        m_pollCursor = uint8_t(m_pollCursor + 1);
        if (m_pollCursor > int(units.size()) - 1)
            m_pollCursor = 0;
        m_pollFrame = BuildReadDataFrame(units[m_pollCursor].address, true);
    }
    // A unit is dialled only when the step may dial: a call that does not
    // connect is retried after 600 steps.
    if (!units.empty() && m_pollCursor < units.size() && !units[m_pollCursor].phone.isEmpty())
        DialUnit(units[m_pollCursor].phone);
}

void StationRuntime::HandleDataReply(const uint8_t *frame, int len)
{
    const int n = std::clamp(len, 0, kFrameSize);
    Frame c{};
    std::memcpy(c.data(), frame, size_t(n));
    // The unit computed its checksum over its own analog mask in bytes 3-4.
    const int pos = m_model.unitByAddress(c[1]);
    const uint32_t mask = pos >= 0 ? AnalogMask(m_model.ycFlags, pos) : 0;
    c[3] = uint8_t(mask & 0xFF);
    c[4] = uint8_t((mask >> 8) & 0xFF);

    if (c[0] != kFrameStart || n != kFrameSize) {
        ++m_badFrames;
        emit badFramesChanged(m_badFrames);
    }
    QString text;
    if (n >= 2 && c[0] == 'C' && c[1] == 'o')
        text = QString::fromLatin1(reinterpret_cast<const char *>(c.data()), n);
    else
        text = HexText(c.data(), n);
    ++m_frames;
    m_totalBytes += quint32(n);
    emit monitorFrame(text, n, c[25]);

    if (c[0] == kFrameStart && c[2] == Cmd::Ack) {
        m_awaitingReply = false;
        m_switchPending = false;
        m_timers->start(kTimer4);
        setPanelText(1, QStringLiteral("control ok!"));
        m_mode = ModePolling;
        return;
    }
    if (c[0] == kFrameStart && c[2] == Cmd::ReadRecord) {
        m_awaitingReply = false;
        if (hooks.blockRecordWhilePolling)
            hooks.blockRecordWhilePolling(c);
    } else if (c[0] == kFrameStart && c[2] == Cmd::ReadData) {
        unsigned sum = 0;
        for (int i = 0; i <= n - 2; ++i)
            sum += c[i];
        if (uint8_t(sum & 0xFF) != c[25])
            return; // ignored; supervision times out
        if (pos < 0) {
            // No unit has this address: nothing to apply it to.
            ++m_badFrames;
            emit badFramesChanged(m_badFrames);
            return;
        }
        m_awaitingReply = false;
        m_idleCounter = 0;
        TFtuRec &u = m_model.station()->units[size_t(pos)];
        const QDateTime now = m_clock->now();
        u.lastReply = now.time();
        const QString eventTime = now.time().toString(QStringLiteral("hh:mm:ss"));
        DecodeDigital(u, c[5], c[6], c[19]);
        if (hooks.recordDigitalChanges)
            hooks.recordDigitalChanges(0, pos, eventTime);
        DecodeAnalog(u, c.data());
        if (hooks.recordAnalogHistory)
            hooks.recordAnalogHistory(1);
        if (!m_closing)
            emit unitRefreshed(0, pos);
        // Units that answer their polls keep the supervision from timing
        // out: a switch still unacknowledged after the retry delay is sent
        // again from here, and given up after the same count of resends.
        if (m_switchPending && m_switchSentTick >= 0
            && m_clock->tickMs() - m_switchSentTick > m_retryDelay + 1000) {
            if (m_retryCount > 10) {
                m_switchPending = false;
                m_retryCount = 0;
                m_switchSentTick = -1;
                emit controlFailed();
                if (m_prompt)
                    m_prompt->information(QStringLiteral("Control Faild!"));
            } else {
                ++m_retryCount;
                setPanelText(1, QStringLiteral("Control Send times[%1]").arg(m_retryCount));
                SendFrame(m_switchFrame);
                m_switchSentTick = m_clock->tickMs();
                return;
            }
        }
    }
    NextPoll();
}

void StationRuntime::markResent()
{
    scheduleOn(m_timers, m_pendingShots, 100, [this] {
        m_lastSendTick = m_clock->tickMs();
        m_retryDelay = 800;
    });
}

void StationRuntime::resendLastSent()
{
    SendFrame(m_lastSent);
}

// A port that does not open would otherwise leave the station silent with
// nothing on screen: the operator is told once until the port opens again.
void StationRuntime::reportOpenFailure(const QString &name)
{
    setPanelText(0, QStringLiteral("Cannot open %1").arg(name));
    if (m_openFailureShown)
        return;
    m_openFailureShown = true;
    const QDateTime now = m_clock->now();
    const QString device = m_device.isEmpty() ? QStringLiteral("no device") : m_device;
    const QString why = m_port->errorString().isEmpty() ? QString() : QStringLiteral(": ") + m_port->errorString();
    InsertMessage(now.date().toString(QStringLiteral("yyyy-MM-dd")) + QStringLiteral("  ")
                  + now.time().toString(QStringLiteral("hh:mm:ss")) + QStringLiteral("  ") + name
                  + QStringLiteral(" (") + device + QStringLiteral(") cannot be opened") + why);
}

void StationRuntime::silentUnit()
{
    m_timers->stop(kTimer6);
    setPanelText(1, m_polledName + QStringLiteral("  error "));
    const QDateTime now = m_clock->now();
    InsertMessage(now.date().toString(QStringLiteral("yyyy-MM-dd")) + QStringLiteral("  ")
                  + now.time().toString(QStringLiteral("hh:mm:ss")) + QStringLiteral("  ") + m_polledName
                  + QStringLiteral("  Error"));
    m_recovering = true;
    ReopenPort();
    scheduleOn(m_timers, m_pendingShots, 400, [this] {
        ReopenPort();
        scheduleOn(m_timers, m_pendingShots, 400, [this] {
            m_recovering = false;
            m_retryCount = 0;
            m_switchPending = false;
            m_timers->start(kTimer4);
            m_mode = ModePolling;
        });
    });
}

void StationRuntime::Timer6Timer()
{
    if (m_mode == ModePaused || !m_awaitingReply || m_recovering)
        return;
    const qint64 since = m_clock->tickMs() - m_lastSendTick;
    const bool expired = since > m_retryDelay + 1000;

    if (m_mode == ModeProgramRead || m_mode == ModeParamWrite || m_mode == ModeSingleBlockRead) {
        if (m_retryCount > 10) {
            m_retryCount = 0;
            m_timers->stop(kTimer6);
            if (m_mode == ModeProgramRead) {
                if (hooks.programReadError)
                    QMetaObject::invokeMethod(this, [this] {
                        if (hooks.programReadError)
                            hooks.programReadError();
                    }, Qt::QueuedConnection);
            } else {
                m_timers->start(kTimer4);
                m_mode = ModePolling;
            }
        } else if (expired) {
            m_timers->stop(kTimer6);
            ++m_retryCount;
            resendLastSent();
            markResent();
        }
        return;
    }

    if (m_mode == ModeSwitchPending) {
        if (m_retryCount > 10) {
            m_switchPending = false;
            m_retryCount = 0;
            m_timers->stop(kTimer6);
            m_timers->start(kTimer4);
            m_mode = ModePolling;
            emit controlFailed();
            if (m_prompt)
                m_prompt->information(QStringLiteral("Control Faild!"));
            // the polling rules apply in the same tick
        } else {
            if (since > 1000) {
                ++m_retryCount;
                setPanelText(1, QStringLiteral("Control Send times[%1]").arg(m_retryCount));
                SendFrame(m_switchFrame);
                m_switchSentTick = m_clock->tickMs();
            }
            return;
        }
    }

    if (m_mode != ModePolling)
        return;
    if (m_lastSent[2] != Cmd::ReadData) {
        m_timers->start(kTimer4);
        return;
    }
    if (m_model.useModem)
        return;
    if (!m_switchPending) {
        if (expired)
            silentUnit();
        return;
    }
    if (m_retryCount > 10) {
        m_switchPending = false;
        m_retryCount = 0;
        m_timers->stop(kTimer6);
        m_timers->start(kTimer4);
        emit controlFailed();
        if (m_prompt)
            m_prompt->information(QStringLiteral("Control Faild!"));
    } else if (since > m_retryDelay) {
        ++m_retryCount;
        m_rxCount = 0;
        setPanelText(1, QStringLiteral("Control Send times[%1]").arg(m_retryCount));
        resendLastSent();
        markResent();
    }
}

// --------------------------------------------------------------- status --

QString StationRuntime::panelText(int panel) const
{
    return panel >= 0 && panel < int(m_panels.size()) ? m_panels[size_t(panel)] : QString();
}

void StationRuntime::setPanelText(int panel, const QString &text)
{
    if (panel < 0 || panel >= int(m_panels.size()))
        return;
    m_panels[size_t(panel)] = text;
    emit statusTextChanged(panel, text);
}

void StationRuntime::InsertMessage(const QString &line)
{
    if (m_messages.size() > kMessageListLimit) {
        m_messages.clear();
        emit messagesCleared();
    }
    m_messages.prepend(line);
    emit messageInserted(line);
}

void StationRuntime::ClearMessages()
{
    m_messages.clear();
    emit messagesCleared();
}

} // namespace scada

// --------------------------------------------------------------- loaders --

namespace scada {

namespace {

QString text(const QVariantMap &row, const char *field, int max)
{
    return row.value(QLatin1String(field)).toString().left(max);
}
int intOf(const QVariantMap &row, const char *field)
{
    return row.value(QLatin1String(field)).toInt();
}
double realOf(const QVariantMap &row, const char *field)
{
    return row.value(QLatin1String(field)).toDouble();
}
bool boolOf(const QVariantMap &row, const char *field)
{
    return row.value(QLatin1String(field)).toBool();
}

// Walks a point table strictly by position: per unit, `perUnit(unit)` rows,
// one after the other. When the table ends the walk stops moving, so the
// remaining records repeat its last row. Nothing happens on an empty table.
template <typename Fn>
void walkRows(const QList<QVariantMap> &rows, std::vector<TFtuRec> &units,
              const std::function<int(const TFtuRec &)> &perUnit, Fn fill)
{
    if (rows.isEmpty())
        return;
    qsizetype at = 0;
    for (size_t u = 0; u < units.size(); ++u) {
        const int n = perUnit(units[u]);
        for (int ch = 0; ch < n; ++ch) {
            fill(int(u), ch, rows[at]);
            if (at + 1 < rows.size())
                ++at;
        }
    }
}

} // namespace

void StationRuntime::LoadAnalogPoints()
{
    TStationRec *st = m_model.station();
    if (!m_db || !st)
        return;
    const QList<QVariantMap> rows = m_db->rows(QStringLiteral("YcTable"));
    walkRows(rows, st->units, [](const TFtuRec &u) { return u.channels(); },
             [this, st](int u, int ch, const QVariantMap &row) {
                 TFtuRec &unit = st->units[size_t(u)];
                 TYcRec &p = unit.yc[size_t(ch)];
                 unit.stationName = text(row, "Station", 20);
                 unit.name = text(row, "FtuName", 20);
                 p = TYcRec();
                 p.name = text(row, "Point", 20);
                 p.property = text(row, "Property", 8);
                 p.unitText = text(row, "Unit", 8);
                 p.coefficient = realOf(row, "Quotiety");
                 p.coefficientA = realOf(row, "Quotiety_A");
                 p.coefficientB = realOf(row, "Quotiety_B");
                 p.alarmLow = realOf(row, "AlarmLowLimit");
                 p.alarmHigh = realOf(row, "AlarmUpLimit");
                 p.qualifiedLow = realOf(row, "HeGeLowLimit");
                 p.qualifiedHigh = realOf(row, "HeGeUpLimit");
                 p.kind = text(row, "YxYcFlag", 2);
                 m_model.ycFlags[size_t(u)][size_t(ch)] = p.kind == QLatin1String("Yc");
             });
}

void StationRuntime::LoadDigitalPoints()
{
    TStationRec *st = m_model.station();
    if (!m_db || !st)
        return;
    const QList<QVariantMap> rows = m_db->rows(QStringLiteral("YxTable"));
    walkRows(rows, st->units, [](const TFtuRec &u) { return u.channels(); },
             [st](int u, int ch, const QVariantMap &row) {
                 TYxRec &p = st->units[size_t(u)].yx[size_t(ch)];
                 p = TYxRec();
                 p.name = text(row, "Point", 20);
                 p.property = text(row, "Property", 8);
                 p.alarmColor = uint32_t(intOf(row, "AlarmColor"));
                 p.normalColor = uint32_t(intOf(row, "NormalColor"));
                 p.controlEnabled = boolOf(row, "ControlEnabled");
                 p.videoTrigger = uint8_t(intOf(row, "AlarmLevel"));
                 p.alarmEnabled = boolOf(row, "AlarmEnabled");
                 p.alarmKind = uint8_t(intOf(row, "AlarmKind"));
                 p.soundEnabled = boolOf(row, "SoundEnabled");
                 p.soundOnPosition = intOf(row, "SoundOnAddress");
                 p.soundOffPosition = intOf(row, "SoundOffAddress");
                 p.keepDays = intOf(row, "SaveDays");
                 p.kind = text(row, "YxYcFlag", 2);
             });
}

void StationRuntime::LoadPulsePoints()
{
    TStationRec *st = m_model.station();
    if (!m_db || !st)
        return;
    const QList<QVariantMap> rows = m_db->rows(QStringLiteral("YmTable"));
    walkRows(rows, st->units, [](const TFtuRec &) { return kPulseSlots; },
             [st](int u, int ch, const QVariantMap &row) {
                 TYmRec &p = st->units[size_t(u)].ym[size_t(ch)];
                 p = TYmRec();
                 p.name = text(row, "Point", 20);
                 p.property = text(row, "Property", 8);
                 p.coefficient = realOf(row, "Quotiety");
                 p.coefficientA = realOf(row, "Quotiety_A");
                 p.coefficientB = realOf(row, "Quotiety_B");
             });
}

void StationRuntime::LoadVariables()
{
    m_model.variables.clear();
    if (!m_db)
        return;
    for (const QVariantMap &row : m_db->rows(QStringLiteral("VarTable"))) {
        TVarRecord v;
        v.name = row.value(QStringLiteral("VarName")).toString();
        v.station = uint8_t(intOf(row, "Station"));
        v.unit = uint8_t(intOf(row, "Ftu"));
        v.point = uint8_t(intOf(row, "Point"));
        v.varType = uint8_t(intOf(row, "VarType"));
        v.varKind = uint8_t(intOf(row, "VarKind"));
        v.varFrom = uint8_t(intOf(row, "VarFrom"));
        m_model.variables.push_back(v);
    }
}

void StationRuntime::LoadPointModel()
{
    m_model = PointModel();
    m_dialReady = false;
    QStringList leftOut;
    const QList<QVariantMap> stations = m_db ? m_db->rows(QStringLiteral("MainTable")) : QList<QVariantMap>();
    m_model.stationCount = std::min<int>(int(stations.size()), 1);
    if (!stations.isEmpty()) {
        const QVariantMap &row = stations.front();
        m_model.stations.resize(1);
        TStationRec &st = m_model.stations.front();
        st.name = text(row, "Station", 20);
        st.portName = text(row, "QuDong", 10);
        st.useModem = boolOf(row, "UseModem");
        st.linkOption = intOf(row, "Type") == 1;
        st.delayOrCycle = intOf(row, "Voltage");
        m_model.useModem = st.useModem;
        if (st.useModem)
            m_dialReady = true;
        const int saveTime = intOf(row, "SaveTime");
        m_model.saveTime = saveTime == 0 ? 5 : saveTime;

        const QList<QVariantMap> ftus =
            m_db->rows(QStringLiteral("FtuTable"), QStringLiteral("Station = ?"), {st.name});
        for (const QVariantMap &f : ftus) {
            if (st.units.size() >= size_t(kMaxUnits)) {
                leftOut << f.value(QStringLiteral("FtuName")).toString();
                continue;
            }
            TFtuRec u;
            u.address = uint8_t(intOf(f, "FtuAddress") & 0xFF);
            u.mark = int16_t(intOf(f, "Mark"));
            u.size = uint8_t(intOf(f, "FtuType") & 0xFF);
            u.phone = text(f, "PhoneCode", 20);
            u.password = text(f, "PassWord", 10);
            st.units.push_back(std::move(u));
        }
        st.unitCount = uint8_t(st.units.size());
        m_model.blocks.assign(st.units.size(), TBlocks());

        LoadAnalogPoints();
        LoadDigitalPoints();
        LoadPulsePoints();
        LoadVariables();
        LoadBlocks();
    }
    finishLoad();
    if (!leftOut.isEmpty())
        InsertMessage(QStringLiteral("Only 61 units are supervised; not loaded: ") + leftOut.join(QStringLiteral(", ")));
}

} // namespace scada
