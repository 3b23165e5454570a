#pragma once
// The operator control commands of the main window in one place: switch
// commands with the password dialog, knob parameter writes, single block
// reads, the whole-program read of the point editor, the clock of all units,
// and group/batch control. The main window owns one, beside its runtime,
// and forwards its commands and the live picture's instrument events here.

#include "acquisition/BlockProgram.h"
#include "acquisition/GroupControl.h"
#include "acquisition/RemoteControl.h"
#include "acquisition/ui/FormQelGroupControl.h"

#include <QObject>
#include <QPointer>

class QWidget;

namespace scada {

class Clock;
class Database;
class Prompt;
class StationRuntime;
class TDlgReadBlock;
class TimerService;

class ControlCommands : public QObject {
    Q_OBJECT
public:
    // window: the parent of the dialogs. The files of the batch and the
    // colours live in programDir.
    ControlCommands(QWidget *window, StationRuntime &rt, TimerService &timers, Clock &clock, Prompt &prompt,
                    Database &db, const QString &programDir, QObject *parent = nullptr);

    RemoteControl &remote() { return m_remote; }
    BlockProgram &blocks() { return m_blocks; }
    BatchControl &batch() { return m_batch; }

    // "Set %s time".
    bool SysSetTimeCmdExecute() { return m_remote.SysSetTimeCmdExecute(); }
    // "Set Batch Control": the group window, modally; its "Send" runs the
    // batch. run replaces the modal run in tests.
    int MonitorSetBatchCtrlCmdExecute(const GroupDialogRunner &run = {});
    // "BatchControl".
    bool MonitorBatchCtrlCmdExecute() { return m_batch.MonitorBatchCtrlCmdExecute(); }
    // "Read blocks" of the point editor: the progress window and the read of
    // the unit at address into the block list of unitPosition. The editor
    // resumes acquisition when it closes (the mode stays program read).
    TDlgReadBlock *ReadBlocks(int address, int unitPosition);

private:
    QPointer<QWidget> m_window;
    Database &m_db;
    Prompt &m_prompt;
    QString m_programDir;
    RemoteControl m_remote;
    BlockProgram m_blocks;
    BatchControl m_batch;
};

} // namespace scada
