#pragma once
// The communication monitor window ("Source Code"): frame and error
// counters, the received frames as text, save/load/clear/print of that
// text; and the echo memo of the main window (Memocomm) with its
// "showmessage" pop-up entry.

#include <QDialog>

#include <functional>

class QCheckBox;
class QLineEdit;
class QPlainTextEdit;
class QTextDocument;

namespace scada {

class Prompt;
class StationRuntime;

// File choice and printing, replaceable in tests. An empty file name means
// the user cancelled.
struct MonitorIo {
    std::function<QString(QWidget *parent)> saveFileName;
    std::function<QString(QWidget *parent)> openFileName;
    // Prints the document; the default shows the print dialog, or asks for a
    // PDF file when no printer is installed.
    std::function<void(QWidget *parent, QTextDocument &doc)> print;
};

class TFormTongXun : public QDialog {
    Q_OBJECT
public:
    static constexpr int kLineLimit = 100;

    // Shows the runtime's counters and follows its frames while it exists.
    TFormTongXun(StationRuntime &rt, Prompt *prompt = nullptr, QWidget *parent = nullptr);

    void setIo(const MonitorIo &io) { m_io = io; }
    bool logging() const { return m_logging; }

    // One handled frame: counters, fields and (while logging) a text line.
    void UpdateCommMonitor(int length, const QString &line, quint8 checksum);

    void BitBtn1Click(); // Save
    void BitBtn2Click(); // Print
    void BitBtn3Click(); // Clear
    void BitBtn5Click(); // Load
    void CheckBox1Click();

    // The document title of a printout.
    static QString printTitle() { return QStringLiteral("My Docment"); }

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void done(int r) override;

private:
    void showCounters();

    StationRuntime &m_rt;
    Prompt *m_prompt;
    MonitorIo m_io;
    bool m_logging = false;
    QLineEdit *m_frames, *m_errors, *m_percent, *m_chars, *m_length, *m_checked, *m_com;
    QPlainTextEdit *m_memo;
    QCheckBox *m_stop;
};

// The "Communication" command: the monitor, modal.
void MonitorCommStateCmdExecute(QWidget *parent, StationRuntime &rt, Prompt *prompt = nullptr);

// Prints a document through the print dialog, or into a PDF file chosen by
// the user when the system has no printer (pdfFileName replaces the file
// dialog; an empty name cancels).
void PrintDocument(QWidget *parent, QTextDocument &doc, const QString &title,
                   const std::function<QString(QWidget *parent)> &pdfFileName = {});

// Attaches the echo memo of the main window: its pop-up menu gets the
// checkable entry "showmessage" toggling the runtime's echo (off at start),
// and every echo line of the runtime is added to the memo.
void AttachMemocomm(StationRuntime &rt, QPlainTextEdit *memo);

} // namespace scada
