#pragma once
// The update-all dialog's progress bar: a panel with one solid rounded bar and
// a centred caption, or a row of rounded bubbles. Rules it keeps:
// - the range changes only when low < high, without a repaint;
// - Position is limited to Min..Max when set (a later range change leaves it,
//   and painting limits it again); Caption, Kind, BarColor, BackColor and
//   Position repaint, the other properties show at the next repaint;
// - the solid bar fills (Position - Min) / (Max - Min); its caption is drawn
//   on BackColor and only over the unfilled part;
// - bubbles count Position / Max without Min; horizontally all TotalBubbles
//   are drawn, vertically only the filled ones, from the bottom;
// - rounding ties go to the even neighbour;
// - a range of width 0 paints an empty solid bar; Max 0 or no bubbles paint
//   no bubbles.
#include <QColor>
#include <QFrame>
#include <QGuiApplication>
#include <QPalette>
#include <QString>

class QFont;
class QPainter;

enum THTKinds { htSolid, htBubbles };
enum TBevel { bvNone, bvLowered, bvRaised };

// What the bar's painting depends on; kept apart so that any stored state,
// even one the setters never let through, can be painted.
struct THTBarSettings {
    QColor BarColor = QColor(49, 106, 197);
    QColor BackColor = QGuiApplication::palette().color(QPalette::Button);
    QColor TextColor = QGuiApplication::palette().color(QPalette::WindowText);
    int Min = 0;
    int Max = 100;
    THTKinds Kind = htSolid;
    Qt::Orientation Orientation = Qt::Horizontal;
    QString Caption;
    int TotalBubbles = 10;
    int Position = 0;
};

// Paints the bar (not the panel) over (0, 0, w, h).
void PaintHTBar(QPainter& painter, int w, int h, const THTBarSettings& settings, const QFont& font);

class THTProgressBar : public QFrame {
    Q_OBJECT
public:
    explicit THTProgressBar(QWidget* parent = nullptr);

    QColor BarColor() const { return bar.BarColor; }
    void SetBarColor(const QColor& value);
    QColor BackColor() const { return bar.BackColor; }
    void SetBackColor(const QColor& value);
    int Min() const { return bar.Min; }
    void SetMin(int value);
    int Max() const { return bar.Max; }
    void SetMax(int value);
    // Only when low < high; no repaint.
    void SetRange(int low, int high);
    THTKinds Kind() const { return bar.Kind; }
    void SetKind(THTKinds value);
    Qt::Orientation Orientation() const { return bar.Orientation; }
    void SetOrientation(Qt::Orientation value);
    QString Caption() const { return bar.Caption; }
    void SetCaption(const QString& value);
    int TotalBubbles() const { return bar.TotalBubbles; }
    void SetTotalBubbles(int value);
    int Position() const { return bar.Position; }
    void SetPosition(int value);
    bool Smooth() const { return smooth; }
    void SetSmooth(bool value);
    int Step() const { return step; }
    void SetStep(int value);

    TBevel BevelOuter() const { return bevelOuter; }
    void SetBevelOuter(TBevel value);

    // The bar's state with the panel's current text colour.
    THTBarSettings Settings() const;

    // The panel (background and bevel) and the bar over (0, 0, w, h).
    void PaintBar(QPainter& painter, int w, int h) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    THTBarSettings bar;
    bool smooth = false;
    int step = 10;
    TBevel bevelOuter = bvLowered;
};
