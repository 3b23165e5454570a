#pragma once
// Reading the function-block program of a unit: the whole program record by
// record (between program-access requests), its analysis into blocks, and
// the re-read of a single block on demand from a block display instrument.

#include "acquisition/Frames.h"
#include "acquisition/PointModel.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <vector>

namespace scada {

class Prompt;
class RemoteControl;
class StationRuntime;
class TimerService;

// Display name of a block type code; empty for codes outside 1..20.
QString BlockTypeName(int code);

struct TAnalyzeResult {
    int number = 0;    // from 1
    int position = 0;  // record index
    uint8_t type = 0;
    uint8_t timeUnit = 0;
    int32_t parameter = 0;
};

// Records occupied by the block starting at record b: 1, or for a "Time
// Clock" (16) 1 + every later record with the same group byte 8.
int SpanOfBlock(const QList<Frame> &records, int b);
// The blocks of a program's records.
std::vector<TAnalyzeResult> AnalyzeRecords(const QList<Frame> &records);
// "B%d [%s]": block number and type name.
QString BlockListLine(const TAnalyzeResult &r);

// What a block display shows for a block: counters the parameter, the
// comparator parameter / 10 with " V", others parameter / 100 with " H",
// " M" or " S" by the time unit (1, 2, 4), else no units text.
struct BlockDisplay {
    double value = 0;
    QString units;
};
BlockDisplay BlockDisplayValue(const TBlockRec &block);

class BlockProgram : public QObject {
    Q_OBJECT
public:
    static constexpr int kQueueLength = 128;

    // control supplies the selection and ReadBlockParam of single reads.
    BlockProgram(StationRuntime &rt, RemoteControl &control, TimerService &timers, Prompt &prompt,
                 const QString &programDir, QObject *parent = nullptr);
    ~BlockProgram() override;

    // --- whole-program read ---------------------------------------------
    // Reads the program of the unit at address; the blocks found replace the
    // block list of unitPosition (none when it is negative). The mode stays
    // program read after the read: the caller resumes acquisition when done.
    void ReadProgram(uint8_t address, int unitPosition);
    void BuildReadQueue(uint8_t address);
    void BeginProgramAccess(uint8_t address);
    void EndProgramAccess(uint8_t address);
    void SendNextRead();
    void HandleProgramReply(const Frame &f);
    int SpanOfBlock(int b) const { return scada::SpanOfBlock(m_records, b); }
    // Analyses the records, appends them to "debug.txt", fills the block list
    // and releases the program access.
    void AnalyzeProgram();
    // Supervision gave up: "Read block error!"; the block list is unchanged.
    void ReadError();

    const QList<Frame> &readQueue() const { return m_queue; }
    const QList<Frame> &records() const { return m_records; }
    const std::vector<TAnalyzeResult> &results() const { return m_results; }
    int readCursor() const { return m_cursor; }
    bool reading() const { return m_reading; }

    // --- single block ---------------------------------------------------
    // Mouse down on a block display: "Are you sure read block ?".
    bool ReadSingleBlock(int reference);
    void HandleBlockReply(const Frame &f);
    void ShowBlockValue(int reference);

signals:
    void progressChanged(int position, int maximum);
    // The read ended with the analysis: the list lines of the blocks found.
    void programRead(int unitPosition, const QStringList &lines);
    // The read failed ("Read block error!" was shown).
    void readFailed();
    // Block displays with this reference show value and units.
    void blockValueShown(int reference, double value, const QString &units);

private:
    StationRuntime &m_rt;
    RemoteControl &m_control;
    TimerService &m_timers;
    Prompt &m_prompt;
    QString m_programDir;

    QList<Frame> m_queue;
    QList<Frame> m_records;
    std::vector<TAnalyzeResult> m_results;
    int m_cursor = 0;
    uint8_t m_address = 0;
    int m_unitPosition = -1;
    bool m_reading = false;
};

} // namespace scada
