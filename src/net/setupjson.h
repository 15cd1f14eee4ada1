#pragma once

#include "badge/badgesetup.h"

#include <QJsonObject>
#include <QString>

#include <optional>

namespace glintag {

// The longest a notification may stay before the setup comes back: a day.
constexpr int kNotifySecondsMax = 86400;

// A whole setup as the network's JSON carries it: "slots" (at most 16, each
// with text, mode, speed, flash, border, vertical, selected, alternate and,
// for a picture slot, "picture" as the setup file's hex rows), "model",
// "brightness" and "language". data/glintag-setup.schema.json describes it.
QJsonObject setupToJson(const BadgeSetup &setup);

// The setup a JSON object describes, laid over `base` for the keys it leaves
// out (a slot left out of "slots" is empty and unselected; a slot listed
// without "selected" is selected). Anything the
// badge cannot take - a 17th slot, a text over the settings file's byte limit,
// a mode the slot does not offer, a number out of range, a key nobody reads,
// rows that are not hex - is refused with one line naming where.
std::optional<BadgeSetup> setupFromJson(const QJsonObject &json, const BadgeSetup &base, QString *error);

// A text alone: slot 1 with the text, every other slot unselected, as
// `send TEXT` makes it; the language, model and brightness stay those of
// `base`. mode and speed, when given, are checked as setupFromJson checks
// them.
std::optional<BadgeSetup> textOnlySetup(const BadgeSetup &base, const QString &text, const QJsonValue &mode,
                                        const QJsonValue &speed, QString *error);

// A notification as the network carries it: "text" (a string) shown as
// textOnlySetup shows it, with its "mode" and "speed", for "seconds" (a
// whole number, 1 to kNotifySecondsMax). Other keys are the caller's to
// judge.
struct Notification {
    BadgeSetup shown;
    int seconds = 0;
};
std::optional<Notification> notificationFromJson(const QJsonObject &json, const BadgeSetup &textBase,
                                                 QString *error);

} // namespace glintag
