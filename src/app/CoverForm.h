#pragma once
// The cover shown while the program starts: borderless, on top, centred.

#include <QWidget>

namespace scada {

class TFormCover : public QWidget {
    Q_OBJECT
public:
    explicit TFormCover(QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
};

} // namespace scada
