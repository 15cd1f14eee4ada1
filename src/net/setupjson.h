#pragma once

#include "badge/badgesetup.h"

#include <QJsonObject>
#include <QString>

#include <optional>

namespace glintag {

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

} // namespace glintag
