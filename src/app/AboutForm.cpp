#include "app/AboutForm.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QUrl>
#include <QVBoxLayout>

namespace scada {

const QList<MakerBlock> &TFormAbout::makerBlocks()
{
    static const QList<MakerBlock> blocks = {
        {QStringLiteral("Scada System project team"), QStringLiteral("https://scada-system.example.org"),
         QStringLiteral("https://scada-system.example.org/support"), QStringLiteral("support@scada-system.example.org")},
        {QStringLiteral("Scada System integrators"), QStringLiteral("https://scada-system.example.org/partners"),
         QStringLiteral("https://scada-system.example.org/docs"), QStringLiteral("partners@scada-system.example.org")},
    };
    return blocks;
}

TFormAbout::TFormAbout(const QString &unitWord, int branding, QWidget *parent)
    : QDialog(parent), m_unitWord(unitWord), m_branding(branding)
{
    setObjectName(QStringLiteral("FormAbout"));
    setWindowTitle(QStringLiteral("About this system"));
    setModal(true);
    openLink = [](const QString &link) { QDesktopServices::openUrl(QUrl(link)); };

    auto *icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("ProgramIcon"));
    icon->setPixmap(QApplication::windowIcon().pixmap(64, 64));
    icon->setAlignment(Qt::AlignTop);

    m_product = new QLabel(this);
    m_product->setObjectName(QStringLiteral("ProductName"));
    QFont big = m_product->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setBold(true);
    m_product->setFont(big);
    m_version = new QLabel(QStringLiteral("Version: %1").arg(QStringLiteral("3.36")), this);
    m_version->setObjectName(QStringLiteral("Version"));
    m_company = new QLabel(this);
    m_company->setObjectName(QStringLiteral("Company"));

    m_linkPanel = new QWidget(this);
    m_linkPanel->setObjectName(QStringLiteral("Panel1"));
    m_linkPanel->setMouseTracking(true);
    m_linkPanel->installEventFilter(this);
    auto *links = new QVBoxLayout(m_linkPanel);
    links->setContentsMargins(8, 8, 8, 8);
    m_web1 = new QLabel(m_linkPanel);
    m_web1->setObjectName(QStringLiteral("WebLabel1"));
    m_web2 = new QLabel(m_linkPanel);
    m_web2->setObjectName(QStringLiteral("WebLabel2"));
    m_mail = new QLabel(m_linkPanel);
    m_mail->setObjectName(QStringLiteral("MailLabel"));
    for (QLabel *l : {m_web1, m_web2, m_mail}) {
        l->setCursor(Qt::PointingHandCursor);
        l->setMouseTracking(true);
        l->installEventFilter(this);
        setLinkStyle(l, false);
        links->addWidget(l);
    }

    auto *text = new QVBoxLayout;
    text->addWidget(m_product);
    text->addWidget(m_version);
    text->addWidget(m_company);
    text->addWidget(m_linkPanel);
    auto *top = new QHBoxLayout;
    top->addWidget(icon);
    top->addLayout(text, 1);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("OKButton"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(buttons);
    setFixedSize(sizeHint().expandedTo(QSize(420, 240)));
}

void TFormAbout::showEvent(QShowEvent *event)
{
    m_product->setText(QStringLiteral("Scada for  %1 ").arg(m_unitWord));
    const auto &blocks = makerBlocks();
    const MakerBlock &b = blocks.value(m_branding, blocks.first());
    m_company->setText(b.company);
    m_web1->setText(b.web1);
    m_web2->setText(b.web2);
    m_mail->setText(b.mail);
    if (QScreen *s = screen())
        move(s->availableGeometry().center() - rect().center());
    QDialog::showEvent(event);
}

void TFormAbout::setLinkStyle(QLabel *label, bool hot)
{
    QFont f = label->font();
    f.setBold(true);
    f.setUnderline(hot);
    label->setFont(f);
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, hot ? QColor(Qt::blue) : palette().color(QPalette::WindowText));
    label->setPalette(p);
}

bool TFormAbout::eventFilter(QObject *watched, QEvent *event)
{
    auto *label = qobject_cast<QLabel *>(watched);
    if (event->type() == QEvent::Enter || event->type() == QEvent::MouseMove) {
        if (label) {
            setLinkStyle(label, true);
        } else if (watched == m_linkPanel) {
            for (QLabel *l : {m_web1, m_web2, m_mail})
                setLinkStyle(l, false);
        }
    } else if (event->type() == QEvent::Leave && label) {
        setLinkStyle(label, false);
    } else if (event->type() == QEvent::MouseButtonRelease && label) {
        if (label == m_mail)
            openLink(QStringLiteral("mailto:") + label->text());
        else
            openLink(label->text());
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace scada
