#include "acquisition/ui/ControlCommands.h"

#include "acquisition/ui/DlgReadBlock.h"
#include "acquisition/ui/FormCheckQelPassword.h"
#include "acquisition/ui/FormQelGroupControl.h"

#include <QDir>

namespace scada {

ControlCommands::ControlCommands(QWidget *window, StationRuntime &rt, TimerService &timers, Clock &clock,
                                 Prompt &prompt, Database &db, const QString &programDir, QObject *parent)
    : QObject(parent), m_window(window), m_db(db), m_prompt(prompt), m_programDir(programDir),
      m_remote(rt, timers, clock, prompt), m_blocks(rt, m_remote, timers, prompt, programDir),
      m_batch(rt, timers, clock, prompt, QDir(programDir).filePath(QStringLiteral("QelList.ini")))
{
    m_remote.setPasswordDialog(MakePasswordDialogRunner(window, prompt));
}

int ControlCommands::MonitorSetBatchCtrlCmdExecute(const GroupDialogRunner &run)
{
    return scada::MonitorSetBatchCtrlCmdExecute(m_window, m_db, m_prompt, m_programDir,
                                                [this] { m_batch.MonitorBatchCtrlCmdExecute(); }, run);
}

TDlgReadBlock *ControlCommands::ReadBlocks(int address, int unitPosition)
{
    return StartProgramRead(m_window, m_blocks, address, unitPosition);
}

} // namespace scada
