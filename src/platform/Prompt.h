#pragma once
// Message boxes and confirmations. Every fixed text the operator is shown
// goes through one Prompt; production shows real message boxes
// (MessageBoxPrompt, platform/ui), tests install a FakePrompt that records
// every text and answers from a queue.

#include <QList>
#include <QString>

namespace scada {

enum class PromptKind { Information, Warning, Error, YesNo, YesNoCancel };
enum class PromptAnswer { Ok, Yes, No, Cancel };

class Prompt {
public:
    virtual ~Prompt() = default;
    // A plain message (an empty caption means the application title).
    virtual void information(const QString &text, const QString &caption = {}) = 0;
    virtual void warning(const QString &text, const QString &caption = {}) = 0;
    virtual void error(const QString &text, const QString &caption = {}) = 0;
    // true on Yes.
    virtual bool yesNo(const QString &text, const QString &caption = {}) = 0;
    virtual PromptAnswer yesNoCancel(const QString &text, const QString &caption = {}) = 0;
};

class FakePrompt : public Prompt {
public:
    struct Entry {
        PromptKind kind;
        QString text;
        QString caption;
    };

    void information(const QString &text, const QString &caption = {}) override;
    void warning(const QString &text, const QString &caption = {}) override;
    void error(const QString &text, const QString &caption = {}) override;
    bool yesNo(const QString &text, const QString &caption = {}) override;
    PromptAnswer yesNoCancel(const QString &text, const QString &caption = {}) override;

    // Answers for the next questions, in order; with none queued a question
    // is answered with defaultAnswer.
    void queue(PromptAnswer a) { answers.append(a); }

    QStringList texts() const;
    QString lastText() const { return shown.isEmpty() ? QString() : shown.last().text; }
    bool saw(const QString &text) const { return texts().contains(text); }
    void clear() { shown.clear(); }

    QList<Entry> shown;
    QList<PromptAnswer> answers;
    PromptAnswer defaultAnswer = PromptAnswer::No;

private:
    PromptAnswer next();
};

} // namespace scada
