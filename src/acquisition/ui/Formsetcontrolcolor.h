#pragma once
// The control colour dialog: the colour of a control that is on ("From Off
// to On") and of one that is off ("From On to Off").

#include "acquisition/GroupControl.h"

#include <QColor>
#include <QDialog>

#include <functional>
#include <optional>

class QFrame;

namespace scada {

// Asks for a colour starting from the given one; empty when cancelled.
using ColourChooser = std::function<std::optional<QColor>(const QColor &initial, QWidget *parent)>;

class TFormsetcontrolcolor : public QDialog {
    Q_OBJECT
public:
    // chooser: the colour chooser of the two "Set" buttons (a QColorDialog
    // when empty).
    explicit TFormsetcontrolcolor(QWidget *parent = nullptr, ColourChooser chooser = {});

    void setColours(const ControlColours &c);
    // The colours the two panels show.
    ControlColours colours() const;

    void Button1Click();
    void Button2Click();

private:
    void paint(QFrame *panel, uint32_t value);
    ColourChooser m_chooser;
    QFrame *m_offToOn;
    QFrame *m_onToOff;
    uint32_t m_on = 255;
    uint32_t m_off = 65280;
};

// The calling order of the group window: the dialog for one use, set to the
// current colours, shown modally; only OK takes the colours over. exec
// replaces the modal run in tests. True when the colours were taken over.
using ColourDialogRunner = std::function<int(TFormsetcontrolcolor &)>;
bool EditControlColours(QWidget *parent, ControlColours &colours, const ColourDialogRunner &exec = {},
                        ColourChooser chooser = {});

} // namespace scada
