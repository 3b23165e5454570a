#pragma once
// The group control window: the units of the plant with a check box each,
// and for the opened unit its outputs, each with a check box (takes part)
// and a panel (on or off colour: the state it is switched to). Saves the
// batch to "QelGroup.ini" and "QelList.ini" and asks for the batch to be
// sent.

#include "acquisition/GroupControl.h"
#include "acquisition/ui/Formsetcontrolcolor.h"

#include <QDialog>

#include <array>
#include <functional>

class QCheckBox;
class QLabel;
class QListWidget;
class QPushButton;
class QWidget;

namespace scada {

class Database;
class Prompt;

class TFormQelGroupControl : public QDialog {
    Q_OBJECT
public:
    TFormQelGroupControl(Database &db, Prompt &prompt, const QString &programDir,
                         const QString &unitWord = QStringLiteral("QEL"), QWidget *parent = nullptr);

    // Runs the batch after "Send" has saved it (the main window's batch command).
    void setSendHandler(std::function<void()> fn) { m_send = std::move(fn); }
    // The colour dialog run (tests replace the modal run).
    void setColourDialog(ColourDialogRunner run, ColourChooser chooser = {})
    {
        m_colourRun = std::move(run);
        m_chooser = std::move(chooser);
    }

    // Rebuilds the window from the tables (runs on every show).
    void FormShow();
    // A click in the unit list (also when its check box changes).
    void clbQelNameClick(int row);
    void Point1Click(int output);
    void CheckBox1Click(int output);
    void btnSaveClick();
    void btnSendClick();
    void btnClearClick();
    void SetControlcolor1Click();

    const QList<QelGroupUnit> &units() const { return m_units; }
    bool saved() const { return m_saved; }
    int currentUnit() const { return m_current; }
    ControlColours colours() const { return m_colours; }
    QString currentPointText() const;

protected:
    void showEvent(QShowEvent *e) override;
    void closeEvent(QCloseEvent *e) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void paintPanel(int output, uint32_t colour);
    uint32_t panelColour(int output) const { return m_panelColours[size_t(output)]; }
    void updateSend();
    void showPointName(int output);
    bool save();

    Database &m_db;
    Prompt &m_prompt;
    QString m_programDir;
    QString m_unitWord;
    std::function<void()> m_send;
    ColourDialogRunner m_colourRun;
    ColourChooser m_chooser;

    QList<QelGroupUnit> m_units;
    int m_current = -1;
    bool m_saved = true;
    bool m_filling = false;
    ControlColours m_colours;
    std::array<uint32_t, kGroupMaxOutputs> m_panelColours{};

    QListWidget *m_list;
    QWidget *m_outputArea;
    QLabel *m_name;
    QLabel *m_address;
    QLabel *m_type;
    QLabel *m_currentPoint;
    std::array<QPushButton *, kGroupMaxOutputs> m_panels{};
    std::array<QCheckBox *, kGroupMaxOutputs> m_boxes{};
    std::array<QLabel *, kGroupMaxOutputs> m_pointNames{};
    QPushButton *m_btnSend;
    QPushButton *m_btnSave;
    QPushButton *m_btnClear;
    QPushButton *m_btnClose;
};

// "Set Batch Control": the group window shown modally. run replaces the
// modal run in tests.
using GroupDialogRunner = std::function<int(TFormQelGroupControl &)>;
int MonitorSetBatchCtrlCmdExecute(QWidget *parent, Database &db, Prompt &prompt, const QString &programDir,
                                  std::function<void()> sendBatch, const GroupDialogRunner &run = {});

} // namespace scada
