#pragma once

#include "badge/rendering.h"
#include "preview/faceframes.h"
#include "preview/losswarnings.h"

#include <QImage>
#include <QWidget>

#include <algorithm>
#include <cstring>

#include <vector>

class QFrame;
class QLabel;
class QListWidget;
class QScrollArea;
class QTimer;

namespace glintag {

struct BadgeSetup;

constexpr int kDotPitch = 4; // screen pixels per dot in the strip, and the face's smallest pitch
constexpr int kLargestFacePitch = 16;

// Lit against unlit is above 4:1 at full brightness and above 3:1 at the
// dimmest, so the dots read on any screen.
constexpr QRgb kLitDot = qRgb(255, 40, 40);
constexpr QRgb kUnlitDot = qRgb(36, 36, 36);
constexpr QRgb kDotGap = qRgb(16, 16, 16);

// The lit colour of a badge brightness, 1 (dimmest) to 4 (kLitDot).
QRgb litDotFor(int brightness);

// Writes dots into an RGB32 image whose pixels are kDotGap: square dots on
// a pitch of `pitch` pixels (a quarter of it, at least one pixel, is the
// gap), column col0 at image column 0, for columns col0 .. col1 - 1 (which
// must fit). Straight into the scan lines, as a painter per dot would be
// too slow for a 4,096-column strip.
template<typename Lit>
void paintDots(QImage &image, int col0, int col1, const Lit &lit, int pitch = kDotPitch, QRgb litColour = kLitDot)
{
    const int dot = pitch - std::max(1, pitch / 4);
    for (int r = 0; r < kRowCount; ++r) {
        QRgb *line = reinterpret_cast<QRgb *>(image.scanLine(r * pitch));
        for (int c = col0; c < col1; ++c) {
            QRgb *d = line + (c - col0) * pitch;
            const QRgb colour = lit(r, c) ? litColour : kUnlitDot;
            for (int k = 0; k < dot; ++k)
                d[k] = colour;
        }
        const auto bytes = size_t((col1 - col0) * pitch) * sizeof(QRgb);
        for (int k = 1; k < dot; ++k)
            std::memcpy(image.scanLine(r * pitch + k), line, bytes);
    }
}

// The strip: one slot's sent dots at full length; it sits in a scroll area
// and paints only what is exposed.
class DotStrip : public QWidget {
public:
    explicit DotStrip(QWidget *parent);
    void setDots(const SlotDots &dots);
    const SlotDots &dots() const { return m_dots; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    SlotDots m_dots;
};

// The badge face: paints the frame it is given at its pitch and in the lit
// colour of the badge's brightness, nothing else.
class FaceView : public QWidget {
public:
    explicit FaceView(QWidget *parent);
    void setFrame(const FaceFrame &frame);
    void setLook(int pitch, QRgb lit);
    int pitch() const { return m_pitch; }
    QRgb litColour() const { return m_lit; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    FaceFrame m_frame;
    int m_pitch = kDotPitch;
    QRgb m_lit = kLitDot;
};

// The preview under the memory gauge: the strip of the slot the user works
// on, the simulated badge face, and the loss warnings. It is handed the
// window's rendering result after every run and keeps its own copy; it does
// not render, clamp or judge anything itself (the core does) and owns only
// the face's clock, which runs while the window is visible and something moves.
// It takes whatever room it is given: side by side (face left, strip right,
// warnings below) when wide, stacked (face, strip, warnings) when tall; the
// face's dot pitch grows with the room and the warnings take what is left.
class PreviewPanel : public QWidget {
public:
    explicit PreviewPanel(QWidget *parent);

    // The least room that still shows the face, the strip and three warning
    // lines, stacked or side by side.
    static QSize minimumStacked();
    static QSize minimumSideBySide();
    bool isStacked() const { return m_stacked; }

    // After a rendering run; `rendering` is the setup's.
    void showSetup(const BadgeSetup &setup, const Rendering &rendering);
    // After a change of speed, flash or alternation: the setup with the
    // rendering shown last, which still holds its dots.
    void showSetup(const BadgeSetup &setup);
    void setWorkingSlot(int slot);
    // The brightness box's text: the face's lit colour, and nothing else.
    void setBrightness(const QString &brightness);
    int workingSlot() const { return m_workingSlot; }
    void applyLanguage(int uiLanguage);

    // One step of the face, as its clock would take it.
    void stepFace();

    const FacePlayer &player() const { return m_player; }
    const std::vector<LossWarning> &warnings() const { return m_warnings; }
    const RowBytes &sentBytes() const { return m_rendering.sent; }

    QLabel *faceCaption() const { return m_faceCaption; }
    QLabel *stripCaption() const { return m_stripCaption; }
    QFrame *faceBox() const { return m_faceBox; } // the face's frame, as wide as the model's face
    FaceView *face() const { return m_face; }
    QScrollArea *stripArea() const { return m_stripArea; }
    DotStrip *strip() const { return m_strip; }
    QListWidget *warningList() const { return m_warningList; }
    QTimer *faceClock() const { return m_faceClock; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void showStrip();
    void showTexts();
    void updateClock();
    void arrange();

    Rendering m_rendering;
    std::vector<LossWarning> m_warnings;
    FacePlayer m_player;
    int m_workingSlot = 0;
    int m_language = 0;
    int m_faceWidth = 0; // the model's face, in dots
    bool m_stacked = false;
    QObject *m_watchedWindow = nullptr;

    QLabel *m_faceCaption = nullptr;
    QLabel *m_stripCaption = nullptr;
    QFrame *m_faceBox = nullptr;
    FaceView *m_face = nullptr;
    QScrollArea *m_stripArea = nullptr;
    DotStrip *m_strip = nullptr;
    QListWidget *m_warningList = nullptr;
    QTimer *m_faceClock = nullptr;
};

} // namespace glintag
