#include "cli/badgearguments.h"

#include "badge/dotcanvas.h"
#include "cli/argumentbytes.h"
#include "cli/completions.h"
#include "files/animatedgif.h"
#include "files/icons.h"
#include "files/picturefile.h"
#include "i18n/languages.h"

#include <QCommandLineParser>

namespace glintag {

namespace {

// A --picture value: "icon:NAME" stamps one of the program's icons at the
// slot's start; an animated GIF for slot 1 in Animation mode becomes its
// frames; anything else is a picture file loaded as the window loads it.
bool loadPictureArgument(const QString &value, int slot, const BadgeArguments &args, const BadgeModel &model,
                         QImage &canvas, QString *reason)
{
    if (value.startsWith(QLatin1String("icon:"))) {
        const Icon *icon = findIcon(value.mid(5));
        if (!icon) {
            *reason = QStringLiteral("no such icon; allowed %1").arg(iconNames().join(QLatin1String(", ")));
            return false;
        }
        stampIcon(canvas, *icon, 0);
        return true;
    }
    if (slot == 0 && args.mode == MoveMode::Animation && gifFrameCount(value) > 1) {
        GifAnimation animation;
        if (!loadGifAnimation(value, frameWidth(model), &animation, reason))
            return false;
        canvas = animation.canvas;
        return true;
    }
    return loadPictureOntoCanvas(value, canvas, reason);
}

// Option names that take a value, of every subcommand that reads messages:
// the order scan must step over their values.
const QStringList kValueOptions = {
    QStringLiteral("m"),     QStringLiteral("mode"),       QStringLiteral("s"),        QStringLiteral("speed"),
    QStringLiteral("model"), QStringLiteral("brightness"), QStringLiteral("language"), QStringLiteral("alternate"),
    QStringLiteral("p"),     QStringLiteral("picture"),    QStringLiteral("settings"), QStringLiteral("port"),
    QStringLiteral("o"),     QStringLiteral("output"),     QStringLiteral("png"),      QStringLiteral("scale"),
    QStringLiteral("gif"),
};

QString badValue(const QString &option, const QString &value, const QString &allowed)
{
    return QStringLiteral("--%1 %2: allowed %3").arg(option, value, allowed);
}

QString range(int low, int high)
{
    return QStringLiteral("%1 to %2").arg(low).arg(high);
}

// The modes' names: "left, right, ... animation", or with `help` the way a
// sentence lists them, each mode only some slots offer marked as such.
QString modeNames(bool help)
{
    QStringList names;
    for (const MoveModeFacts &m : kMoveModes)
        names << QLatin1String(m.name) + (help && m.firstSlotOnly ? QStringLiteral(" (slot 1 only)") : QString());
    if (help)
        names.back().prepend(QStringLiteral("or "));
    return names.join(QStringLiteral(", "));
}

QString modelNames()
{
    QStringList names;
    for (const BadgeModel &m : kBadgeModels)
        names << QLatin1String(m.name);
    const QString last = names.takeLast();
    return names.join(QStringLiteral(", ")) + QStringLiteral(" or ") + last;
}

// A whole number within [low, high], nothing else around it.
std::optional<int> numberIn(const QString &text, int low, int high)
{
    bool ok = false;
    const int n = text.toInt(&ok);
    if (!ok || n < low || n > high || text.trimmed() != text || text.startsWith(QLatin1Char('+')))
        return std::nullopt;
    return n;
}

// Texts and pictures in the order they stood on the line. QCommandLineParser
// keeps positional arguments and option values apart; this walk puts them
// back together, stepping over the values of the options that take one.
QList<BadgeArguments::Message> messagesInOrder(const QStringList &arguments)
{
    QList<BadgeArguments::Message> out;
    bool optionsEnded = false;
    for (int i = 1; i < arguments.size(); ++i) {
        const QString &a = arguments[i];
        if (optionsEnded || a == QLatin1String("-") || !a.startsWith(QLatin1Char('-'))) {
            out.append({false, a, {}});
            continue;
        }
        if (a == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        if (a.startsWith(QLatin1String("--"))) {
            const int eq = a.indexOf(QLatin1Char('='));
            const QString name = a.mid(2, eq < 0 ? -1 : eq - 2);
            QString value;
            if (eq >= 0)
                value = a.mid(eq + 1);
            else if (kValueOptions.contains(name) && i + 1 < arguments.size())
                value = arguments[++i];
            if (name == QLatin1String("picture"))
                out.append({true, value, {}});
            continue;
        }
        // A group of short options: the first that takes a value takes the
        // rest of the group, or the next argument.
        for (int k = 1; k < a.size(); ++k) {
            const QString name = a.mid(k, 1);
            if (!kValueOptions.contains(name))
                continue;
            const QString value
                = k + 1 < a.size() ? a.mid(k + 1) : (i + 1 < arguments.size() ? arguments[++i] : QString());
            if (name == QLatin1String("p"))
                out.append({true, value, {}});
            break;
        }
    }
    return out;
}

} // namespace

int languageFromCode(const QString &code)
{
    return int(uiLanguageCodes().indexOf(code));
}

QStringList badgeValueChoices(const QString &valueName)
{
    QStringList values;
    if (valueName == QLatin1String("MODE"))
        for (const MoveModeFacts &m : kMoveModes)
            values << QLatin1String(m.name);
    else if (valueName == QLatin1String("MODEL"))
        for (const BadgeModel &m : kBadgeModels)
            values << QLatin1String(m.name);
    else if (valueName == QLatin1String("LANG"))
        values = uiLanguageCodes();
    else if (valueName == QLatin1String("PICTURE")) {
        values << kFileValues;
        for (const QString &name : iconNames())
            values << QStringLiteral("icon:") + name;
    }
    return values;
}

bool readsStandardInput(const BadgeArguments &args)
{
    for (const auto &m : args.messages)
        if (!m.picture && m.value == QLatin1String("-"))
            return true;
    return false;
}

namespace {

// How many texts "-" are among the messages.
int dashCount(const BadgeArguments &args)
{
    int dashes = 0;
    for (const auto &m : args.messages)
        dashes += !m.picture && m.value == QLatin1String("-");
    return dashes;
}

} // namespace

bool putLinesInPlaceOfDash(BadgeArguments &args, const SlotLines &lines, QString *error)
{
    if (dashCount(args) > 1) {
        *error = QStringLiteral("-: allowed once (standard input is read once)");
        return false;
    }
    if (lines.isEmpty()) {
        *error = QStringLiteral("-: standard input holds no line");
        return false;
    }
    QList<BadgeArguments::Message> out;
    for (const auto &m : args.messages) {
        if (m.picture || m.value != QLatin1String("-")) {
            out.append(m);
            continue;
        }
        for (const QString &line : lines.texts())
            out.append({false, line, QString()});
    }
    args.messages = out;
    args.linesDropped = lines.dropped();
    args.textsCut += int(lines.cut().size());
    return true;
}

bool readTextsFromInput(BadgeArguments &args, const QByteArray &input, QString *error)
{
    SlotLines lines(int(args.messages.size()) - 1);
    lines.addLines(input);
    return putLinesInPlaceOfDash(args, lines, error);
}

QList<QCommandLineOption> badgeOptions()
{
    const BadgeSetup fresh;
    const SlotSetup &slot = fresh.slots[0];
    return {
        {{QStringLiteral("m"), QStringLiteral("mode")},
         QStringLiteral("How each message moves: %1. Default: %2.")
             .arg(modeNames(true), QLatin1String(moveModeFacts(*moveModeAt(slot.mode)).name)),
         QStringLiteral("MODE")},
        {{QStringLiteral("s"), QStringLiteral("speed")},
         QStringLiteral("Speed of each message, %1. Default: %2.").arg(range(kSpeedMin, kSpeedMax), slot.speed),
         QStringLiteral("N")},
        {{QStringLiteral("f"), QStringLiteral("flash")}, QStringLiteral("Each message flashes.")},
        {{QStringLiteral("b"), QStringLiteral("border")}, QStringLiteral("Each message has a running border lamp.")},
        {QStringLiteral("vertical"), QStringLiteral("Write each message vertically (Chinese, Japanese, Korean).")},
        {{QStringLiteral("p"), QStringLiteral("picture")},
         QStringLiteral("A picture (BMP, PNG, GIF, JPEG, ICO) or icon:NAME takes the next slot; may be repeated. "
                        "An animated GIF with --mode animation becomes slot 1's frames."),
         QStringLiteral("PICTURE")},
        {QStringLiteral("model"), QStringLiteral("Badge model, %1. Default: %2.").arg(modelNames(), fresh.model),
         QStringLiteral("MODEL")},
        {QStringLiteral("brightness"),
         QStringLiteral("Brightness, %1. Default: %2.").arg(range(kBrightnessMin, kBrightnessMax), fresh.brightness),
         QStringLiteral("N")},
        {QStringLiteral("language"),
         QStringLiteral("Code page and font files: en, zh-CN, zh-TW, ja or ko. Default: the settings file's language."),
         QStringLiteral("LANG")},
        {QStringLiteral("alternate"), QStringLiteral("Show slots FIRST to LAST in alternation, e.g. 1-3."),
         QStringLiteral("FIRST-LAST")},
        {QStringLiteral("settings"), QStringLiteral("Read this settings file instead of the window's."),
         QStringLiteral("FILE")},
    };
}

std::optional<BadgeArguments> readBadgeArguments(const QCommandLineParser &parser, const QStringList &arguments,
                                                 QString *error)
{
    BadgeArguments args;
    auto fail = [&](const QString &message) {
        *error = message;
        return std::nullopt;
    };

    if (parser.isSet(QStringLiteral("mode"))) {
        const QString v = parser.value(QStringLiteral("mode"));
        args.mode = moveModeNamed(v);
        if (!args.mode)
            return fail(badValue(QStringLiteral("mode"), v, modeNames(false)));
    }
    if (parser.isSet(QStringLiteral("speed"))) {
        const QString v = parser.value(QStringLiteral("speed"));
        args.speed = numberIn(v, kSpeedMin, kSpeedMax);
        if (!args.speed)
            return fail(badValue(QStringLiteral("speed"), v, range(kSpeedMin, kSpeedMax)));
    }
    args.flash = parser.isSet(QStringLiteral("flash"));
    args.border = parser.isSet(QStringLiteral("border"));
    args.vertical = parser.isSet(QStringLiteral("vertical"));

    if (parser.isSet(QStringLiteral("model"))) {
        const QString v = parser.value(QStringLiteral("model"));
        if (v != QLatin1String(badgeModel(v).name))
            return fail(badValue(QStringLiteral("model"), v, modelNames()));
        args.model = v;
    }
    if (parser.isSet(QStringLiteral("brightness"))) {
        const QString v = parser.value(QStringLiteral("brightness"));
        args.brightness = numberIn(v, kBrightnessMin, kBrightnessMax);
        if (!args.brightness)
            return fail(badValue(QStringLiteral("brightness"), v, range(kBrightnessMin, kBrightnessMax)));
    }
    if (parser.isSet(QStringLiteral("language"))) {
        const QString v = parser.value(QStringLiteral("language"));
        const int position = languageFromCode(v);
        if (position < 0)
            return fail(badValue(QStringLiteral("language"), v, QStringLiteral("en, zh-CN, zh-TW, ja, ko")));
        args.language = position;
    }
    if (parser.isSet(QStringLiteral("alternate"))) {
        // Slot 16 alone never starts a group: the window's rule ignores its box
        // until a run reaches it.
        const QString v = parser.value(QStringLiteral("alternate"));
        const QStringList parts = v.split(QLatin1Char('-'));
        const auto first = parts.size() == 2 ? numberIn(parts[0], 1, kSlotCount - 1) : std::nullopt;
        const auto last = first ? numberIn(parts[1], *first, kSlotCount) : std::nullopt;
        if (!last)
            return fail(badValue(QStringLiteral("alternate"), v,
                                 QStringLiteral("FIRST-LAST with 1 <= FIRST <= LAST <= %1 and FIRST <= %2")
                                     .arg(kSlotCount)
                                     .arg(kSlotCount - 1)));
        args.alternateFirst = *first - 1;
        args.alternateLast = *last - 1;
    }

    args.messages = messagesInOrder(arguments);
    // The walk must agree with the parser; if it ever does not, the parser's
    // own lists win, texts first.
    int texts = 0;
    for (const auto &m : args.messages)
        texts += m.picture ? 0 : 1;
    const QStringList pictures = parser.values(QStringLiteral("picture"));
    if (texts != parser.positionalArguments().size() || args.messages.size() - texts != pictures.size()) {
        args.messages.clear();
        for (const QString &t : parser.positionalArguments())
            args.messages.append({false, t, {}});
        for (const QString &p : pictures)
            args.messages.append({true, p, {}});
    }
    if (args.messages.size() > kSlotCount)
        return fail(QStringLiteral("%1 messages: allowed at most %2 (texts and pictures together)")
                        .arg(args.messages.size())
                        .arg(kSlotCount));
    for (auto &m : args.messages) {
        if (m.picture && m.value.isEmpty())
            return fail(QStringLiteral("--picture: allowed a picture file name"));
        // A name keeps its bytes; a text is what the badge draws.
        if (!m.picture) {
            bool cut = false;
            m.value = cutToTextLimit(argumentText(m.value), &cut);
            args.textsCut += cut ? 1 : 0;
        }
    }
    return args;
}

std::optional<BadgeSetup> badgeSetupFor(const BadgeArguments &args, const BadgeSetup &stored, QString *error)
{
    // Every source has been held to the slots by now; this is the last guard.
    if (args.messages.size() > kSlotCount) {
        *error = QStringLiteral("%1 messages: allowed at most %2").arg(args.messages.size()).arg(kSlotCount);
        return std::nullopt;
    }
    BadgeSetup setup;
    std::array<bool, kSlotCount> targets{};
    if (args.messages.isEmpty()) {
        setup = stored;
        for (int i = 0; i < kSlotCount; ++i)
            targets[i] = setup.slots[i].select;
    } else {
        setup = defaultBadgeSetup();
        setup.language = stored.language;
        for (int i = 0; i < kSlotCount; ++i)
            setup.slots[i].select = false;
        for (int i = 0; i < args.messages.size(); ++i) {
            SlotSetup &slot = setup.slots[i];
            const BadgeArguments::Message &m = args.messages[i];
            slot.select = true;
            targets[i] = true;
            if (!m.picture) {
                slot.text = m.value;
                continue;
            }
            slot.text.clear();
            slot.image = true;
            slot.picture = makeBlankCanvas();
            QString reason;
            if (!loadPictureArgument(m.openAs.isEmpty() ? m.value : m.openAs, i, args,
                                     badgeModel(args.model.value_or(setup.model)), slot.picture, &reason)) {
                *error = QStringLiteral("--picture %1: %2").arg(m.value, reason);
                return std::nullopt;
            }
        }
    }

    for (int i = 0; i < kSlotCount; ++i) {
        if (!targets[i])
            continue;
        SlotSetup &slot = setup.slots[i];
        if (args.mode) {
            if (!offersMoveMode(i, *args.mode)) {
                *error = QStringLiteral("--mode %1: allowed only for slot 1, but slot %2 is sent too")
                             .arg(QLatin1String(moveModeFacts(*args.mode).name))
                             .arg(i + 1);
                return std::nullopt;
            }
            slot.mode = listPosition(*args.mode);
        }
        if (args.speed)
            slot.speed = QString::number(*args.speed);
        slot.flash = slot.flash || args.flash;
        slot.border = slot.border || args.border;
        slot.vertical = slot.vertical || args.vertical;
    }

    if (args.model)
        setup.model = *args.model;
    if (args.brightness)
        setup.brightness = QString::number(*args.brightness);
    if (args.language)
        setup.language = *args.language;

    // Whatever the group's source, the boxes end as the window's rule leaves
    // them when it checks them in order.
    std::array<bool, kSlotCount> wanted{};
    for (int i = 0; i < kSlotCount; ++i)
        wanted[i] = args.alternateFirst ? (i >= *args.alternateFirst && i <= *args.alternateLast)
                                        : (args.messages.isEmpty() && setup.slots[i].alternate);
    const std::array<bool, kSlotCount> boxes = checkAlternateBoxes(wanted);
    for (int i = 0; i < kSlotCount; ++i)
        setup.slots[i].alternate = boxes[i];
    return setup;
}

QStringList pictureNotes(const BadgeArguments &args, const BadgeSetup &setup)
{
    QStringList notes;
    if (args.messages.isEmpty() || !args.messages[0].picture || args.mode != MoveMode::Animation)
        return notes;
    const BadgeModel &model = badgeModel(setup.model);
    const int frames = gifFrameCount(args.messages[0].value);
    if (frames > maxFrames(model))
        notes << QStringLiteral("--picture %1: the GIF has %2 frames; 4096 columns hold %3 of them (%4 columns each)")
                     .arg(args.messages[0].value)
                     .arg(frames)
                     .arg(maxFrames(model))
                     .arg(frameWidth(model));
    return notes;
}

} // namespace glintag
