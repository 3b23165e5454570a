#include "platform/ui/MessageBoxPrompt.h"

#include <QApplication>
#include <QMessageBox>

namespace scada {

namespace {
QString captionOr(const QString &caption)
{
    return caption.isEmpty() ? QApplication::applicationDisplayName() : caption;
}
} // namespace

void MessageBoxPrompt::information(const QString &text, const QString &caption)
{
    QMessageBox::information(m_parent, captionOr(caption), text);
}

void MessageBoxPrompt::warning(const QString &text, const QString &caption)
{
    QMessageBox::warning(m_parent, captionOr(caption), text);
}

void MessageBoxPrompt::error(const QString &text, const QString &caption)
{
    QMessageBox::critical(m_parent, captionOr(caption), text);
}

bool MessageBoxPrompt::yesNo(const QString &text, const QString &caption)
{
    return QMessageBox::question(m_parent, captionOr(caption), text, QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) == QMessageBox::Yes;
}

PromptAnswer MessageBoxPrompt::yesNoCancel(const QString &text, const QString &caption)
{
    auto r = QMessageBox::question(m_parent, captionOr(caption), text,
                                   QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Cancel);
    if (r == QMessageBox::Yes)
        return PromptAnswer::Yes;
    if (r == QMessageBox::No)
        return PromptAnswer::No;
    return PromptAnswer::Cancel;
}

} // namespace scada
