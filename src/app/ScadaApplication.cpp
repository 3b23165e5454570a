#include "app/ScadaApplication.h"

#include "history/ui/GlobalExHandler.h"

namespace scada {

ScadaApplication::ScadaApplication(int &argc, char **argv) : QApplication(argc, argv) {}

bool ScadaApplication::notify(QObject *receiver, QEvent *event)
{
    return deliverGuarded(m_handler, receiver,
                          [&] { return QApplication::notify(receiver, event); });
}

} // namespace scada
