#include "prompter.h"

void SilentPrompter::message(const QString &text, const QString &title)
{
    tell(title, text);
}

Prompter::Answer SilentPrompter::question(const QString &text, const QString &title, bool)
{
    tell(title, text + QStringLiteral(" [No]"));
    return Answer::No;
}

bool SilentPrompter::input(const QString &prompt, const QString &title, const QString &defaultText,
                           QString *answer)
{
    tell(title, prompt + QStringLiteral(" [") + defaultText + QLatin1Char(']'));
    *answer = defaultText;
    return true;
}

void SilentPrompter::tell(const QString &title, const QString &text) const
{
    if (!report_)
        return;
    // One line per box: the line breaks and indents of a box's text mean nothing in a log.
    const QByteArray line = (title + QStringLiteral(": ") + text).simplified().toLocal8Bit() + '\n';
    std::fwrite(line.constData(), 1, size_t(line.size()), report_);
    std::fflush(report_);
}
