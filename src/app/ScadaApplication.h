#pragma once
// The application object. Its notify hands every exception that escapes an
// event handler to the installed program-wide exception handler, which
// shows and logs it; event delivery then carries on.

#include <QApplication>

namespace scada {

class TGlobalExHandler;

class ScadaApplication : public QApplication {
    Q_OBJECT
public:
    ScadaApplication(int &argc, char **argv);

    // The handler for escaped exceptions (not owned); nullptr reports them on
    // stderr only.
    void setExceptionHandler(TGlobalExHandler *handler) { m_handler = handler; }
    TGlobalExHandler *exceptionHandler() const { return m_handler; }

    bool notify(QObject *receiver, QEvent *event) override;

private:
    TGlobalExHandler *m_handler = nullptr;
};

} // namespace scada
