#include "tcgauge.h"

#include <QPainter>

#include <algorithm>
#include <climits>

namespace kestrel {

namespace {

QRect toQRect(int left, int top, int right, int bottom)
{
    return QRect(left, top, right - left, bottom - top);
}

// a := a XOR b, pixel by pixel; both images are opaque and of one size.
void xorInto(QImage& a, const QImage& b)
{
    for (int y = 0; y < a.height(); ++y) {
        auto* dst = reinterpret_cast<QRgb*>(a.scanLine(y));
        const auto* src = reinterpret_cast<const QRgb*>(b.constScanLine(y));
        for (int x = 0; x < a.width(); ++x)
            dst[x] = ((dst[x] ^ src[x]) & 0x00FFFFFFu) | 0xFF000000u;
    }
}

[[noreturn]] void throwRange(qint64 low, qint64 high)
{
    throw GaugeRangeError(
        QStringLiteral("Value must be between %1 and %2").arg(low).arg(high).toStdString());
}

} // namespace

QColor toQColor(TColor color)
{
    return QColor(static_cast<int>(color & 0xFF), static_cast<int>((color >> 8) & 0xFF),
                  static_cast<int>((color >> 16) & 0xFF));
}

void TBltBitmap::MakeLike(const QImage& other)
{
    QImage::operator=(QImage(other.size(), QImage::Format_RGB32));
    fill(Qt::black);
}

TCGauge::TCGauge(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::NoFocus);
    resize(100, 100);
}

int TCGauge::GetPercentDone() const
{
    if (m_maxValue == m_minValue)
        return 0;
    const qint64 done = static_cast<qint64>(m_progress) - m_minValue;
    const qint64 span = static_cast<qint64>(m_maxValue) - m_minValue;
    return static_cast<int>(100 * done / span);
}

void TCGauge::SetMinValue(int value)
{
    if (value == m_minValue)
        return;
    if (value > m_maxValue)
        throwRange(-2147483647, static_cast<qint64>(m_maxValue) - 1);
    moveBound(m_minValue, value);
}

void TCGauge::SetMaxValue(int value)
{
    if (value == m_maxValue)
        return;
    if (value < m_minValue)
        throwRange(static_cast<qint64>(m_minValue) + 1, 2147483647);
    moveBound(m_maxValue, value);
}

void TCGauge::moveBound(int& bound, int value)
{
    const int before = GetPercentDone();
    bound = value;
    m_progress = std::clamp(m_progress, m_minValue, m_maxValue);
    if (GetPercentDone() != before)
        Repaint();
}

void TCGauge::SetProgress(int value)
{
    const int before = GetPercentDone();
    const int clamped = std::clamp(value, m_minValue, m_maxValue);
    if (clamped == m_progress)
        return;
    m_progress = clamped;
    if (GetPercentDone() != before)
        Repaint();
}

void TCGauge::AddProgress(int value)
{
    const qint64 sum = static_cast<qint64>(m_progress) + value;
    SetProgress(static_cast<int>(std::clamp<qint64>(sum, INT_MIN, INT_MAX)));
    Repaint();
}

void TCGauge::Repaint()
{
    // A request: requests made before the next paint share it.
    update();
}

TCGauge::Edges TCGauge::paintRect() const
{
    if (m_borderStyle == bsSingle)
        return {1, 1, width() - 1, height() - 1};
    return {0, 0, width(), height()};
}

QImage TCGauge::Compose() const
{
    const Edges r = paintRect();
    TBltBitmap a;
    a.MakeLike(QImage(size(), QImage::Format_RGB32));
    PaintBackground(a);

    TBltBitmap b;
    b.MakeLike(a);
    switch (m_kind) {
    case gkHorizontalBar:
    case gkVerticalBar:
        PaintAsBar(b, r);
        break;
    default:
        // The pie and needle pictures are not drawn: those kinds show the text picture.
        PaintAsNothing(b, r);
        break;
    }
    xorInto(a, b);

    if (m_showText) {
        TBltBitmap c;
        c.MakeLike(a);
        PaintAsText(c, r);
        xorInto(a, c);
    }
    return a;
}

void TCGauge::paintEvent(QPaintEvent* /*event*/)
{
    const QImage picture = Compose();
    QPainter painter(this);
    painter.drawImage(0, 0, picture);
    ++m_paintCount;
}

void TCGauge::PaintBackground(TBltBitmap& image)
{
    image.fill(Qt::black);
}

void TCGauge::PaintAsNothing(TBltBitmap& image, const Edges& r) const
{
    QPainter p(&image);
    p.fillRect(toQRect(r.left, r.top, r.right, r.bottom), toQColor(m_backColor));
}

void TCGauge::PaintAsBar(TBltBitmap& image, const Edges& r) const
{
    const int w = r.right - r.left + 1;
    const int h = r.bottom - r.top + 1;
    const int percent = GetPercentDone();
    QPainter p(&image);
    p.fillRect(toQRect(r.left, r.top, r.right, r.bottom), toQColor(m_backColor));
    const QColor fore = toQColor(m_foreColor);
    if (m_kind == gkHorizontalBar) {
        const int fill = std::min(percent * w / 100, w);
        if (fill > 0 && fill > r.left)
            p.fillRect(toQRect(r.left, r.top, fill, h), fore);
    } else {
        const int fill = std::min(percent * h / 100, h - 1);
        if (fill > 0)
            p.fillRect(toQRect(r.left, h - fill, w, h), fore);
    }
}

void TCGauge::PaintAsText(TBltBitmap& image, const Edges& r) const
{
    const QString text = QStringLiteral("%1%").arg(GetPercentDone());
    QFont textFont = font();
    textFont.setStyleStrategy(QFont::NoAntialias);
    const QFontMetrics metrics(textFont);
    const int x = (r.right - r.left + 1 - metrics.horizontalAdvance(text)) / 2;
    const int y = (r.bottom - r.top + 1 - metrics.height()) / 2;
    QPainter p(&image);
    p.setClipRect(toQRect(r.left, r.top, r.right, r.bottom));
    p.setFont(textFont);
    p.setPen(Qt::white);
    p.drawText(x, y + metrics.ascent(), text);
}

} // namespace kestrel
