#pragma once
// Prompt on real message boxes.

#include "platform/Prompt.h"

class QWidget;

namespace scada {

class MessageBoxPrompt : public Prompt {
public:
    explicit MessageBoxPrompt(QWidget *parent = nullptr) : m_parent(parent) {}
    void setParent(QWidget *parent) { m_parent = parent; }

    void information(const QString &text, const QString &caption = {}) override;
    void warning(const QString &text, const QString &caption = {}) override;
    void error(const QString &text, const QString &caption = {}) override;
    bool yesNo(const QString &text, const QString &caption = {}) override;
    PromptAnswer yesNoCancel(const QString &text, const QString &caption = {}) override;

private:
    QWidget *m_parent;
};

} // namespace scada
