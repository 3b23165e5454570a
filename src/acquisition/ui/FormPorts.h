#pragma once
// The port choice: the "Select Com" dialog listing the usable ports, and the
// flow of the "Seleted COM" command that writes the chosen port into the
// station record and restarts acquisition on it.

#include <QDialog>

#include <functional>

class QComboBox;

namespace scada {

class Database;
class Prompt;
class StationRuntime;

class TFormports : public QDialog {
    Q_OBJECT
public:
    explicit TFormports(const QString &programDir, QWidget *parent = nullptr);

    // Fills ComboBoxports with COM1..COM16 whose device exists and opens
    // exclusively now; the first entry is selected. Runs on every show.
    void ListPorts();
    // The selected entry ("COM3"), empty when nothing is selected.
    QString selectedPort() const;

protected:
    void showEvent(QShowEvent *event) override;

private:
    QString m_programDir;
    QComboBox *m_ports;
};

// Runs the dialog modally; tests replace it to choose and close it.
using PortDialogRunner = std::function<int(TFormports &)>;

// The "Seleted COM" command. Without a station record it is refused with a
// message and nothing changes (false). Otherwise acquisition is paused, the
// dialog shown; OK with a selected "COMn" writes CommNo = n-1 and
// QuDong = "COMn" into the first MainTable row. On OK and Cancel alike the
// model is reloaded and acquisition resumed (true).
bool SeletedCOMM1Click(QWidget *parent, StationRuntime &rt, Database &db, Prompt &prompt,
                       const QString &programDir, const PortDialogRunner &run = {});

} // namespace scada
