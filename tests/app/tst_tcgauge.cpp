#include "tcgauge.h"

#include <QtTest>

#include <climits>
#include <set>

using namespace kestrel;

namespace {

constexpr TColor WindowColor = 12566400; // RGB(128, 191, 191)
const QRgb InnerEmpty = qRgb(128, 191, 191);
const QRgb TextOverEmpty = qRgb(127, 64, 64);

// The gauge of the main window, shown so that repaints reach the screen.
struct ShownGauge
{
    TCGauge gauge;
    ShownGauge(int w = 657, int h = 20)
    {
        gauge.resize(w, h);
        gauge.SetBackColor(WindowColor);
        gauge.show();
        [[maybe_unused]] const bool exposed = QTest::qWaitForWindowExposed(&gauge);
    }
    QImage picture() { return gauge.grab().toImage().convertToFormat(QImage::Format_RGB32); }
};

// Lets every requested paint happen.
void settle()
{
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
}

std::set<QRgb> coloursIn(const QImage& image, const QRect& area)
{
    std::set<QRgb> colours;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            colours.insert(image.pixel(x, y) | 0xFF000000u);
    return colours;
}

int countColour(const QImage& image, const QRect& area, QRgb colour)
{
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += (image.pixel(x, y) | 0xFF000000u) == colour ? 1 : 0;
    return n;
}

} // namespace

class TestTCGauge : public QObject
{
    Q_OBJECT
private slots:
    void defaults();
    void percentage_data();
    void percentage();
    void rangeErrors_data();
    void rangeErrors();
    void repaintCounts_data();
    void repaintCounts();
    void emptyGaugePixels();
    void textInverseOverFill_data();
    void textInverseOverFill();
    void halfFilledBar();
    void otherKindsAndBorder();
};

void TestTCGauge::defaults()
{
    TCGauge g;
    QCOMPARE(g.Kind(), gkHorizontalBar);
    QVERIFY(g.ShowText());
    QCOMPARE(g.BorderStyle(), int(bsSingle));
    QCOMPARE(g.ForeColor(), TColor(0));
    QCOMPARE(g.BackColor(), TColor(0xFFFFFF));
    QCOMPARE(g.MinValue(), 0);
    QCOMPARE(g.MaxValue(), 100);
    QCOMPARE(g.Progress(), 0);
    QCOMPARE(g.size(), QSize(100, 100));
}

void TestTCGauge::percentage_data()
{
    QTest::addColumn<int>("minValue");
    QTest::addColumn<int>("maxValue");
    QTest::addColumn<int>("progress");
    QTest::addColumn<int>("newMax"); // applied after progress; equal to maxValue: none
    QTest::addColumn<int>("expectedProgress");
    QTest::addColumn<int>("expectedPercent");

    QTest::newRow("1 of 60") << 0 << 60 << 1 << 60 << 1 << 1;
    QTest::newRow("59 of 60") << 0 << 60 << 59 << 60 << 59 << 98;
    QTest::newRow("60 of 60") << 0 << 60 << 60 << 60 << 60 << 100;
    QTest::newRow("1000 of 999 clamps") << 0 << 999 << 1000 << 999 << 999 << 100;
    QTest::newRow("below min clamps") << 10 << 20 << -5 << 20 << 10 << 0;
    QTest::newRow("max equals min") << 0 << 0 << 70 << 0 << 0 << 0;
    QTest::newRow("max equals min at 50") << 50 << 50 << 70 << 50 << 50 << 0;
    QTest::newRow("lowering max pulls progress") << 0 << 100 << 80 << 40 << 40 << 100;
    QTest::newRow("negative range") << -100 << 100 << 0 << 100 << 0 << 50;
    QTest::newRow("wide range") << -2000000000 << 2000000000 << 0 << 2000000000 << 0 << 50;
    QTest::newRow("rounds down") << 0 << 3 << 2 << 3 << 2 << 66;
}

void TestTCGauge::percentage()
{
    QFETCH(int, minValue);
    QFETCH(int, maxValue);
    QFETCH(int, progress);
    QFETCH(int, newMax);
    QFETCH(int, expectedProgress);
    QFETCH(int, expectedPercent);

    TCGauge g;
    if (minValue < g.MinValue()) {
        g.SetMinValue(minValue);
        g.SetMaxValue(maxValue);
    } else {
        g.SetMaxValue(maxValue);
        g.SetMinValue(minValue);
    }
    g.SetProgress(progress);
    g.SetMaxValue(newMax);
    QCOMPARE(g.Progress(), expectedProgress);
    QCOMPARE(g.GetPercentDone(), expectedPercent);
    QVERIFY(g.MinValue() <= g.Progress() && g.Progress() <= g.MaxValue());
}

