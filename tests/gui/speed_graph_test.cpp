#include "app/speed_graph.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QMouseEvent>
#include <QTest>

namespace {

using vornik::GraphColumn;
using vornik::gui::SpeedGraph;

const QColor kGreen(0, 255, 0);
const QColor kYellow(255, 255, 0);
const QColor kBlack(0, 0, 0);

class PressCounter : public QWidget {
  public:
    int presses = 0;

  protected:
    void mousePressEvent(QMouseEvent* event) override {
        ++presses;
        event->accept();
    }
};

// A 200x56 graph: one pixel per 10 units across, one per 10 units up.
TEST(SpeedGraph, ScalesTheDrawingToTheWidget) {
    SpeedGraph graph;
    graph.resize(200, 56);
    // Column 0: download to half height (280 units), upload up to 420 units.
    // Column 99: far past the top. Columns in between draw nothing.
    graph.SetColumns({GraphColumn{0, 280, 420}, GraphColumn{99, 700, 900}});
    const QImage picture = graph.grab().toImage();
    // Read in widget pixels, whatever the screen's scale.
    const struct {
        const QImage& image;
        QColor pixelColor(int x, int y) const {
            const double scale = image.devicePixelRatio();
            return image.pixelColor(int(x * scale), int(y * scale));
        }
    } image{picture};
    EXPECT_EQ(image.pixelColor(1, 50), kGreen);
    EXPECT_EQ(image.pixelColor(1, 30), kGreen);
    EXPECT_EQ(image.pixelColor(1, 20), kYellow);
    EXPECT_EQ(image.pixelColor(1, 10), kBlack);
    EXPECT_EQ(image.pixelColor(100, 50), kBlack);
    EXPECT_EQ(image.pixelColor(199, 0), kGreen);
    EXPECT_EQ(image.pixelColor(199, 55), kGreen);
    // The last column reaches the right edge, whatever the screen's scale.
    graph.resize(213, 57);
    const QImage scaled = graph.grab().toImage();
    for (int y = 0; y < scaled.height(); ++y) {
        ASSERT_EQ(scaled.pixelColor(scaled.width() - 1, y), kGreen)
            << y << " of " << scaled.height();
    }
}

TEST(SpeedGraph, RightPressesGoToTheParent) {
    PressCounter parent;
    auto* graph = new SpeedGraph(&parent);
    graph->resize(100, 28);
    QTest::mousePress(graph, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseRelease(graph, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(parent.presses, 0);
    QTest::mousePress(graph, Qt::RightButton, {}, QPoint(5, 5));
    QTest::mouseRelease(graph, Qt::RightButton, {}, QPoint(5, 5));
    EXPECT_EQ(parent.presses, 1);
}

}  // namespace
