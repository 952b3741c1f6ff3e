#pragma once

#include <QColor>
#include <QImage>
#include <QWidget>

#include <cstdint>
#include <stdexcept>

namespace kestrel {

// A colour as 0x00BBGGRR.
using TColor = std::uint32_t;

[[nodiscard]] constexpr TColor rgbColor(int r, int g, int b)
{
    return static_cast<TColor>(r & 0xFF) | static_cast<TColor>(g & 0xFF) << 8 |
           static_cast<TColor>(b & 0xFF) << 16;
}
[[nodiscard]] QColor toQColor(TColor color);

enum TCGaugeKind
{
    gkText,
    gkHorizontalBar,
    gkVerticalBar,
    gkPie,
    gkNeedle,
};

enum TBorderStyle
{
    bsNone = 0,
    bsSingle = 1,
};

// A value outside the gauge's range; what() is the full message.
class GaugeRangeError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// The off-screen images of one paint.
class TBltBitmap : public QImage
{
public:
    TBltBitmap() = default;
    // Takes the width and height of another bitmap, cleared to black.
    void MakeLike(const QImage& other);
};

// Progress gauge. Every paint is composed off-screen: the picture and the percentage text are
// combined by XOR, so the text shows the inverse of whatever lies beneath it. Changes ask for a
// paint (update()), so that changes made before the next paint share one; SetProgress,
// SetMinValue and SetMaxValue ask only when the whole percentage changes, the picture's only
// dependence on them.
// Used on the GUI thread only.
class TCGauge : public QWidget
{
    Q_OBJECT
public:
    explicit TCGauge(QWidget* parent = nullptr);

    [[nodiscard]] TCGaugeKind Kind() const { return m_kind; }
    [[nodiscard]] bool ShowText() const { return m_showText; }
    [[nodiscard]] int BorderStyle() const { return m_borderStyle; }
    [[nodiscard]] TColor ForeColor() const { return m_foreColor; }
    [[nodiscard]] TColor BackColor() const { return m_backColor; }
    [[nodiscard]] int MinValue() const { return m_minValue; }
    [[nodiscard]] int MaxValue() const { return m_maxValue; }
    [[nodiscard]] int Progress() const { return m_progress; }
    [[nodiscard]] int GetPercentDone() const;

    void SeTCGaugeKind(TCGaugeKind value) { setLook(m_kind, value); }
    void SetShowText(bool value) { setLook(m_showText, value); }
    void SetBorderStyle(int value) { setLook(m_borderStyle, value); }
    void SetForeColor(TColor value) { setLook(m_foreColor, value); }
    void SetBackColor(TColor value) { setLook(m_backColor, value); }
    // Both throw GaugeRangeError and leave the gauge unchanged when the value would invert the
    // range.
    void SetMinValue(int value);
    void SetMaxValue(int value);
    void SetProgress(int value);
    void AddProgress(int value);

    // The composed picture, exactly as the last paint copied it to the screen.
    [[nodiscard]] QImage Compose() const;
    // Paints that reached the screen since construction.
    [[nodiscard]] int paintCount() const { return m_paintCount; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // A rectangle by its edges; right and bottom are exclusive.
    struct Edges
    {
        int left;
        int top;
        int right;
        int bottom;
    };
    [[nodiscard]] Edges paintRect() const;
    static void PaintBackground(TBltBitmap& image);
    void PaintAsNothing(TBltBitmap& image, const Edges& r) const;
    void PaintAsBar(TBltBitmap& image, const Edges& r) const;
    void PaintAsText(TBltBitmap& image, const Edges& r) const;
    void Repaint();
    // Moves one end of the range (checked before), the progress into the range with it.
    void moveBound(int& bound, int value);
    // Sets one property of the look, repainting when it changed.
    template <class T> void setLook(T& property, T value)
    {
        if (value == property)
            return;
        property = value;
        Repaint();
    }

    TCGaugeKind m_kind = gkHorizontalBar;
    bool m_showText = true;
    int m_borderStyle = bsSingle;
    TColor m_foreColor = 0x000000;
    TColor m_backColor = 0xFFFFFF;
    int m_minValue = 0;
    int m_maxValue = 100;
    int m_progress = 0;
    int m_paintCount = 0;
};

} // namespace kestrel
