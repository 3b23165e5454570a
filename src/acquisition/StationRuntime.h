#pragma once
// The run-time state of the master station: point model, link, frame layer,
// acquisition mode and poll cycle. It owns no widgets; the main window
// connects to its signals (status panel texts, message-list lines, refreshed
// units, monitor statistics) and forwards commands to it.

#include "acquisition/Frames.h"
#include "acquisition/PointModel.h"
#include "platform/BytePort.h"
#include "platform/TimerService.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>

namespace scada {

class Database;
class Prompt;

// Attachment points of the recorders, remote control and block-program
// reading. Each is called where the cycle reaches that work; an unset hook
// means the feature is not attached.
struct AcquisitionHooks {
    // After the digital states of a unit were decoded.
    std::function<void(int station, int unit, const QString &eventTime)> recordDigitalChanges;
    // After the analog readings of a unit were decoded (called with 1).
    std::function<void(int minute)> recordAnalogHistory;
    // Complete frames in program read, parameter write and single block read mode.
    std::function<void(const Frame &)> programReply;
    std::function<void(const Frame &)> paramReply;
    std::function<void(const Frame &)> blockReply;
    // A block record (0x0E) arriving while polling.
    std::function<void(const Frame &)> blockRecordWhilePolling;
    // Supervision gave up on a program read.
    std::function<void()> programReadError;
};

class StationRuntime : public QObject {
    Q_OBJECT
public:
    enum Mode : uint8_t {
        ModePaused = 0,
        ModePolling = 1,
        ModeProgramRead = 2,
        ModeParamWrite = 3,
        ModeSwitchPending = 4,
        ModeSingleBlockRead = 5,
    };
    static constexpr int kRxCapacity = 128;
    static constexpr int kMessageListLimit = 1000;

    // timers: the runtime defines "Timer1", "Timer4" and "Timer6" on it.
    // db may be null when the model is installed with InstallPointModel.
    StationRuntime(const QString &programDir, Database *db, BytePort *port, TimerService *timers,
                   Clock *clock, Prompt *prompt, QObject *parent = nullptr);
    ~StationRuntime() override;

    // --- point model -----------------------------------------------------
    PointModel &model() { return m_model; }
    const PointModel &model() const { return m_model; }
    // Rebuilds the model from the tables and the block file, then opens the
    // port and prepares polling.
    void LoadPointModel();
    void LoadAnalogPoints();
    void LoadDigitalPoints();
    void LoadPulsePoints();
    void LoadVariables();
    // The block file beside the program; a missing file leaves empty lists.
    void LoadBlocks();
    // Throws EFCreateError when the file cannot be written.
    void SaveBlocks();
    void ClearBlocks();
    // Installs a model built elsewhere (tools, tests) and runs the link part
    // of a load: open the port, clear the lists, set up the poll timer.
    void InstallPointModel(PointModel model);
    QString blocksPath() const;

    // --- link ------------------------------------------------------------
    // Opens the port of the station's "COMn" on the device ComPorts.ini maps
    // it to (ComPortDevice); starts the poll timer when the port is open.
    virtual bool OpenPort();
    void RestartLink();
    virtual void ReopenPort();
    virtual void ClosePort();
    virtual void DialUnit(const QString &phone);
    // The connection schedule of a modem call, once a second while connected.
    // A connected call runs its schedule to the hang-up whatever replies arrive.
    void Timer1Timer();
    // Line events of the port: framing, parity and device errors reopen the
    // port, an overrun also drops the input, a full transmit buffer drops the
    // output. Received batches go to OnReceiveBytes.
    void MSCommComm(BytePort::LineEvent e);
    bool portOpen() const;
    // The station's port name ("COM3"), empty without a station.
    QString portName() const;
    // The device the port was last opened on.
    QString portDevice() const { return m_device; }
    int connectionTick() const { return m_connTick; }

    // Configuration windows hold acquisition while they are open: mode
    // paused, Timer2, Timer4 and Timer6 stopped.
    void PauseAcquisition();
    // Reloads the model, restarts the link, starts Timer2 (where defined)
    // and Timer4 and returns to polling.
    void ResumeAcquisition();
    // The link part of closing the program: Timer2/Timer4 off, "+++" and
    // "ATH0\r" through the frame sender (modem or not; only while the port
    // is open), closing flag on, Timer1/Timer4/Timer6 off, port closed,
    // pending link continuations cancelled. Errors are ignored.
    void ShutdownLink();

