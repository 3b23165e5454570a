#include "app/CoverForm.h"

#include <QApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QScreen>

namespace scada {

TFormCover::TFormCover(QWidget *parent) : QWidget(parent, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::SplashScreen)
{
    setObjectName(QStringLiteral("FormCover"));
    resize(480, 260);
    if (QScreen *s = QGuiApplication::primaryScreen())
        move(s->availableGeometry().center() - rect().center());
}

void TFormCover::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    QLinearGradient g(0, 0, 0, height());
    g.setColorAt(0, QColor(0x1d, 0x35, 0x57));
    g.setColorAt(1, QColor(0x45, 0x7b, 0x9d));
    p.fillRect(rect(), g);
    QApplication::windowIcon().paint(&p, QRect(24, 24, 72, 72));
    p.setPen(Qt::white);
    QFont f = font();
    f.setPointSize(24);
    f.setBold(true);
    p.setFont(f);
    p.drawText(QRect(112, 24, width() - 130, 48), Qt::AlignVCenter, QStringLiteral("Scada System"));
    f.setPointSize(11);
    f.setBold(false);
    p.setFont(f);
    p.drawText(QRect(112, 72, width() - 130, 24), Qt::AlignVCenter,
               QStringLiteral("Master station for QEL field controllers"));
    p.drawText(QRect(24, height() - 40, width() - 48, 24), Qt::AlignRight | Qt::AlignVCenter,
               QStringLiteral("Starting ..."));
}

} // namespace scada
