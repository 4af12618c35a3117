#pragma once
// The live options of a run: what the settings dialog edits, the settings file stores and
// every other part of the messenger reads. Field names are the dialog's control names.
#include "common/text.h"

#include <QString>

struct Options {
    // Display name, upper case (main window and dialog `friendlyname`).
    QString friendlyname;
    // Listening port L and sending port S; 0 until the first load.
    int listenPort = 0;
    int sendPort = 0;

    bool soundon = true;          // PLAYSOUND (the main window's "Sound On")
    bool replytoall = false;      // REPLYTOALL
    bool myown = false;           // SHOWOWN
    bool autoresmaster = false;   // AUTORESPONSEALLOW
    bool showme = true;           // SHOWMEINLIST
    bool autostartup = true;      // STARTWITHWINDOWS
    bool startminimized = false;  // MINIMIZEONSTART
    bool ontop = false;           // KEEPINFRONT
    bool autoreply = true;        // AUTORESPONSEFORWARD
    bool userlistfont = false;    // USERLISTFONT
    bool startclearusers = false; // STARTCLEARUSERCACHE
    bool resetports = false;      // RESETPORTS
    bool entersend = false;       // ENTERSEND
    bool hidetip = false;         // HIDEENTERSENDTIP
    bool usewatchdog = false;     // hidden; the loader switches it off, nothing switches it on

    // AUTORESPONSEMSG .. AUTORESPONSEMSG3; ar[3] is "Forward to: " + target, or empty.
    QString ar[4] = {QStringLiteral("I'm away from my desk"), QString(), QString(), QString()};
    // The forward target's display name (ar[3] without "Forward to: "), or empty.
    QString ar3temp;
    // The automatic response in use.
    QString autorespond = QStringLiteral("I'm away from my desk");

    QString msgfontsize = QStringLiteral("10"); // MESSAGEFONTSIZE, as text
    QString wavefile;                           // WAVEFILE, full path

    // Main window position in twips (WINPOSX, WINPOSY).
    double winPosX = 0;
    double winPosY = 0;

    // The point size in `msgfontsize` ("12", "12pt"); 10 when it names no usable size.
    int fontSize() const
    {
        const int points = Text::leadingNumber(msgfontsize);
        return points >= 1 && points <= 72 ? points : 10;
    }
};