void TestTCGauge::rangeErrors_data()
{
    QTest::addColumn<bool>("setMin");
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("message");
    QTest::newRow("min above max") << true << 150 << "Value must be between -2147483647 and 99";
    QTest::newRow("max below min") << false << -1 << "Value must be between 1 and 2147483647";
}

void TestTCGauge::rangeErrors()
{
    QFETCH(bool, setMin);
    QFETCH(int, value);
    QFETCH(QString, message);

    ShownGauge shown;
    TCGauge& g = shown.gauge;
    g.SetProgress(30);
    const int paints = g.paintCount();
    QString caught;
    try {
        if (setMin)
            g.SetMinValue(value);
        else
            g.SetMaxValue(value);
    } catch (const GaugeRangeError& error) {
        caught = QString::fromUtf8(error.what());
    }
    QCOMPARE(caught, message);
    QCOMPARE(g.MinValue(), 0);
    QCOMPARE(g.MaxValue(), 100);
    QCOMPARE(g.Progress(), 30);
    QCOMPARE(g.paintCount(), paints);
}

void TestTCGauge::repaintCounts_data()
{
    QTest::addColumn<int>("maxValue");
    QTest::addColumn<int>("last");
    QTest::addColumn<int>("step");
    QTest::addColumn<int>("repaints");
    QTest::newRow("0 to 500 of 999") << 999 << 500 << 1 << 50;
    QTest::newRow("0 to 999 of 999") << 999 << 999 << 1 << 100;
    QTest::newRow("0 to 60 of 60") << 60 << 60 << 1 << 60;
    QTest::newRow("100000 steps") << 100000 << 100000 << 1 << 100;
    QTest::newRow("steps of 7 of 1001") << 1001 << 1001 << 7 << 100;
}

void TestTCGauge::repaintCounts()
{
    QFETCH(int, maxValue);
    QFETCH(int, last);
    QFETCH(int, step);
    QFETCH(int, repaints);

    ShownGauge shown;
    TCGauge& g = shown.gauge;
    g.SetMaxValue(maxValue);
    g.SetProgress(0);
    settle();
    const int before = g.paintCount();
    // Each change given its chance to paint: only a whole-percent change asks for one.
    for (int p = 0; p <= last; p += step) {
        g.SetProgress(p);
        settle();
    }
    if (last % step != 0)
        g.SetProgress(last);
    settle();
    QCOMPARE(g.paintCount() - before, repaints);

    // Equal values do nothing, nor does a range change that keeps the percentage; AddProgress
    // asks for a paint even when nothing changed.
    const int settled = g.paintCount();
    g.SetProgress(last);
    g.SetMaxValue(maxValue);
    g.SetBackColor(WindowColor);
    g.SetMinValue(-1);
    g.SetMinValue(0);
    settle();
    QCOMPARE(g.paintCount(), settled);
    g.AddProgress(0);
    settle();
    QCOMPARE(g.paintCount(), settled + 1);
    g.SetForeColor(0x0000FF);
    settle();
    QCOMPARE(g.paintCount(), settled + 2);

    // Requests made before the next paint share it.
    g.SetForeColor(0x00FF00);
    g.SetProgress(0);
    g.SetMaxValue(maxValue + 1);
    g.AddProgress(1);
    settle();
    QCOMPARE(g.paintCount(), settled + 3);
}

void TestTCGauge::emptyGaugePixels()
{
    ShownGauge shown;
    const QImage img = shown.picture();
    QCOMPARE(img.size(), QSize(657, 20));
    // Black 1-pixel frame.
    for (int x = 0; x < 657; ++x) {
        QCOMPARE(img.pixel(x, 0), qRgb(0, 0, 0));
        QCOMPARE(img.pixel(x, 19), qRgb(0, 0, 0));
    }
    for (int y = 0; y < 20; ++y) {
        QCOMPARE(img.pixel(0, y), qRgb(0, 0, 0));
        QCOMPARE(img.pixel(656, y), qRgb(0, 0, 0));
    }
    // Inner area: the empty colour and the inverse-coloured text "0%" near the middle.
    const QRect inner(1, 1, 655, 18);
    QCOMPARE(coloursIn(img, inner), (std::set<QRgb>{InnerEmpty, TextOverEmpty}));
    QVERIFY(countColour(img, inner, TextOverEmpty) > 10);
    QCOMPARE(countColour(img, QRect(1, 1, 300, 18), TextOverEmpty), 0);
    QCOMPARE(countColour(img, QRect(356, 1, 300, 18), TextOverEmpty), 0);
}

