#pragma once
// Helpers that several tests share: the guard that keeps socket tests inside the private
// test network, and Prompter doubles that answer the session's boxes without a person and
// record what was asked.
#include "messenger/app/prompter.h"
#include "messenger/net/transport.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QtTest>

#include <functional>

namespace TestSupport
{
// The test namespace has only lo and its own veth pair (vt0/vt1). Returns the name of any
// other live interface, which means this process sees a real network where a broadcast must
// never go; empty inside the private namespace.
QString foreignInterface();

// Points HOME and XDG_CONFIG_HOME into `folder`, so nothing a test does (the
// start-with-the-desktop entry, lock files) lands in the real user's configuration.
void isolateUser(const QString &folder);

// Records every message box with whether the receive queue was held while it was open;
// questions are answered No and input boxes cancelled.
class RecordingPrompter final : public Prompter
{
public:
    Transport *transport = nullptr;
    QStringList messages;
    QList<bool> heldDuring;

    void message(const QString &text, const QString &title) override;
    Answer question(const QString &text, const QString &title, bool withCancel) override;
    bool input(const QString &prompt, const QString &title, const QString &defaultText,
               QString *answer) override;
};

// Answers the boxes from a script and notes each one, with the hold state it was shown in
// when a probe for it is given.
class ScriptedPrompter final : public Prompter
{
public:
    struct Box {
        QString kind; // "message", "question" or "input"
        QString text;
        QString title;
        QString defaultText;
        bool held = false;
    };

    ScriptedPrompter() = default;
    // `held` tells whether the receive queue is held at the moment a box opens.
    explicit ScriptedPrompter(std::function<bool()> held) : held_(std::move(held)) {}

    Answer questionAnswer = Answer::No;
    bool inputGiven = true;
    QString inputAnswer;
    // Runs while a question is open (to look at the sockets then).
    std::function<void()> duringQuestion;
    QList<Box> boxes;

    void message(const QString &text, const QString &title) override;
    Answer question(const QString &text, const QString &title, bool withCancel) override;
    bool input(const QString &prompt, const QString &title, const QString &defaultText,
               QString *answer) override;

    // The texts of the message boxes, in order.
    QStringList messages() const;

private:
    void note(const QString &kind, const QString &text, const QString &title,
              const QString &defaultText);

    std::function<bool()> held_;
};
} // namespace TestSupport

// Skips the current test function unless it runs inside the private network namespace.
#define REQUIRE_PRIVATE_NETWORK()                                                                  \
    do {                                                                                           \
        const QString iface_ = TestSupport::foreignInterface();                                    \
        if (!iface_.isEmpty())                                                                     \
            QSKIP(qPrintable(QStringLiteral("interface %1 is up: not inside a private network "    \
                                            "namespace; run under scripts/netns-run")              \
                                 .arg(iface_)));                                                   \
    } while (false)
