#include "platform/Prompt.h"

namespace scada {

void FakePrompt::information(const QString &text, const QString &caption)
{
    shown.append({PromptKind::Information, text, caption});
}

void FakePrompt::warning(const QString &text, const QString &caption)
{
    shown.append({PromptKind::Warning, text, caption});
}

void FakePrompt::error(const QString &text, const QString &caption)
{
    shown.append({PromptKind::Error, text, caption});
}

PromptAnswer FakePrompt::next()
{
    return answers.isEmpty() ? defaultAnswer : answers.takeFirst();
}

bool FakePrompt::yesNo(const QString &text, const QString &caption)
{
    shown.append({PromptKind::YesNo, text, caption});
    return next() == PromptAnswer::Yes;
}

PromptAnswer FakePrompt::yesNoCancel(const QString &text, const QString &caption)
{
    shown.append({PromptKind::YesNoCancel, text, caption});
    return next();
}

QStringList FakePrompt::texts() const
{
    QStringList out;
    for (const auto &e : shown)
        out << e.text;
    return out;
}

} // namespace scada