void TestTCGauge::textInverseOverFill_data()
{
    QTest::addColumn<uint>("fore");
    QTest::addColumn<uint>("fill");
    QTest::addColumn<uint>("text");
    QTest::newRow("cyan over red") << 0x0000FFu << qRgb(255, 0, 0) << qRgb(0, 255, 255);
    QTest::newRow("magenta over green") << 0x00FF00u << qRgb(0, 255, 0) << qRgb(255, 0, 255);
    QTest::newRow("yellow over blue") << 0xFF0000u << qRgb(0, 0, 255) << qRgb(255, 255, 0);
    QTest::newRow("blue over yellow") << 0x00FFFFu << qRgb(255, 255, 0) << qRgb(0, 0, 255);
}

void TestTCGauge::textInverseOverFill()
{
    QFETCH(uint, fore);
    QFETCH(uint, fill);
    QFETCH(uint, text);

    ShownGauge shown;
    shown.gauge.SetForeColor(fore);
    shown.gauge.SetMaxValue(999);
    shown.gauge.SetProgress(1000);
    QCOMPARE(shown.gauge.GetPercentDone(), 100);
    const QImage img = shown.picture();
    const QRect inner(1, 1, 655, 18);
    QCOMPARE(coloursIn(img, inner), (std::set<QRgb>{fill, text}));
    QVERIFY(countColour(img, inner, text) > 10);
    QCOMPARE(img.pixel(0, 0), qRgb(0, 0, 0));
    QCOMPARE(img.pixel(656, 19), qRgb(0, 0, 0));
}

void TestTCGauge::halfFilledBar()
{
    ShownGauge shown;
    shown.gauge.SetForeColor(0x0000FF);
    shown.gauge.SetProgress(50);
    const QImage img = shown.picture();
    const QRgb red = qRgb(255, 0, 0);
    // Fill width 50 * 656 / 100 = 328: x = 1 to 327, full inner height.
    for (int y : {1, 18}) {
        QCOMPARE(img.pixel(1, y), red);
        QCOMPARE(img.pixel(327, y), red);
        QCOMPARE(img.pixel(328, y), InnerEmpty);
        QCOMPARE(img.pixel(655, y), InnerEmpty);
    }
    // The text straddles the edge: its left part inverts red, its right part the empty colour.
    QVERIFY(countColour(img, QRect(1, 1, 327, 18), qRgb(0, 255, 255)) > 0);
    QVERIFY(countColour(img, QRect(328, 1, 328, 18), TextOverEmpty) > 0);
    QCOMPARE(countColour(img, QRect(328, 1, 328, 18), qRgb(0, 255, 255)), 0);
    QCOMPARE(countColour(img, QRect(1, 1, 327, 18), TextOverEmpty), 0);
}

void TestTCGauge::otherKindsAndBorder()
{
    // Vertical bar, 20 x 100, no text: R = (1, 1, 19, 99), H = 99, fill height 49 at 50 %.
    ShownGauge vertical(20, 100);
    TCGauge& g = vertical.gauge;
    g.SetShowText(false);
    g.SeTCGaugeKind(gkVerticalBar);
    g.SetForeColor(0x00FF00);
    g.SetProgress(50);
    QImage img = vertical.picture();
    QCOMPARE(img.pixel(1, 50), qRgb(0, 255, 0));
    QCOMPARE(img.pixel(18, 98), qRgb(0, 255, 0));
    QCOMPARE(img.pixel(1, 49), InnerEmpty);
    QCOMPARE(img.pixel(10, 1), InnerEmpty);
    QCOMPARE(img.pixel(0, 50), qRgb(0, 0, 0));

    // Text kind: the picture is the empty colour whatever the percentage.
    g.SeTCGaugeKind(gkText);
    g.SetProgress(100);
    img = vertical.picture();
    QCOMPARE(coloursIn(img, QRect(1, 1, 18, 98)), (std::set<QRgb>{InnerEmpty}));

    // No border: the picture reaches the edges.
    g.SetBorderStyle(bsNone);
    img = vertical.picture();
    QCOMPARE(img.pixel(0, 0), InnerEmpty);
    QCOMPARE(img.pixel(19, 99), InnerEmpty);
}

QTEST_MAIN(TestTCGauge)
#include "tst_tcgauge.moc"
