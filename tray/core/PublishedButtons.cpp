// The button table as the listener reads it. Each button's entry is published in
// one of three slots: the writer fills a slot that is neither the published one nor
// the one the reader is copying, then publishes it with one interlocked write. The
// reader marks the slot it copies, so that no later write touches it, and takes
// another only when a newer one was published in between. Neither side waits.
#include "core/PublishedButtons.h"

namespace {

enum { SLOTS = 3 };

struct PublishedButton {
    ButtonEntry slots[SLOTS];
    volatile LONG published; // the slot readers take
    volatile LONG reading;   // the slot being copied, plus one; 0 when none
};
PublishedButton s_buttons[BUTTON_COUNT];

void Publish(int button, const ButtonEntry& entry)
{
    PublishedButton& b = s_buttons[button];
    LONG published = b.published, reading = b.reading - 1;
    LONG free = 0;
    while (free == published || free == reading)
        ++free;
    b.slots[free] = entry;
    InterlockedExchange(&b.published, free);
}

} // namespace

void SetButtonEntry(SettingsRecord& settings, int button, const ButtonEntry& entry)
{
    if (button < 0 || button >= BUTTON_COUNT)
        return;
    settings.Buttons[button] = entry;
    Publish(button, entry);
}

void PublishButtonEntries(const SettingsRecord& settings)
{
    for (int button = 0; button < BUTTON_COUNT; ++button)
        Publish(button, settings.Buttons[button]);
}

void ReadButtonEntry(int button, ButtonEntry& entry)
{
    if (button < 0 || button >= BUTTON_COUNT) {
        entry = ButtonEntry();
        entry.Action = -1; // no action
        return;
    }
    PublishedButton& b = s_buttons[button];
    LONG slot;
    do {
        slot = b.published;
        InterlockedExchange(&b.reading, slot + 1);
    } while (b.published != slot); // a newer entry came before the mark: take that one
    entry = b.slots[slot];
    InterlockedExchange(&b.reading, 0);
}
