#pragma once

namespace glintag {

// What the badge can hold and show, and the ranges of its settings. Every
// other file takes these from here.

constexpr int kSlotCount = 16;
// The most bytes (UTF-8) of one slot's text: what a settings file keeps of
// it across a restart, and so what any source may bring.
constexpr int kTextByteLimit = 1023;
constexpr int kRowCount = 12; // dot rows of the badge

// The badge keeps one 512-byte memory row per dot row for all slots
// together; a single slot may fill it alone, so each slot's row in the dot
// buffer is just as long.
constexpr int kRowLimit = 512;
constexpr int kRowByteCount = kRowLimit;       // bytes of one dot row of one slot
constexpr int kRowColumns = kRowByteCount * 8; // 4,096

// A slot's picture canvas: one pixel per dot of a full-length message.
constexpr int kCanvasWidth = kRowColumns;
constexpr int kCanvasHeight = kRowCount;

// The picture strip shows kPanView columns of the canvas. Its pan bar runs
// from kPanHome, the canvas's first column 3 pixels inside the strip, to
// kPanEnd, its last column as far inside the other end.
constexpr int kPanView = 324;
constexpr int kPanHome = -3;
constexpr int kPanEnd = kCanvasWidth - kPanView - kPanHome; // 3,775

// The speed and brightness boxes list these numbers, lowest first.
constexpr int kSpeedMin = 1;
constexpr int kSpeedMax = 8;
constexpr int kBrightnessMin = 1;
constexpr int kBrightnessMax = 4;

} // namespace glintag
