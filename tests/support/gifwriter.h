#pragma once

#include <QByteArray>
#include <QRect>

#include <vector>

// Writes real GIF files for the tests, frame by frame, with the parts of the
// format the loader must honour: frames placed anywhere on the screen,
// disposal methods and a transparent colour. The palette has eight colours:
// 0 black, 1 white, 2 red, 3 green, 4 blue, 5 mid grey, 6 dark grey, 7 yellow.
class GifWriter {
public:
    enum Disposal {
        Keep = 1,       // leave the frame in place
        Background = 2, // clear its area before the next frame
        Previous = 3    // restore what was there before it
    };

    GifWriter(int width, int height) : m_width(width), m_height(height)
    {
        m_bytes = QByteArray("GIF89a");
        le16(width);
        le16(height);
        m_bytes.append(char(0xF2)); // global table of 8 colours, 8-bit colour
        m_bytes.append(char(0));    // background index
        m_bytes.append(char(0));
        const unsigned char palette[8][3] = {{0, 0, 0},   {255, 255, 255}, {255, 0, 0},  {0, 255, 0},
                                             {0, 0, 255}, {128, 128, 128}, {60, 60, 60}, {255, 255, 0}};
        for (const auto &c : palette)
            m_bytes.append(reinterpret_cast<const char *>(c), 3);
        // Loops forever, as animated GIFs usually say.
        m_bytes.append("\x21\xFF\x0BNETSCAPE2.0\x03\x01\x00\x00\x00", 19);
    }

    // `pixels` holds rect.width() × rect.height() palette indices, row by
    // row; without any, the frame's data is only a clear and an end code: a
    // few bytes that claim the whole rectangle.
    void addFrame(const QRect &rect, const std::vector<int> &pixels, Disposal disposal = Keep, int transparent = -1)
    {
        m_bytes.append("\x21\xF9\x04", 3);
        m_bytes.append(char(disposal << 2 | (transparent >= 0 ? 1 : 0)));
        le16(10); // a tenth of a second
        m_bytes.append(char(transparent >= 0 ? transparent : 0));
        m_bytes.append(char(0));
        m_bytes.append(char(0x2C));
        le16(rect.x());
        le16(rect.y());
        le16(rect.width());
        le16(rect.height());
        m_bytes.append(char(0));
        m_bytes.append(char(kMinCodeSize));
        const QByteArray data = lzw(pixels);
        for (int at = 0; at < data.size(); at += 255) {
            const QByteArray block = data.mid(at, 255);
            m_bytes.append(char(block.size()));
            m_bytes.append(block);
        }
        m_bytes.append(char(0));
    }

    // A frame of one colour over the whole screen.
    void addFilledFrame(int colour, Disposal disposal = Keep)
    {
        addFrame(QRect(0, 0, m_width, m_height), std::vector<int>(size_t(m_width * m_height), colour), disposal);
    }

    QByteArray finish() const { return m_bytes + QByteArray(1, char(0x3B)); }

private:
    static constexpr int kMinCodeSize = 3;

    void le16(int v)
    {
        m_bytes.append(char(v & 0xFF));
        m_bytes.append(char((v >> 8) & 0xFF));
    }

    // A clear code before every few literals keeps the code width at four
    // bits, so no string table is needed: valid, if not small.
    static QByteArray lzw(const std::vector<int> &pixels)
    {
        const int clear = 1 << kMinCodeSize, end = clear + 1, width = kMinCodeSize + 1;
        QByteArray out;
        quint32 bits = 0;
        int count = 0;
        auto put = [&](int code) {
            bits |= quint32(code) << count;
            count += width;
            while (count >= 8) {
                out.append(char(bits & 0xFF));
                bits >>= 8;
                count -= 8;
            }
        };
        put(clear);
        for (size_t i = 0; i < pixels.size(); ++i) {
            if (i % 3 == 0 && i > 0)
                put(clear);
            put(pixels[i]);
        }
        put(end);
        if (count > 0)
            out.append(char(bits & 0xFF));
        return out;
    }

    int m_width, m_height;
    QByteArray m_bytes;
};

// A GIF of `frames` frames of w × h at column `left` of a screen of
// screenW × screenH, each frame's data only a clear and an end code: a few
// bytes a frame that claim a large picture.
inline QByteArray claimingGif(int screenW, int screenH, int w, int h, int frames, int left = 0)
{
    GifWriter gif(screenW, screenH);
    for (int k = 0; k < frames; ++k)
        gif.addFrame(QRect(left, 0, w, h), {});
    return gif.finish();
}

// The GIF `gif` (as GifWriter makes it) with a comment of `blocks` sub-blocks
// of four bytes each before its first frame: five bytes a block.
inline QByteArray withTinyBlocks(const QByteArray &gif, int blocks)
{
    // After the header, the eight-colour table and the looping extension.
    constexpr int kBeforeFrames = 13 + 24 + 19;
    QByteArray comment("\x21\xFE", 2);
    comment.reserve(2 + 5 * qsizetype(blocks) + 1);
    for (int k = 0; k < blocks; ++k)
        comment.append("\x04tiny", 5);
    comment.append(char(0));
    return gif.left(kBeforeFrames) + comment + gif.mid(kBeforeFrames);
}
