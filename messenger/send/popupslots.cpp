#include "popupslots.h"

#include "common/datetimeformat.h"

#include <algorithm>

namespace
{
const QString FreeToken = QStringLiteral("-");

// The slot number at the end of a record, or -1 for a free token or anything else.
int recordSlot(const QString &entry)
{
    if (entry.isEmpty())
        return -1;
    const QChar last = entry.back();
    return last.isDigit() && last.unicode() < 128 ? last.unicode() - '0' : -1;
}
} // namespace

PopupSlots::PopupSlots(Clock clock, QObject *parent)
    : QObject(parent), clock_(std::move(clock)), pucount_(QString::number(SlotCount))
{
    if (!clock_)
        clock_ = [] { return QDateTime::currentDateTime(); };
    for (int i = 0; i <= SlotCount; ++i)
        states_.at(std::size_t(i)).punumber = i;
    reset();
}

void PopupSlots::reset()
{
    popups_.clear();
    wins_.clear();
    for (int i = 0; i < SlotCount; ++i) {
        popups_.append(FreeToken);
        wins_.append(QString::number(i));
    }
}

bool PopupSlots::isBusy(int n) const
{
    return n >= 0 && n < SlotCount && wins_.at(n) == FreeToken;
}

int PopupSlots::popupcount()
{
    int count = 0;
    for (int i = 0; i < SlotCount && i < popups_.size(); ++i) {
        if (popups_.at(i) == FreeToken)
            ++count;
    }
    pucount_ = QString::number(count);
    Q_EMIT pucountChanged(count);
    Q_EMIT closeAllEnabledChanged(count != SlotCount);
    return count;
}

int PopupSlots::choose()
{
    int n = -1;
    const int freeToken = int(popups_.lastIndexOf(FreeToken, SlotCount - 1));
    if (freeToken >= 0) {
        for (int i = 0; i < SlotCount; ++i) {
            if (wins_.at(i) != FreeToken) {
                n = i;
                break;
            }
        }
        if (n >= 0)
            popups_.removeAt(freeToken);
    }
    if (n < 0) {
        // All ten windows are open: the one filled first takes the new message.
        n = recordSlot(popups_.value(0));
        if (n < 0)
            n = 0; // cannot happen while the two lists agree; keep a valid slot anyway
        popups_.removeFirst();
    }
    wins_[n] = FreeToken;
    popups_.append(DateTimeFormat::format(clock_(), QLatin1String(DateTimeFormat::SlotDate)) +
                   QLatin1String("popup") + QString::number(n));
    popupcount();
    return n;
}

void PopupSlots::free(int n)
{
    if (!isBusy(n))
        return;
    for (int i = std::min<int>(SlotCount, int(popups_.size())) - 1; i >= 0; --i) {
        if (popups_.at(i) != FreeToken && recordSlot(popups_.at(i)) == n)
            popups_.removeAt(i);
    }
    popups_.append(FreeToken);
    wins_[n] = QString::number(n);
    popupcount();
}

void PopupSlots::dismissAll()
{
    reset();
    for (int i = 0; i < SlotCount; ++i) {
        PopupState &window = states_.at(std::size_t(i));
        window.broadcast.clear();
        window.response.clear();
        window.message.clear();
    }
    Q_EMIT allDismissed();
    popupcount();
}