    // --- frame layer -----------------------------------------------------
    bool SendFrame(const QByteArray &bytes);
    bool SendFrame(const Frame &f) { return SendFrame(toBytes(f)); }
    void OnReceiveBytes(const QByteArray &batch);
    void AssembleFrame(const uint8_t *bytes, int n);
    // Queues a switch frame behind the running request.
    void QueueControl(const Frame &frame);

    // --- poll cycle ------------------------------------------------------
    void Timer4Timer();
    void NextPoll();
    void PollDirect();
    void PollModem();
    void HandleDataReply(const uint8_t *frame, int n);
    void Timer6Timer();

    // --- state -----------------------------------------------------------
    Mode mode() const { return m_mode; }
    void setMode(Mode m) { m_mode = m; }
    bool waitForTimer() const { return m_waitForTimer; }
    bool awaitingReply() const { return m_awaitingReply; }
    bool switchPending() const { return m_switchPending; }
    bool modemConnected() const { return m_modemConnected; }
    bool dialReady() const { return m_dialReady; }
    int dialAttempt() const { return m_dialAttempt; }
    int pollCursor() const { return m_pollCursor; }
    QString polledUnitName() const { return m_polledName; }
    int polledUnitPosition() const { return m_polledPos; }
    int retryCount() const { return m_retryCount; }
    int retryDelay() const { return m_retryDelay; }
    bool portResult() const { return m_portResult; }
    void setClosing(bool on) { m_closing = on; }
    bool closing() const { return m_closing; }

    const Frame &pollFrame() const { return m_pollFrame; }
    const Frame &lastSent() const { return m_lastSent; }
    const Frame &switchFrame() const { return m_switchFrame; }
    int receiveCount() const { return m_rxCount; }

    quint32 framesCount() const { return m_frames; }
    quint32 badFramesCount() const { return m_badFrames; }
    quint32 totalBytes() const { return m_totalBytes; }

    // Echo of sent and received frames to the communication monitor.
    void setMonitorEcho(bool on) { m_monitorEcho = on; }
    bool monitorEcho() const { return m_monitorEcho; }

    QString panelText(int panel) const;
    void setPanelText(int panel, const QString &text);
    // The message list, newest first.
    const QStringList &messages() const { return m_messages; }
    void InsertMessage(const QString &line);
    void ClearMessages();
    // Current date and time in the clock format of status panel 5.
    QString clockText() const;

    AcquisitionHooks hooks;

signals:
    void statusTextChanged(int panel, const QString &text);
    void messageInserted(const QString &line);
    void messagesCleared();
    void unitRefreshed(int station, int unit);
    // A frame handed to the data-reply handler: its text, length and checksum byte.
    void monitorFrame(const QString &text, int length, quint8 checksum);
    void badFramesChanged(quint32 count);
    // Echo lines of sent and received frames.
    void monitorLine(const QString &line);
    void controlFailed();

private:
    bool sendNow(const QByteArray &bytes);
    void pollStep();
    void showClock();
    void dispatch(const Frame &f);
    void resendLastSent();
    void markResent();
    void silentUnit();
    void reportOpenFailure(const QString &name);
    void connectDetection(const uint8_t *bytes, int n);
    void finishLoad();

    QString m_programDir;
    Database *m_db;
    BytePort *m_port;
    TimerService *m_timers;
    Clock *m_clock;
    Prompt *m_prompt;

    PointModel m_model;
    QString m_device;
    bool m_portResult = false;
    bool m_openFailureShown = false; // one message per run of failed opens

    Mode m_mode = ModePolling;
    Frame m_pollFrame{};
    Frame m_lastSent{};
    Frame m_switchFrame{};
    std::array<uint8_t, kRxCapacity + 1> m_rx{};
    int m_rxCount = 0;

    bool m_waitForTimer = false;
    uint8_t m_pollCursor = 0;
    QString m_polledName;
    int m_polledPos = 0;
    uint16_t m_idleCounter = 0;
    int m_dialAttempt = 0;
    bool m_dialReady = false;
    bool m_modemConnected = false;
    int m_connTick = 0;
    bool m_awaitingReply = false;
    bool m_switchPending = false;
    int m_retryCount = 0;
    qint64 m_lastSendTick = 0;
    int m_retryDelay = 0;
    qint64 m_switchSentTick = -1; // last send of the queued switch frame
    bool m_recovering = false;
    bool m_closing = false;

    quint32 m_frames = 0;
    quint32 m_badFrames = 0;
    quint32 m_totalBytes = 0;
    bool m_monitorEcho = false;

    std::array<QString, 6> m_panels;
    QStringList m_messages;
    QList<int> m_pendingShots;
};

} // namespace scada
