#pragma once
// The gradient background behind the organiser's tab control and the
// update-all dialog. Rules it keeps:
// - three equal colours give a flat fill;
// - without the centre colour: a top-to-bottom ramp from GradientStart to
//   GradientMid, row y = A + (B - A) * y / H, truncating;
// - with it: GradMode picks a vertical, horizontal or four-quadrant ramp
//   through GradientMid, whose speed ColorScale sets (rounding ties to even);
// - FrameWidth > 0 draws a frame: top and left in black (BevelMode not 0) or
//   GradientStart, bottom and right one pixel wider in white or GradientEnd;
// - OnPaint, when set, runs after all of that;
// - nothing is painted at a width or height of 0 or less, and a ramp that
//   would divide by zero (an empty extent, ColorScale 0) is left out.
#include <QColor>
#include <QGuiApplication>
#include <QPalette>
#include <QWidget>

#include <functional>

class QPainter;

enum TGradMode { gmVertical, gmHorizontal, gmBoth };

struct TGradientSettings {
    int BevelMode = 0;
    bool CenterColor = false;
    double ColorScale = 1.0;
    QColor GradientStart = QColor(255, 255, 255);
    QColor GradientMid = QGuiApplication::palette().color(QPalette::Button);
    QColor GradientEnd = QColor(128, 128, 128);
    double GradMidPos = 0.5;
    TGradMode GradMode = gmVertical;
    int FrameWidth = 0;
};

// Paints the gradient and its frame over (0, 0, w, h); no widget needed.
void PaintGradient(QPainter& painter, int w, int h, const TGradientSettings& settings);

class TGradient : public QWidget {
    Q_OBJECT
public:
    explicit TGradient(QWidget* parent = nullptr);

    int BevelMode() const { return settings.BevelMode; }
    void SetBevelMode(int value);
    bool CenterColor() const { return settings.CenterColor; }
    void SetCenterColor(bool value);
    double ColorScale() const { return settings.ColorScale; }
    void SetColorScale(double value);
    QColor GradientStart() const { return settings.GradientStart; }
    void SetGradientStart(const QColor& value);
    QColor GradientMid() const { return settings.GradientMid; }
    void SetGradientMid(const QColor& value);
    QColor GradientEnd() const { return settings.GradientEnd; }
    void SetGradientEnd(const QColor& value);
    double GradMidPos() const { return settings.GradMidPos; }
    // Values outside 0..1 are ignored; the control repaints all the same.
    void SetGradMidPos(double value);
    TGradMode GradMode() const { return settings.GradMode; }
    void SetGradMode(TGradMode value);
    int FrameWidth() const { return settings.FrameWidth; }
    void SetFrameWidth(int value);

    const TGradientSettings& Settings() const { return settings; }

    // Paints the control at its current size, then runs OnPaint.
    void Paint(QPainter& painter);

    // Extra painting of the holder's, done after the gradient.
    std::function<void(QPainter&)> OnPaint;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    TGradientSettings settings;
};
