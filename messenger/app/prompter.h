#pragma once
// How the session asks a person something. The widget layer answers with message and input
// boxes; tests answer with scripted replies. The session holds the receive queue around
// every call (`boxopen`), exactly as around a modal box.
#include <QString>

class Prompter
{
public:
    enum class Answer { Ok, Yes, No, Cancel };

    virtual ~Prompter() = default;
    // An information box with an OK button.
    virtual void message(const QString &text, const QString &title) = 0;
    // A Yes/No (or Yes/No/Cancel) question.
    virtual Answer question(const QString &text, const QString &title, bool withCancel) = 0;
    // An input box; false when cancelled.
    virtual bool input(const QString &prompt, const QString &title, const QString &defaultText,
                       QString *answer) = 0;
};

// Answers every box without a person: OK, No, and the default text. Used where no screen
// is wanted (a copy started for the office tests) and as the fallback of a test.
class SilentPrompter final : public Prompter
{
public:
    void message(const QString &, const QString &) override {}
    Answer question(const QString &, const QString &, bool) override { return Answer::No; }
    bool input(const QString &, const QString &, const QString &defaultText, QString *answer) override
    {
        *answer = defaultText;
        return true;
    }
};
