#pragma once

#include "badge/badgesetup.h"
#include "badge/slotlines.h"

#include <QCommandLineOption>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

class QCommandLineParser;

namespace glintag {

// What `send` and `preview` were asked for on the command line, before it is
// laid over a setup. It knows nothing of ports, files or the process: those
// belong to the subcommands.
struct BadgeArguments {
    // The messages in the order they stood on the line: each one takes the
    // next slot from slot 1.
    struct Message {
        bool picture = false; // value is a picture file, else the text
        QString value;
        QString openAs; // a picture: the path to open when it is not value itself
    };
    QList<Message> messages;

    // Per message, applied to every message given (or, without any, to the
    // settings file's selected slots).
    std::optional<MoveMode> mode;
    std::optional<int> speed; // kSpeedMin..kSpeedMax
    bool flash = false;
    bool border = false;
    bool vertical = false;

    // For the whole badge.
    std::optional<QString> model;      // one of kBadgeModels' names
    std::optional<int> brightness;     // kBrightnessMin..kBrightnessMax
    std::optional<int> language;       // language list position
    std::optional<int> alternateFirst; // slot indices 0..15
    std::optional<int> alternateLast;

    // What the slots could not take, for a warning: lines after the last
    // slot, and texts cut to the text limit.
    qint64 linesDropped = 0;
    int textsCut = 0;
};

// The options `send` and `preview` share, for their parsers.
QList<QCommandLineOption> badgeOptions();

// Reads the shared options and the messages from a parser that has parsed
// `arguments` (the line as given, the subcommand removed). The parser gives
// the values; the raw line gives the order of texts and pictures, which the
// parser does not keep. On a bad value returns nothing and sets *error to one
// line naming the argument and what is allowed.
std::optional<BadgeArguments> readBadgeArguments(const QCommandLineParser &parser, const QStringList &arguments,
                                                 QString *error);

// The setup one run sends. With messages: the first start's setup with only
// the given slots selected, in the language of `stored`. Without: `stored`
// itself (the settings file as the window would load it, its alternate group
// applied box by box as the window applies it). The options are laid over
// either. Pictures are loaded here; an unreadable one is an error.
std::optional<BadgeSetup> badgeSetupFor(const BadgeArguments &args, const BadgeSetup &stored, QString *error);

// What a script's log should hear about the pictures `setup` was made with
// (an animated GIF with more frames than slot 1 holds), one line each.
QStringList pictureNotes(const BadgeArguments &args, const BadgeSetup &setup);

// "en", "zh-CN", "zh-TW", "ja", "ko" → language list position; -1 otherwise.
int languageFromCode(const QString &code);

// The values an option of badgeOptions() allows, by its value name ("MODE",
// "MODEL", "LANG", and for "PICTURE" a file or an "icon:NAME"); empty for
// the others.
QStringList badgeValueChoices(const QString &valueName);

// The text "-" stands for lines (standard input, a group of them): replaces
// it with one message per line, as many as the slots left free take; the
// rest are counted in linesDropped. False with *error set when there is no
// line or more than one "-".
bool putLinesInPlaceOfDash(BadgeArguments &args, const SlotLines &lines, QString *error);
// The same from the bytes read (LF or CR LF ends a line; a last line
// without one counts too).
bool readTextsFromInput(BadgeArguments &args, const QByteArray &input, QString *error);

// True when a text "-" is among the messages.
bool readsStandardInput(const BadgeArguments &args);

} // namespace glintag
