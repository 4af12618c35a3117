#include "testsupport.h"

#include <QDir>

#include <QNetworkInterface>

namespace TestSupport
{
QString foreignInterface()
{
    for (const QNetworkInterface &i : QNetworkInterface::allInterfaces()) {
        if (!i.flags().testFlag(QNetworkInterface::IsUp) ||
            i.flags().testFlag(QNetworkInterface::IsLoopBack))
            continue;
        if (i.name() != QLatin1String("vt0") && i.name() != QLatin1String("vt1"))
            return i.name();
    }
    return QString();
}

void RecordingPrompter::message(const QString &text, const QString &)
{
    messages << text;
    heldDuring << (transport && transport->boxopen());
}

Prompter::Answer RecordingPrompter::question(const QString &, const QString &, bool)
{
    return Answer::No;
}

bool RecordingPrompter::input(const QString &, const QString &, const QString &, QString *)
{
    return false;
}

void ScriptedPrompter::message(const QString &text, const QString &title)
{
    note(QStringLiteral("message"), text, title, QString());
}

Prompter::Answer ScriptedPrompter::question(const QString &text, const QString &title, bool)
{
    note(QStringLiteral("question"), text, title, QString());
    if (duringQuestion)
        duringQuestion();
    return questionAnswer;
}

bool ScriptedPrompter::input(const QString &prompt, const QString &title,
                             const QString &defaultText, QString *answer)
{
    note(QStringLiteral("input"), prompt, title, defaultText);
    *answer = inputAnswer;
    return inputGiven;
}

QStringList ScriptedPrompter::messages() const
{
    QStringList out;
    for (const Box &box : boxes)
        if (box.kind == QLatin1String("message"))
            out.append(box.text);
    return out;
}

void ScriptedPrompter::note(const QString &kind, const QString &text, const QString &title,
                            const QString &defaultText)
{
    boxes.append({kind, text, title, defaultText, held_ ? held_() : false});
}
void isolateUser(const QString &folder)
{
    qputenv("HOME", folder.toUtf8());
    qputenv("XDG_CONFIG_HOME", QDir(folder).filePath(QStringLiteral(".config")).toUtf8());
}

} // namespace TestSupport
