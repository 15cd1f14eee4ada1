#pragma once

#include "badge/alternate.h"
#include "badge/badgemodel.h"
#include "badge/limits.h"
#include "badge/movemode.h"

#include <QImage>
#include <QString>

#include <array>

namespace glintag {

// One slot as the badge will get it: what the slot row's controls show.
struct SlotSetup {
    QString text;
    bool select = true;
    QString speed = QStringLiteral("3");     // the speed box's text, read as a number when sent
    int mode = listPosition(MoveMode::Left); // move-mode list position; kNoMoveMode for none
    bool flash = false;
    bool border = false; // the running border lamp ("Loop Lamp")
    bool image = false;  // send the picture instead of the text
    QImage picture;      // the 4096 × 12 canvas; shared, not copied
    bool vertical = false;
    bool alternate = false;

    bool operator==(const SlotSetup &o) const;
    bool operator!=(const SlotSetup &o) const { return !(*this == o); }
};

// Everything one upload depends on. The window builds it from its controls
// when it needs one and keeps no copy; the command line builds it from its
// arguments or the settings file. Rendering, the preview and the upload all
// start from it, so they can never disagree about what is sent.
struct BadgeSetup {
    std::array<SlotSetup, kSlotCount> slots;
    int language = 0;                             // language list position; -1 for none
    QString model = QLatin1String(kModelR1.name); // the model box's text, see badgeModel()
    QString brightness = QStringLiteral("4");

    // The one run of slots marked Alternate, as the badge's header carries it.
    AlternateGroup alternateGroup() const;

    bool operator==(const BadgeSetup &o) const;
    bool operator!=(const BadgeSetup &o) const { return !(*this == o); }
};

// The state of a first start: every slot selected, texts "MESSAGE1" ...
// "MESSAGE16", speed 3, "to Left", model R1, brightness 4.
BadgeSetup defaultBadgeSetup();

// The speed box's list position for its text ("1" → 0 ... "8" → 7), -1 when
// the text is not one of the items.
int speedPosition(const QString &speedText);

} // namespace glintag
