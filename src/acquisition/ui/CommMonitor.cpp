#include "acquisition/ui/CommMonitor.h"

#include "acquisition/StationRuntime.h"
#include "common/Cp936.h"
#include "platform/Prompt.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFile>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QSaveFile>
#include <QTextDocument>
#include <QVBoxLayout>

namespace scada {

namespace {

QPushButton *button(QWidget *parent, const char *name, const QString &text)
{
    auto *b = new QPushButton(text, parent);
    b->setObjectName(QLatin1String(name));
    return b;
}

QString percentText(quint32 bad, quint32 frames)
{
    if (frames == 0)
        return QStringLiteral("0");
    return QString::number(double(bad) / double(frames) * 100.0, 'g', 15);
}

} // namespace

TFormTongXun::TFormTongXun(StationRuntime &rt, Prompt *prompt, QWidget *parent)
    : QDialog(parent), m_rt(rt), m_prompt(prompt)
{
    setObjectName(QStringLiteral("FormTongXun"));
    setWindowTitle(QStringLiteral("Source Code"));

    auto *fields = new QFormLayout;
    auto add = [&](const char *name, const QString &label) {
        auto *e = new QLineEdit(this);
        e->setObjectName(QLatin1String(name));
        e->setReadOnly(true);
        fields->addRow(label, e);
        return e;
    };
    m_frames = add("EditFrames", QStringLiteral("Frames"));
    m_errors = add("EditErrors", QStringLiteral("Errors"));
    m_percent = add("EditPercent", QStringLiteral("Percent(%)"));
    m_chars = add("EditChars", QStringLiteral("Chars"));
    m_length = add("EditLength", QStringLiteral("Length"));
    m_checked = add("EditChecked", QStringLiteral("Checked"));
    m_com = add("EditCom", QStringLiteral("COM:"));

    m_memo = new QPlainTextEdit(this);
    m_memo->setObjectName(QStringLiteral("Memo1"));
    m_memo->setReadOnly(true);
    m_memo->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_memo->setEnabled(false);

    m_stop = new QCheckBox(QStringLiteral("Stop"), this);
    m_stop->setObjectName(QStringLiteral("CheckBox1"));
    connect(m_stop, &QCheckBox::clicked, this, [this] { CheckBox1Click(); });

    auto *doc = new QGroupBox(QStringLiteral("Doc"), this);
    doc->setObjectName(QStringLiteral("GroupBox1"));
    auto *docRow = new QHBoxLayout(doc);
    QPushButton *save = button(doc, "BitBtn1", QStringLiteral("Save"));
    QPushButton *print = button(doc, "BitBtn2", QStringLiteral("Print"));
    QPushButton *clear = button(doc, "BitBtn3", QStringLiteral("Clear"));
    QPushButton *load = button(doc, "BitBtn5", QStringLiteral("Load"));
    for (QPushButton *b : {save, print, clear, load})
        docRow->addWidget(b);
    connect(save, &QPushButton::clicked, this, [this] { BitBtn1Click(); });
    connect(print, &QPushButton::clicked, this, [this] { BitBtn2Click(); });
    connect(clear, &QPushButton::clicked, this, [this] { BitBtn3Click(); });
    connect(load, &QPushButton::clicked, this, [this] { BitBtn5Click(); });
    QPushButton *close = button(this, "BitBtn4", QStringLiteral("Close"));
    connect(close, &QPushButton::clicked, this, &QDialog::accept);

    auto *side = new QVBoxLayout;
    side->addLayout(fields);
    side->addWidget(m_stop);
    side->addWidget(doc);
    side->addStretch(1);
    side->addWidget(close);
    auto *layout = new QHBoxLayout(this);
    layout->addWidget(m_memo, 1);
    layout->addLayout(side);
    setFixedSize(720, 420);

    m_io.saveFileName = [](QWidget *p) { return QFileDialog::getSaveFileName(p, QStringLiteral("Save")); };
    m_io.openFileName = [](QWidget *p) { return QFileDialog::getOpenFileName(p, QStringLiteral("Load")); };
    m_io.print = [](QWidget *p, QTextDocument &d) { PrintDocument(p, d, printTitle()); };

    connect(&m_rt, &StationRuntime::monitorFrame, this,
            [this](const QString &text, int length, quint8 sum) { UpdateCommMonitor(length, text, sum); });
    connect(&m_rt, &StationRuntime::badFramesChanged, this, [this](quint32 bad) {
        m_errors->setText(QString::number(bad));
        m_com->setText(m_rt.portName());
    });
    showCounters();
}

void TFormTongXun::showCounters()
{
    m_frames->setText(QString::number(m_rt.framesCount()));
    m_errors->setText(QString::number(m_rt.badFramesCount()));
    m_percent->setText(percentText(m_rt.badFramesCount(), m_rt.framesCount()));
    m_chars->setText(QString::number(m_rt.totalBytes()));
    m_com->setText(m_rt.portName());
}

void TFormTongXun::UpdateCommMonitor(int length, const QString &line, quint8 checksum)
{
    // The runtime has counted the frame already.
    showCounters();
    m_length->setText(QString::number(length));
    m_checked->setText(QStringLiteral("%1").arg(checksum, 2, 16, QLatin1Char('0')).toUpper());
    if (!m_logging)
        return;
    if (m_memo->blockCount() >= kLineLimit)
        m_memo->clear();
    m_memo->appendPlainText(line);
}

void TFormTongXun::showEvent(QShowEvent *event)
{
    m_memo->setEnabled(true);
    m_logging = !m_stop->isChecked();
    QDialog::showEvent(event);
}

void TFormTongXun::closeEvent(QCloseEvent *event)
{
    m_memo->setEnabled(false);
    m_logging = false;
    QDialog::closeEvent(event);
}

void TFormTongXun::done(int r)
{
    m_memo->setEnabled(false);
    m_logging = false;
    QDialog::done(r);
}

void TFormTongXun::CheckBox1Click()
{
    m_logging = !m_logging;
}

void TFormTongXun::BitBtn1Click()
{
    const QString name = m_io.saveFileName ? m_io.saveFileName(this) : QString();
    if (name.isEmpty())
        return;
    QSaveFile f(name);
    QByteArray bytes = toCp936(m_memo->toPlainText());
    if (!bytes.isEmpty())
        bytes += "\r\n";
    bytes.replace("\n", "\r\n").replace("\r\r\n", "\r\n");
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size() || !f.commit()) {
        if (m_prompt)
            m_prompt->error(QStringLiteral("Cannot create file \"%1\". %2").arg(name, f.errorString()));
    }
}

