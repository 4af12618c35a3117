#pragma once
// How the session asks a person something. The widget layer answers with message and input
// boxes; tests answer with scripted replies. The session holds the receive queue around
// every call (`boxopen`), exactly as around a modal box.
#include <QString>

#include <cstdio>

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
// is wanted (a copy started for the office tests) and as the fallback of a test. A copy run
// that way writes each box as one line to `report`, so that what it would have shown (why it
// ended, say) is not lost.
class SilentPrompter final : public Prompter
{
public:
    // `report`: where the boxes are written (stderr for a program); nowhere when null.
    explicit SilentPrompter(std::FILE *report = nullptr) : report_(report) {}

    void message(const QString &text, const QString &title) override;
    Answer question(const QString &text, const QString &title, bool withCancel) override;
    bool input(const QString &prompt, const QString &title, const QString &defaultText,
               QString *answer) override;

private:
    void tell(const QString &title, const QString &text) const;

    std::FILE *report_;
};
