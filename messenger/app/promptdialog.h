#pragma once
// Asks the person at the screen: modal message and input boxes with the program's caption.
#include "messenger/app/prompter.h"

class QWidget;

class PromptDialog final : public Prompter
{
public:
    explicit PromptDialog(QWidget *parent = nullptr) : parent_(parent) {}
    void setParent(QWidget *parent) { parent_ = parent; }

    void message(const QString &text, const QString &title) override;
    Answer question(const QString &text, const QString &title, bool withCancel) override;
    bool input(const QString &prompt, const QString &title, const QString &defaultText,
               QString *answer) override;

private:
    QWidget *parent_;
};
