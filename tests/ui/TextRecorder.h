#pragma once

#include <QPaintDevice>
#include <QPaintEngine>
#include <QStringList>

namespace nimbrook {

// A paint device that draws nothing and keeps the runs of text painted on it, so that a test
// can ask what a row said rather than guess at glyph pixels.
class TextRecorder final : public QPaintDevice, public QPaintEngine {
public:
    TextRecorder() : QPaintEngine(AllFeatures) {}

    QStringList texts;

    QPaintEngine* paintEngine() const override { return const_cast<TextRecorder*>(this); }
    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState&) override {}
    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
    void drawImage(const QRectF&, const QImage&, const QRectF&, Qt::ImageConversionFlags) override {
    }
    void drawPath(const QPainterPath&) override {}
    void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
    void drawRects(const QRectF*, int) override {}
    void drawTextItem(const QPointF&, const QTextItem& item) override { texts << item.text(); }
    Type type() const override { return User; }

protected:
    int metric(PaintDeviceMetric metric) const override {
        switch (metric) {
            case PdmWidth:
            case PdmHeight:
                return 1000;
            case PdmWidthMM:
            case PdmHeightMM:
                return 264;
            case PdmDepth:
                return 32;
            case PdmDevicePixelRatioScaled:
                return int(devicePixelRatioFScale());
            case PdmNumColors:
                return 0;
            default:
                // The dots per inch and the device pixel ratio of an ordinary screen.
                return metric == PdmDevicePixelRatio ? 1 : 96;
        }
    }
};

}  // namespace nimbrook
