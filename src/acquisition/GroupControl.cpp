#include "acquisition/GroupControl.h"

#include "acquisition/StationRuntime.h"
#include "common/IniFile.h"
#include "platform/Prompt.h"
#include "platform/TimerService.h"
#include "store/Database.h"

#include <QFile>
#include <QSaveFile>
#include <QtEndian>

namespace scada {

QList<QelGroupUnit> BuildQelGroupList(const Database &db)
{
    QList<QelGroupUnit> out;
    const QList<QVariantMap> ftus = db.rows(QStringLiteral("FtuTable"));
    for (const QVariantMap &row : ftus) {
        if (out.size() >= kGroupMaxUnits)
            break;
        QelGroupUnit u;
        u.name = row.value(QStringLiteral("FtuName")).toString().left(20);
        const QList<QVariantMap> same =
            db.rows(QStringLiteral("FtuTable"), QStringLiteral("FtuName = ?"), {u.name});
        if (same.size() == 1) {
            u.address = same.front().value(QStringLiteral("FtuAddress")).toInt();
            const int type = same.front().value(QStringLiteral("FtuType")).toInt();
            u.outputs = type == 0 ? 4 : type == 1 ? 8 : 0;
        }
        // Outputs are digital points 7..10 (4 outputs) or 13..20 (8 outputs).
        const int firstIndex = u.outputs == 4 ? 7 : 13;
        for (int k = 0; k < u.outputs; ++k) {
            const QList<QVariantMap> points = db.rows(QStringLiteral("YxTable"),
                                                      QStringLiteral("FtuName = ? AND OffIndex = ?"),
                                                      {u.name, firstIndex + k});
            u.outputNames[size_t(k)] = points.size() == 1
                ? points.front().value(QStringLiteral("Point")).toString().left(20)
                : QStringLiteral("Not Found");
        }
        out.append(u);
    }
    return out;
}

int QelListValue(const QelGroupUnit &unit)
{
    int mask = 0, value = 0;
    for (int k = 0; k < std::min(unit.outputs, kGroupMaxOutputs); ++k) {
        if (unit.enable[size_t(k)] == QLatin1String("1"))
            mask |= 1 << k;
        if (unit.state[size_t(k)] == QLatin1String("1"))
            value |= 1 << k;
    }
    return unit.address * 65536 + mask * 256 + value;
}

bool SaveQelGroup(const QString &path, const QList<QelGroupUnit> &units)
{
    QFile::remove(path);
    IniFile ini;
    const QString info = QStringLiteral("QelInfo");
    ini.setValue(info, QStringLiteral("QelCount"), QString::number(units.size()));
    for (qsizetype i = 0; i < units.size(); ++i) {
        const QelGroupUnit &u = units[i];
        const QString qel = QStringLiteral("QEL%1").arg(i);
        ini.setValue(info, qel + QStringLiteral("Name"), u.name);
        ini.setValue(info, qel + QStringLiteral("Add"), QString::number(u.address));
        ini.setValue(info, qel + QStringLiteral("Type"), QString::number(u.outputs));
        ini.setValue(info, qel + QStringLiteral("Status"), u.checked ? QStringLiteral("1") : QStringLiteral("0"));
    }
    for (qsizetype i = 0; i < units.size(); ++i) {
        const QelGroupUnit &u = units[i];
        const QString section = QStringLiteral("QEL%1Info").arg(i);
        for (int j = 0; j < std::min(u.outputs, kGroupMaxOutputs); ++j) {
            const QString point = QStringLiteral("Point%1").arg(j);
            ini.setValue(section, point + QStringLiteral("Name"), u.outputNames[size_t(j)]);
            ini.setValue(section, point + QStringLiteral("Enable"), u.enable[size_t(j)]);
            ini.setValue(section, point + QStringLiteral("Status"), u.state[size_t(j)]);
        }
    }
    return ini.save(path);
}

bool SaveQelList(const QString &path, const QList<QelGroupUnit> &units)
{
    QByteArray text;
    for (const QelGroupUnit &u : units)
        if (u.checked)
            text += QByteArray::number(QelListValue(u)) + "\r\n";
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    f.write(text);
    return f.commit();
}

std::optional<Frame> BatchLineFrame(const QString &line)
{
    bool ok = false;
    const int n = line.trimmed().toInt(&ok);
    if (!ok)
        return std::nullopt;
    return BuildSwitchFrame(uint8_t((n >> 16) & 0xFF), uint8_t((n >> 8) & 0xFF), uint8_t(n & 0xFF));
}

ControlColours LoadControlColours(const QString &path)
{
    ControlColours c;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return c;
    const QByteArray b = f.read(8);
    if (b.size() < 8)
        return c;
    c.on = qFromLittleEndian<quint32>(b.constData());
    c.off = qFromLittleEndian<quint32>(b.constData() + 4);
    return c;
}

bool SaveControlColours(const QString &path, const ControlColours &c)
{
    QByteArray b(8, 0);
    qToLittleEndian<quint32>(c.on, b.data());
    qToLittleEndian<quint32>(c.off, b.data() + 4);
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    f.write(b);
    return f.commit();
}

// -------------------------------------------------------- BatchControl --

BatchControl::BatchControl(StationRuntime &rt, TimerService &timers, Clock &clock, Prompt &prompt,
                           const QString &listPath, QObject *parent)
    : QObject(parent), m_rt(rt), m_timers(timers), m_clock(clock), m_prompt(prompt), m_listPath(listPath)
{
    connect(&m_rt, &StationRuntime::controlFailed, this, [this] { m_failed = true; });
}

BatchControl::~BatchControl()
{
    for (int id : std::as_const(m_shots))
        m_timers.cancelSingleShot(id);
}

void BatchControl::schedule(int ms, std::function<void()> fn)
{
    auto id = std::make_shared<int>(0);
    *id = m_timers.singleShot(ms, [this, id, fn = std::move(fn)] {
        m_shots.removeOne(*id);
        fn();
    });
    m_shots.append(*id);
}

bool BatchControl::MonitorBatchCtrlCmdExecute()
{
    if (m_running)
        return false; // one batch at a time
    if (!m_prompt.yesNo(QStringLiteral("Are you sure ?")))
        return false;
    QFile f(m_listPath);
    QStringList lines;
    if (f.open(QIODevice::ReadOnly))
        lines = QString::fromLatin1(f.readAll()).split(QLatin1Char('\n'));
    while (!lines.isEmpty() && lines.last().trimmed().isEmpty())
        lines.removeLast();
    if (lines.isEmpty())
        return false;
    QList<Frame> frames;
    for (const QString &line : std::as_const(lines)) {
        if (frames.size() >= kMaxLines)
            break;
        const std::optional<Frame> fr = BatchLineFrame(line);
        if (!fr) {
            m_prompt.information(QStringLiteral("Data Error!"));
            return false;
        }
        frames.append(*fr);
    }
    m_frames = frames;
    m_next = 0;
    m_running = true;
    schedule(kPauseMs, [this] { queueLine(); });
    return true;
}

void BatchControl::queueLine()
{
    m_failed = false;
    m_lineStart = m_clock.tickMs();
    m_timers.stop(QStringLiteral("Timer4"));
    m_rt.QueueControl(m_frames[m_next]);
    schedule(kPauseMs, [this] { watchLine(); });
}

void BatchControl::watchLine()
{
    if (m_failed) {
        lineFinished(false);
        return;
    }
    if (!m_rt.switchPending()) {
        lineFinished(true);
        return;
    }
    if (m_clock.tickMs() - m_lineStart > kLineTimeoutMs) {
        lineFinished(false);
        return;
    }
    schedule(100, [this] { watchLine(); });
}

void BatchControl::lineFinished(bool acknowledged)
{
    const uint8_t address = m_frames[m_next][1];
    const int pos = m_rt.model().unitByAddress(address);
    const QString name = pos >= 0 ? m_rt.model().station()->units[size_t(pos)].name
                                  : QStringLiteral("QEL %1").arg(address);
    const QDateTime now = m_clock.now();
    m_rt.InsertMessage(now.date().toString(QStringLiteral("yyyy-MM-dd")) + QStringLiteral("  ")
                       + now.time().toString(QStringLiteral("hh:mm:ss")) + QStringLiteral("  ") + name
                       + (acknowledged ? QStringLiteral("  Batch control ok") : QStringLiteral("  Batch control failed")));
    emit lineDone(address, acknowledged);
    if (++m_next < m_frames.size()) {
        schedule(kPauseMs, [this] { queueLine(); });
        return;
    }
    m_running = false;
    emit finished();
}

} // namespace scada
