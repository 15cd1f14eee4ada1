#include "net/setupjson.h"

#include "badge/dotcanvas.h"
#include "files/profilefile.h"
#include "i18n/languages.h"
#include "settings/setupfile.h"

#include <QJsonArray>
#include <QSet>

namespace glintag {

namespace {

// The setup file's picture rows are the network's too: one ProfileFile in
// memory carries them both ways, so the two can never differ.
const QString kDots = QStringLiteral("Dots1");
const QString kColumns = QStringLiteral("Columns");

QString rowKey(int row)
{
    return QStringLiteral("Row%1").arg(row + 1);
}

QJsonValue pictureToJson(const QImage &canvas)
{
    ProfileFile file;
    writePictureSection(file, 0, canvas);
    if (!hasPictureSection(file, 0))
        return QJsonObject{{QStringLiteral("columns"), 0}, {QStringLiteral("rows"), QJsonArray()}};
    QJsonArray rows;
    for (int y = 0; y < kRowCount; ++y)
        rows.append(QString::fromLatin1(file.rawValue(kDots, rowKey(y)).value_or(QByteArray())));
    return QJsonObject{{QStringLiteral("columns"), file.readInt(kDots, kColumns, 0)}, {QStringLiteral("rows"), rows}};
}

std::optional<QImage> pictureFromJson(const QJsonValue &value, const QString &where, QString *error)
{
    const QJsonObject o = value.toObject();
    const QJsonValue columns = o.value(QStringLiteral("columns")), rows = o.value(QStringLiteral("rows"));
    const auto fail = [&](const QString &why) {
        *error = QStringLiteral("%1: %2").arg(where, why);
        return std::nullopt;
    };
    if (!value.isObject() || o.size() != 2 || !columns.isDouble() || !rows.isArray())
        return fail(QStringLiteral("allowed {\"columns\": N, \"rows\": [12 rows of hex]}"));
    const double width = columns.toDouble();
    if (width != int(width) || width < 0 || width > kCanvasWidth)
        return fail(QStringLiteral("columns allowed 0 to %1").arg(kCanvasWidth));
    const QJsonArray list = rows.toArray();
    if (width > 0 && list.size() != kRowCount)
        return fail(QStringLiteral("allowed %1 rows").arg(kRowCount));
    if (width == 0 && !list.isEmpty() && list.size() != kRowCount)
        return fail(QStringLiteral("allowed %1 rows or none").arg(kRowCount));
    ProfileFile file;
    file.writeInt(kDots, kColumns, int(width));
    const int digits = (int(width) + 3) / 4;
    for (int y = 0; y < list.size(); ++y) {
        const QString hex = list[y].toString();
        if (!list[y].isString() || hex.size() > digits)
            return fail(QStringLiteral("row %1 allowed at most %2 hex digits").arg(y + 1).arg(digits));
        for (const QChar c : hex)
            if (!c.isDigit() && !(c.toUpper() >= QLatin1Char('A') && c.toUpper() <= QLatin1Char('F')))
                return fail(QStringLiteral("row %1 allowed only hex digits").arg(y + 1));
        file.writeString(kDots, rowKey(y), hex);
    }
    return readPictureSection(file, 0);
}

QJsonValue modeToJson(int position)
{
    const auto mode = moveModeAt(position);
    return mode ? QJsonValue(QLatin1String(moveModeFacts(*mode).name)) : QJsonValue(QJsonValue::Null);
}

// A whole number within [low, high] from a JSON number.
std::optional<int> wholeIn(const QJsonValue &v, int low, int high)
{
    if (!v.isDouble())
        return std::nullopt;
    const double d = v.toDouble();
    if (d != double(int(d)) || d < low || d > high)
        return std::nullopt;
    return int(d);
}

QJsonValue numberOrText(const QString &text)
{
    bool ok = false;
    const int n = text.toInt(&ok);
    return ok ? QJsonValue(n) : QJsonValue(text);
}

bool readMode(const QJsonValue &v, int slot, const QString &where, SlotSetup &out, QString *error)
{
    if (v.isNull()) {
        out.mode = kNoMoveMode;
        return true;
    }
    const auto mode = v.isString() ? moveModeNamed(v.toString()) : std::nullopt;
    if (!mode) {
        QStringList names;
        for (const MoveModeFacts &m : kMoveModes)
            names << QLatin1String(m.name);
        *error = QStringLiteral("%1.mode: allowed %2").arg(where, names.join(QLatin1String(", ")));
        return false;
    }
    if (!offersMoveMode(slot, *mode)) {
        *error = QStringLiteral("%1.mode: %2 is allowed only for slot 1")
                     .arg(where, QLatin1String(moveModeFacts(*mode).name));
        return false;
    }
    out.mode = listPosition(*mode);
    return true;
}

bool readSpeed(const QJsonValue &v, const QString &where, SlotSetup &out, QString *error)
{
    const auto speed = wholeIn(v, kSpeedMin, kSpeedMax);
    if (!speed) {
        *error = QStringLiteral("%1.speed: allowed %2 to %3").arg(where).arg(kSpeedMin).arg(kSpeedMax);
        return false;
    }
    out.speed = QString::number(*speed);
    return true;
}

bool readText(const QJsonValue &v, const QString &where, QString *text, QString *error)
{
    if (!v.isString()) {
        *error = QStringLiteral("%1.text: allowed a string").arg(where);
        return false;
    }
    // The settings file keeps no more; a longer text would come back cut.
    if (v.toString().toUtf8().size() > kTextByteLimit) {
        *error = QStringLiteral("%1.text: allowed at most %2 bytes (UTF-8)").arg(where).arg(kTextByteLimit);
        return false;
    }
    *text = v.toString();
    return true;
}

bool readSlot(const QJsonValue &value, int index, SlotSetup &slot, QString *error)
{
    const QString where = QStringLiteral("slots[%1]").arg(index);
    if (!value.isObject()) {
        *error = QStringLiteral("%1: allowed an object").arg(where);
        return false;
    }
    const QJsonObject o = value.toObject();
    static const QSet<QString> flags = {QStringLiteral("flash"), QStringLiteral("border"), QStringLiteral("vertical"),
                                        QStringLiteral("selected"), QStringLiteral("alternate")};
    for (auto it = o.begin(); it != o.end(); ++it) {
        const QString &key = it.key();
        const QJsonValue &v = it.value();
        if (key == QLatin1String("text")) {
            if (!readText(v, where, &slot.text, error))
                return false;
        } else if (key == QLatin1String("mode")) {
            if (!readMode(v, index, where, slot, error))
                return false;
        } else if (key == QLatin1String("speed")) {
            if (!readSpeed(v, where, slot, error))
                return false;
        } else if (flags.contains(key)) {
            if (!v.isBool()) {
                *error = QStringLiteral("%1.%2: allowed true or false").arg(where, key);
                return false;
            }
            const bool b = v.toBool();
            if (key == QLatin1String("flash"))
                slot.flash = b;
            else if (key == QLatin1String("border"))
                slot.border = b;
            else if (key == QLatin1String("vertical"))
                slot.vertical = b;
            else if (key == QLatin1String("selected"))
                slot.select = b;
            else
                slot.alternate = b;
        } else if (key == QLatin1String("picture")) {
            if (v.isNull()) {
                slot.image = false;
                slot.picture = QImage();
                continue;
            }
            const auto picture = pictureFromJson(v, where + QStringLiteral(".picture"), error);
            if (!picture)
                return false;
            slot.image = true;
            slot.picture = *picture;
        } else {
            *error = QStringLiteral("%1.%2: unknown key").arg(where, key);
            return false;
        }
    }
    return true;
}

} // namespace

QJsonObject setupToJson(const BadgeSetup &setup)
{
    QJsonArray slots;
    for (int i = 0; i < kSlotCount; ++i) {
        const SlotSetup &s = setup.slots[size_t(i)];
        QJsonObject o{
            {QStringLiteral("text"), s.text},
            {QStringLiteral("mode"), modeToJson(s.mode)},
            {QStringLiteral("speed"), numberOrText(s.speed)},
            {QStringLiteral("flash"), s.flash},
            {QStringLiteral("border"), s.border},
            {QStringLiteral("vertical"), s.vertical},
            {QStringLiteral("selected"), s.select},
            {QStringLiteral("alternate"), s.alternate},
        };
        if (s.image)
            o.insert(QStringLiteral("picture"), pictureToJson(s.picture));
        slots.append(o);
    }
    const QString language = uiLanguageCodes().value(setup.language);
    return {
        {QStringLiteral("slots"), slots},
        {QStringLiteral("model"), setup.model},
        {QStringLiteral("brightness"), numberOrText(setup.brightness)},
        {QStringLiteral("language"), language.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(language)},
    };
}

std::optional<BadgeSetup> setupFromJson(const QJsonObject &json, const BadgeSetup &base, QString *error)
{
    BadgeSetup setup = base;
    const auto fail = [error](const QString &why) {
        *error = why;
        return std::nullopt;
    };
    for (auto it = json.begin(); it != json.end(); ++it) {
        const QString &key = it.key();
        const QJsonValue &v = it.value();
        if (key == QLatin1String("slots")) {
            if (!v.isArray())
                return fail(QStringLiteral("slots: allowed an array"));
            const QJsonArray list = v.toArray();
            if (list.size() > kSlotCount)
                return fail(QStringLiteral("slots: allowed at most %1, not %2").arg(kSlotCount).arg(list.size()));
            for (int i = 0; i < kSlotCount; ++i) {
                SlotSetup &slot = setup.slots[size_t(i)];
                if (i >= list.size()) {
                    slot = SlotSetup();
                    slot.text.clear();
                    slot.select = false;
                    continue;
                }
                // A slot listed is shown unless it says otherwise.
                slot.select = true;
                if (!readSlot(list[i], i, slot, error))
                    return std::nullopt;
            }
        } else if (key == QLatin1String("model")) {
            const QString model = v.toString();
            if (!v.isString() || model != QLatin1String(badgeModel(model).name)) {
                QStringList names;
                for (const BadgeModel &m : kBadgeModels)
                    names << QLatin1String(m.name);
                return fail(QStringLiteral("model: allowed %1").arg(names.join(QLatin1String(", "))));
            }
            setup.model = model;
        } else if (key == QLatin1String("brightness")) {
            const auto b = wholeIn(v, kBrightnessMin, kBrightnessMax);
            if (!b)
                return fail(QStringLiteral("brightness: allowed %1 to %2").arg(kBrightnessMin).arg(kBrightnessMax));
            setup.brightness = QString::number(*b);
        } else if (key == QLatin1String("language")) {
            const int position = int(uiLanguageCodes().indexOf(v.toString()));
            if (!v.isString() || position < 0)
                return fail(QStringLiteral("language: allowed %1").arg(uiLanguageCodes().join(QLatin1String(", "))));
            setup.language = position;
        } else {
            return fail(QStringLiteral("%1: unknown key").arg(key));
        }
    }
    return setup;
}

std::optional<BadgeSetup> textOnlySetup(const BadgeSetup &base, const QString &text, const QJsonValue &mode,
                                        const QJsonValue &speed, QString *error)
{
    BadgeSetup setup = base;
    SlotSetup &slot = setup.slots[0];
    const QString where = QStringLiteral("slots[0]");
    if (!readText(QJsonValue(text), where, &slot.text, error))
        return std::nullopt;
    slot.image = false;
    slot.select = true;
    for (int i = 1; i < kSlotCount; ++i)
        setup.slots[size_t(i)].select = false;
    if (!mode.isUndefined() && !readMode(mode, 0, where, slot, error))
        return std::nullopt;
    if (!speed.isUndefined() && !readSpeed(speed, where, slot, error))
        return std::nullopt;
    return setup;
}

std::optional<Notification> notificationFromJson(const QJsonObject &json, const BadgeSetup &textBase,
                                                 QString *error)
{
    const QJsonValue text = json.value(QStringLiteral("text"));
    if (!text.isString()) {
        *error = QStringLiteral("text: allowed a string");
        return std::nullopt;
    }
    // The range first: a number far beyond it has no int to compare with.
    const double seconds = json.value(QStringLiteral("seconds")).toDouble(-1);
    if (seconds < 1 || seconds > kNotifySecondsMax || seconds != double(int(seconds))) {
        *error = QStringLiteral("seconds: allowed 1 to %1").arg(kNotifySecondsMax);
        return std::nullopt;
    }
    const auto shown = textOnlySetup(textBase, text.toString(), json.value(QStringLiteral("mode")),
                                     json.value(QStringLiteral("speed")), error);
    if (!shown)
        return std::nullopt;
    return Notification{*shown, int(seconds)};
}

} // namespace glintag
