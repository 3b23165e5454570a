#include "acquisition/ui/Formsetcontrolcolor.h"

#include "common/Colour.h"

#include <QColorDialog>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace scada {

TFormsetcontrolcolor::TFormsetcontrolcolor(QWidget *parent, ColourChooser chooser)
    : QDialog(parent), m_chooser(std::move(chooser))
{
    setObjectName(QStringLiteral("Formsetcontrolcolor"));
    setWindowTitle(QStringLiteral("set control color "));
    if (!m_chooser)
        m_chooser = [](const QColor &initial, QWidget *p) -> std::optional<QColor> {
            const QColor c = QColorDialog::getColor(initial, p);
            return c.isValid() ? std::optional<QColor>(c) : std::nullopt;
        };

    auto makeGroup = [this](const QString &title, const QString &panelName, const QString &buttonName,
                            QFrame *&panel, void (TFormsetcontrolcolor::*slot)()) {
        auto *box = new QGroupBox(title, this);
        panel = new QFrame(box);
        panel->setObjectName(panelName);
        panel->setFrameShape(QFrame::Panel);
        panel->setFrameShadow(QFrame::Sunken);
        panel->setMinimumSize(60, 24);
        panel->setAutoFillBackground(true);
        auto *set = new QPushButton(QStringLiteral("Set"), box);
        set->setObjectName(buttonName);
        connect(set, &QPushButton::clicked, this, slot);
        auto *row = new QHBoxLayout(box);
        row->addWidget(panel, 1);
        row->addWidget(set);
        return box;
    };
    QGroupBox *on = makeGroup(QStringLiteral("From Off to On color"), QStringLiteral("Panelofftoon"),
                              QStringLiteral("Button1"), m_offToOn, &TFormsetcontrolcolor::Button1Click);
    QGroupBox *off = makeGroup(QStringLiteral("Fron On to Off  color"), QStringLiteral("Panelontooff"),
                               QStringLiteral("Button2"), m_onToOff, &TFormsetcontrolcolor::Button2Click);

    auto *ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("BitBtn1"));
    ok->setDefault(true);
    auto *cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("BitBtn2"));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(on);
    layout->addWidget(off);
    layout->addLayout(buttons);
    setColours(ControlColours());
}

void TFormsetcontrolcolor::paint(QFrame *panel, uint32_t value)
{
    QPalette pal = panel->palette();
    pal.setColor(QPalette::Window, toQColor(value));
    panel->setPalette(pal);
}

void TFormsetcontrolcolor::setColours(const ControlColours &c)
{
    m_on = c.on;
    m_off = c.off;
    paint(m_offToOn, m_on);
    paint(m_onToOff, m_off);
}

ControlColours TFormsetcontrolcolor::colours() const
{
    return ControlColours{m_on, m_off};
}

void TFormsetcontrolcolor::Button1Click()
{
    if (const std::optional<QColor> c = m_chooser(toQColor(m_on), this)) {
        m_on = fromQColor(*c);
        paint(m_offToOn, m_on);
    }
}

void TFormsetcontrolcolor::Button2Click()
{
    if (const std::optional<QColor> c = m_chooser(toQColor(m_off), this)) {
        m_off = fromQColor(*c);
        paint(m_onToOff, m_off);
    }
}

bool EditControlColours(QWidget *parent, ControlColours &colours, const ColourDialogRunner &exec,
                        ColourChooser chooser)
{
    TFormsetcontrolcolor dialog(parent, std::move(chooser));
    dialog.setColours(colours);
    const int result = exec ? exec(dialog) : dialog.exec();
    if (result != QDialog::Accepted)
        return false;
    colours = dialog.colours();
    return true;
}

} // namespace scada
