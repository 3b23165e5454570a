#include "acquisition/ui/FormPorts.h"

#include "acquisition/StationRuntime.h"
#include "common/Errors.h"
#include "platform/Prompt.h"
#include "platform/SerialBytePort.h"
#include "store/Database.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace scada {

TFormports::TFormports(const QString &programDir, QWidget *parent)
    : QDialog(parent), m_programDir(programDir), m_ports(new QComboBox(this))
{
    setObjectName(QStringLiteral("Formports"));
    setWindowTitle(QStringLiteral("Select Com"));
    auto *label = new QLabel(QStringLiteral("COM "), this);
    label->setObjectName(QStringLiteral("Label1"));
    m_ports->setObjectName(QStringLiteral("ComboBoxports"));
    m_ports->setMinimumWidth(120);
    auto *row = new QHBoxLayout;
    row->addWidget(label);
    row->addWidget(m_ports, 1);

    auto *buttons = new QDialogButtonBox(this);
    QPushButton *ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("BitBtnOK"));
    QPushButton *cancel = buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("BitBtnCancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(buttons);
}

void TFormports::ListPorts()
{
    m_ports->clear();
    m_ports->addItems(ListUsablePorts(m_programDir));
    m_ports->setCurrentIndex(m_ports->count() > 0 ? 0 : -1);
}

QString TFormports::selectedPort() const
{
    return m_ports->currentIndex() >= 0 ? m_ports->currentText() : QString();
}

void TFormports::showEvent(QShowEvent *event)
{
    ListPorts();
    QDialog::showEvent(event);
}

bool SeletedCOMM1Click(QWidget *parent, StationRuntime &rt, Database &db, Prompt &prompt,
                       const QString &programDir, const PortDialogRunner &run)
{
    if (!db.isOpen() || db.recordCount(QStringLiteral("MainTable")) < 1) {
        prompt.warning(QStringLiteral("No station is defined: create the station first."));
        return false;
    }
    rt.PauseAcquisition();
    {
        TFormports dialog(programDir, parent);
        const int result = run ? run(dialog) : dialog.exec();
        const QString chosen = dialog.selectedPort();
        const int n = ComPortNumber(chosen);
        if (result == QDialog::Accepted && n > 0) {
            try {
                db.update(QStringLiteral("MainTable"),
                          {{QStringLiteral("CommNo"), n - 1}, {QStringLiteral("QuDong"), QStringLiteral("COM%1").arg(n)}},
                          QStringLiteral("rowid = (SELECT min(rowid) FROM MainTable)"));
            } catch (const ScadaError &e) {
                prompt.error(e.message());
            }
        }
    }
    rt.ResumeAcquisition();
    return true;
}

} // namespace scada
