#include "promptdialog.h"

#include <QInputDialog>
#include <QMessageBox>

void PromptDialog::message(const QString &text, const QString &title)
{
    QMessageBox::information(parent_, title, text);
}

Prompter::Answer PromptDialog::question(const QString &text, const QString &title, bool withCancel)
{
    QMessageBox::StandardButtons buttons = QMessageBox::Yes | QMessageBox::No;
    if (withCancel)
        buttons |= QMessageBox::Cancel;
    switch (QMessageBox::question(parent_, title, text, buttons)) {
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    default:
        return Answer::Cancel;
    }
}

bool PromptDialog::input(const QString &prompt, const QString &title, const QString &defaultText,
                         QString *answer)
{
    bool ok = false;
    *answer = QInputDialog::getText(parent_, title, prompt, QLineEdit::Normal, defaultText, &ok);
    return ok;
}
