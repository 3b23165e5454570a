#include "acquisition/ui/DlgReadBlock.h"

#include "acquisition/BlockProgram.h"

#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QVBoxLayout>

namespace scada {

TDlgReadBlock::TDlgReadBlock(QWidget *parent, const QString &unitWord) : QDialog(parent)
{
    setObjectName(QStringLiteral("DlgReadBlock"));
    setWindowTitle(QStringLiteral("Read blocks from %1").arg(unitWord));
    auto *label = new QLabel(QStringLiteral("Waiting..."), this);
    label->setObjectName(QStringLiteral("Label1"));
    m_bar = new QProgressBar(this);
    m_bar->setObjectName(QStringLiteral("iLedBar1"));
    m_bar->setRange(0, BlockProgram::kQueueLength);
    m_bar->setValue(0);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(m_bar);
}

void TDlgReadBlock::follow(BlockProgram &program)
{
    connect(&program, &BlockProgram::progressChanged, this, [this](int position, int maximum) {
        m_bar->setRange(0, maximum);
        m_bar->setValue(position);
    });
    connect(&program, &BlockProgram::programRead, this, &QDialog::close);
    connect(&program, &BlockProgram::readFailed, this, &QDialog::close);
}

TDlgReadBlock *StartProgramRead(QWidget *parent, BlockProgram &program, int address, int unitPosition)
{
    auto *dialog = new TDlgReadBlock(parent);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->follow(program);
    dialog->show();
    QPointer<BlockProgram> p(&program);
    QMetaObject::invokeMethod(&program, [p, address, unitPosition] {
        if (p)
            p->ReadProgram(uint8_t(address), unitPosition);
    }, Qt::QueuedConnection);
    return dialog;
}

} // namespace scada
