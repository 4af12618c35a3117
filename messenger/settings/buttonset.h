#pragma once
// The quick-send button set: 24 slots of caption, message text and send-immediately flag
// (1..12 the main window's buttons, 13..24 the quick responses of every message window),
// kept in "buttons.txt". The settings dialog edits it; the views colour their buttons from
// `style()` and show the message text as the tooltip.
//
// Decisions where the file alone does not say what to do:
// - Double quotes become apostrophes on save in captions as well as in message texts: a
//   quote in a caption would otherwise shift every field after it when the file is read.
// - A file with fewer than 24 complete records loads what it has; the missing fields are
//   empty (flag 0) and the load reports Incomplete. The file itself is left as it is.
// - A file that exists but cannot be read leaves the set as it was and reports
//   ReadFailed; it is never replaced by the defaults.
// - The flag is the leading number of its field; any number but 0 means "send at once".
#include <QByteArray>
#include <QString>

#include <array>

class ButtonSet final
{
public:
    static constexpr int SlotCount = 24;
    // Slots 1..MainSlots are the main window's buttons, the rest the message windows'.
    static constexpr int MainSlots = 12;

    struct Slot {
        QString caption;              // empty: an unused slot
        QString message;              // what a click puts into the message or reply box
        bool sendImmediately = false; // a click sends at once
        bool operator==(const Slot &other) const
        {
            return caption == other.caption && message == other.message &&
                   sendImmediately == other.sendImmediately;
        }
    };

    // The looks of a button or of a dialog row.
    enum class Look {
        SendNow,   // light green (128, 255, 128), black text
        FillOnly,  // light yellow (255, 255, 128), black text
        Emergency, // red (255, 0, 0), yellow text (255, 255, 0)
        Empty,     // light grey (224, 224, 224), black text, disabled
    };
    struct Style {
        Look look = Look::Empty;
        bool enabled = false;
        bool operator==(const Style &other) const
        {
            return look == other.look && enabled == other.enabled;
        }
    };

    struct LoadResult {
        enum class Status { Loaded, CreatedDefaults, Incomplete, ReadFailed };
        Status status = Status::Loaded;
        // Set when the default file could not be written (the defaults are in use anyway).
        bool defaultsNotWritten = false;
        // Incomplete: how many complete records the file had.
        int recordsRead = SlotCount;
        bool ok() const { return status == Status::Loaded || status == Status::CreatedDefaults; }
    };

    // The file lives in the program folder given. The set starts with every slot empty.
    explicit ButtonSet(const QString &folder);

    QString path() const { return path_; }

    // Slot i, 1..24. Out-of-range numbers give an empty slot and are ignored when set.
    Slot slot(int i) const;
    void setSlot(int i, const Slot &value);
    QString caption(int i) const { return slot(i).caption; }
    QString message(int i) const { return slot(i).message; }
    bool sendImmediately(int i) const { return slot(i).sendImmediately; }
    // The button's tooltip: its message text.
    QString tooltip(int i) const { return message(i); }

    // `loadbuttons`: creates the default file when it is missing, then reads 24 records.
    LoadResult loadbuttons();
    // `SAVEBUTTONS`: double quotes in captions and texts become apostrophes, in the set as
    // well as in the file; then the whole file is rewritten. False when it could not be
    // written (the old file is then left as it was).
    bool SAVEBUTTONS();

    // How the button of slot i looks after a load: on slots 1..12 a caption containing
    // "emergency" (any case) is red with yellow text; an empty caption is grey and
    // disabled on every slot; otherwise green or yellow by the flag.
    Style style(int i) const;
    // The dialog's caption and text boxes of slot i after a load: red for an emergency
    // caption on slots 1..12 only, else green or yellow by the flag. Never grey.
    Look dialogLook(int i) const;
    // The live colour of a dialog row while it is edited, on either tab.
    static Look editingLook(const QString &caption, bool sendImmediately);
    static bool isEmergency(const QString &caption);
    // The background and text colours of a look as 0xRRGGBB.
    static unsigned background(Look look);
    static unsigned foreground(Look look);

    // The 24 built-in records and the exact bytes of the file created from them.
    static const std::array<Slot, SlotCount> &defaults();
    static QByteArray defaultFileBytes();

private:
    QString path_;
    std::array<Slot, SlotCount> slots_;
};