void TFormTongXun::BitBtn2Click()
{
    if (!m_io.print)
        return;
    QTextDocument doc;
    doc.setPlainText(m_memo->toPlainText());
    doc.setMetaInformation(QTextDocument::DocumentTitle, printTitle());
    m_io.print(this, doc);
}

void TFormTongXun::BitBtn3Click()
{
    m_memo->clear();
}

void TFormTongXun::BitBtn5Click()
{
    const QString name = m_io.openFileName ? m_io.openFileName(this) : QString();
    if (name.isEmpty())
        return;
    QFile f(name);
    if (!f.open(QIODevice::ReadOnly)) {
        if (m_prompt)
            m_prompt->error(QStringLiteral("Cannot open file \"%1\". %2").arg(name, f.errorString()));
        return;
    }
    QString text = fromCp936(f.readAll());
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    if (text.endsWith(QLatin1Char('\n')))
        text.chop(1);
    m_memo->clear();
    m_memo->setPlainText(text);
}

void MonitorCommStateCmdExecute(QWidget *parent, StationRuntime &rt, Prompt *prompt)
{
    TFormTongXun form(rt, prompt, parent);
    form.exec();
}

void PrintDocument(QWidget *parent, QTextDocument &doc, const QString &title,
                   const std::function<QString(QWidget *parent)> &pdfFileName)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(title);
    if (QPrinterInfo::availablePrinterNames().isEmpty()) {
        const QString name = pdfFileName ? pdfFileName(parent)
                                         : QFileDialog::getSaveFileName(parent, QStringLiteral("Print to PDF"),
                                                                        title + QStringLiteral(".pdf"),
                                                                        QStringLiteral("PDF (*.pdf)"));
        if (name.isEmpty())
            return;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(name);
        doc.print(&printer);
        return;
    }
    QPrintDialog dialog(&printer, parent);
    if (dialog.exec() == QDialog::Accepted)
        doc.print(&printer);
}

void AttachMemocomm(StationRuntime &rt, QPlainTextEdit *memo)
{
    if (!memo)
        return;
    auto *menu = new QMenu(memo);
    menu->setObjectName(QStringLiteral("PopupMenuComm"));
    QAction *toggle = menu->addAction(QStringLiteral("showmessage"));
    toggle->setObjectName(QStringLiteral("showmessage1"));
    toggle->setCheckable(true);
    toggle->setChecked(rt.monitorEcho());
    QObject::connect(toggle, &QAction::triggered, &rt, [rt = &rt, toggle] {
        rt->setMonitorEcho(!rt->monitorEcho());
        toggle->setChecked(rt->monitorEcho());
    });
    memo->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(memo, &QWidget::customContextMenuRequested, menu,
                     [memo, menu](const QPoint &at) { menu->popup(memo->mapToGlobal(at)); });
    QObject::connect(&rt, &StationRuntime::monitorLine, memo, [memo](const QString &line) { memo->appendPlainText(line); });
}

} // namespace scada
