#pragma once
// A floating frame or list that the operator drags with the mouse: a press
// anywhere on it (not on a child button) and a move carry it along, kept
// inside its parent.

#include <QFrame>
#include <QListWidget>
#include <QMouseEvent>

namespace scada {

template <typename Base> class Draggable : public Base {
public:
    using Base::Base;

protected:
    void mousePressEvent(QMouseEvent *e) override
    {
        if (e->button() == Qt::LeftButton) {
            m_dragging = true;
            m_grab = e->position().toPoint();
        }
        Base::mousePressEvent(e);
    }
    void mouseMoveEvent(QMouseEvent *e) override
    {
        if (m_dragging && (e->buttons() & Qt::LeftButton)) {
            QPoint target = this->mapToParent(e->position().toPoint() - m_grab);
            if (QWidget *p = this->parentWidget()) {
                target.setX(qBound(0, target.x(), qMax(0, p->width() - this->width())));
                target.setY(qBound(0, target.y(), qMax(0, p->height() - this->height())));
            }
            this->move(target);
        }
        Base::mouseMoveEvent(e);
    }
    void mouseReleaseEvent(QMouseEvent *e) override
    {
        m_dragging = false;
        Base::mouseReleaseEvent(e);
    }

private:
    bool m_dragging = false;
    QPoint m_grab;
};

using DragFrame = Draggable<QFrame>;

} // namespace scada
