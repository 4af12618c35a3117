#include "buttonset.h"

#include "common/codec.h"
#include "common/fieldreader.h"
#include "common/text.h"
#include "common/textfile.h"

#include <QDir>
#include <QFileInfo>

namespace
{
const QString kCrLf = QStringLiteral("\r\n");
constexpr int kFieldsPerRecord = 3;

QString flagText(bool on)
{
    return on ? QStringLiteral("1") : QStringLiteral("0");
}

// The file has no escape for a double quote inside a quoted field.
QString withoutQuotes(QString text)
{
    return text.replace(QLatin1Char('"'), QLatin1Char('\''));
}

// The file created from the defaults: every field quoted, the flag too, and one empty
// line after the 24 records.
QString defaultFileText()
{
    QString text;
    for (const ButtonSet::Slot &slot : ButtonSet::defaults()) {
        text += FieldReader::quoted(slot.caption) + QLatin1Char(',') +
                FieldReader::quoted(slot.message) + QLatin1Char(',') +
                FieldReader::quoted(flagText(slot.sendImmediately)) + kCrLf;
    }
    return text + kCrLf;
}
} // namespace

ButtonSet::ButtonSet(const QString &folder)
    : path_(QDir(folder).filePath(QStringLiteral("buttons.txt")))
{
}

const std::array<ButtonSet::Slot, ButtonSet::SlotCount> &ButtonSet::defaults()
{
    static const std::array<Slot, SlotCount> set = [] {
        auto s = [](const char *caption, const char *message, bool now) {
            return Slot{QString::fromLatin1(caption), QString::fromLatin1(message), now};
        };
        return std::array<Slot, SlotCount>{
            s("Patient arrived?", "Has my next patient arrived?", true),
            s("Charting", "Need assistance for charting", true),
            s("Hygiene check", "Hygiene check required", true),
            s("Hygiene appt", "11113", true),
            s("Hygiene w/ recall", "01202, 11112, 11107, 12101", true),
            s("Running late", "Advise patient I am 10 mins late", true),
            s("Room ready", "Help required to get room ready", true),
            s("", "", false),
            s("", "", false),
            s("", "", false),
            s("", "", false),
            s("EMERGENCY", "CALL 9-1-1", true),
            s("Take Message", "Please take a message", true),
            s("Ask to hold", "Ask to hold line", true),
            s("On a call", "I'm on a call", true),
            s("See me", "Come see me", true),
            s("Lunch?", "Are you buying?", true),
            s("Yes", "Yes", true),
            s("Thanks", "Thank you", true),
            s("Patient late?", "Do you know how late patient will be?", true),
            s("Short list?", "Is there anyone on short notice list?", true),
            s("Out shortly", "Will be out shortly", true),
            s("", "", false),
            s("", "", false),
        };
    }();
    return set;
}

QByteArray ButtonSet::defaultFileBytes()
{
    return Codec::encode(defaultFileText());
}

ButtonSet::Slot ButtonSet::slot(int i) const
{
    if (i < 1 || i > SlotCount)
        return Slot();
    return slots_[std::size_t(i - 1)];
}

void ButtonSet::setSlot(int i, const Slot &value)
{
    if (i < 1 || i > SlotCount)
        return;
    slots_[std::size_t(i - 1)] = value;
}

ButtonSet::LoadResult ButtonSet::loadbuttons()
{
    LoadResult result;
    QString text;
    if (!QFileInfo::exists(path_)) {
        result.status = LoadResult::Status::CreatedDefaults;
        text = defaultFileText();
        // A folder that cannot be written still gets the default buttons for this run.
        result.defaultsNotWritten = !TextFile::write(path_, text);
    } else if (!TextFile::read(path_, &text)) {
        result.status = LoadResult::Status::ReadFailed;
        return result;
    }

    // Fields, not lines: a record may run over a line end, and a line end ends a field
    // like a comma does.
    FieldReader reader(text);
    QStringList fields;
    while (fields.size() < SlotCount * kFieldsPerRecord && !reader.atEnd())
        fields.append(reader.next());
    const int complete = int(fields.size()) / kFieldsPerRecord;
    if (complete < SlotCount) {
        result.status = LoadResult::Status::Incomplete;
        result.recordsRead = complete;
    }
    while (fields.size() < SlotCount * kFieldsPerRecord)
        fields.append(QString());

    for (int i = 0; i < SlotCount; ++i) {
        Slot &slot = slots_[std::size_t(i)];
        slot.caption = fields.at(i * kFieldsPerRecord);
        slot.message = fields.at(i * kFieldsPerRecord + 1);
        slot.sendImmediately = Text::leadingNumber(fields.at(i * kFieldsPerRecord + 2)) != 0;
    }
    return result;
}

bool ButtonSet::SAVEBUTTONS()
{
    QString text;
    for (Slot &slot : slots_) {
        slot.caption = withoutQuotes(slot.caption);
        slot.message = withoutQuotes(slot.message);
        text += FieldReader::quoted(slot.caption) + QLatin1Char(',') +
                FieldReader::quoted(slot.message) + QLatin1Char(',') +
                flagText(slot.sendImmediately) + kCrLf;
    }
    return TextFile::write(path_, text);
}

bool ButtonSet::isEmergency(const QString &caption)
{
    return caption.contains(QLatin1String("emergency"), Qt::CaseInsensitive);
}

ButtonSet::Look ButtonSet::editingLook(const QString &caption, bool sendImmediately)
{
    if (isEmergency(caption))
        return Look::Emergency;
    return sendImmediately ? Look::SendNow : Look::FillOnly;
}

ButtonSet::Look ButtonSet::dialogLook(int i) const
{
    const Slot s = slot(i);
    if (i >= 1 && i <= MainSlots && isEmergency(s.caption))
        return Look::Emergency;
    return s.sendImmediately ? Look::SendNow : Look::FillOnly;
}

ButtonSet::Style ButtonSet::style(int i) const
{
    const Slot s = slot(i);
    if (s.caption.isEmpty())
        return Style{Look::Empty, false};
    return Style{dialogLook(i), true};
}

unsigned ButtonSet::background(Look look)
{
    switch (look) {
    case Look::SendNow:
        return 0x80FF80;
    case Look::FillOnly:
        return 0xFFFF80;
    case Look::Emergency:
        return 0xFF0000;
    case Look::Empty:
        break;
    }
    return 0xE0E0E0;
}

unsigned ButtonSet::foreground(Look look)
{
    return look == Look::Emergency ? 0xFFFF00 : 0x000000;
}
