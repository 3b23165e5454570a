#pragma once
// The progress window of a whole-program read, and the entry the point
// editor calls to start such a read.

#include <QDialog>

class QProgressBar;

namespace scada {

class BlockProgram;

class TDlgReadBlock : public QDialog {
    Q_OBJECT
public:
    explicit TDlgReadBlock(QWidget *parent = nullptr, const QString &unitWord = QStringLiteral("QEL"));
    // Follows the read: the bar shows the records read; the window closes
    // at the end of the read and when it fails.
    void follow(BlockProgram &program);
    QProgressBar *bar() const { return m_bar; }

private:
    QProgressBar *m_bar;
};

// Shows the progress window (modeless, freed when closed) and starts the
// read of the unit at address once the event loop runs; the blocks found
// replace the block list of unitPosition. Returns the window.
TDlgReadBlock *StartProgramRead(QWidget *parent, BlockProgram &program, int address, int unitPosition);

} // namespace scada
